#include "rownotes.h"

#include "output.h"

namespace zunova::console {

ExitStatus sayNotes(Output& out, const QString& where, const QList<list::Note>& notes,
                    const QString& number) {
    ExitStatus status = kAnswered;
    QStringList said;
    for (const list::Note& note : notes) {
        status = worse(status, statusOf(note));
        const QString text = list::noteText(note);
        said << (note.aboutTheNumber() && !number.isNull()
                     ? displayed(number) + QStringLiteral(": ") + text
                     : text);
    }
    if (!said.isEmpty()) {
        // The answers stay in order with the messages, also where both go to one log.
        out.flush();
        QString text = said.takeFirst();
        for (const QString& next : said)
            text = Texts::tr("%1; %2").arg(text, next);
        printMessage(where + QStringLiteral(": ") + text);
    }
    return status;
}

} // namespace zunova::console
