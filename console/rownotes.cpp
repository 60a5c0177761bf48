#include "rownotes.h"

#include "output.h"

namespace zunova::console {

ExitStatus sayNotes(Output& out, const QString& where, const QList<list::Note>& notes,
                    const QString& number) {
    ExitStatus status = kAnswered;
    QStringList said;
    bool numberSaid = number.isNull();
    for (const list::Note& note : notes) {
        status = worse(status, statusOf(note));
        const QString text = list::noteText(note);
        // The number once, before the first note about it.
        const bool withNumber = note.aboutTheNumber() && !numberSaid;
        said << (withNumber ? displayed(number) + QStringLiteral(": ") + text : text);
        numberSaid = numberSaid || withNumber;
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
