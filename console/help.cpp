#include "help.h"

#include "options.h"
#include "output.h"

#include <QStringList>

#include <algorithm>
#include <utility>
#include <vector>

namespace zunova::console {
namespace {

constexpr int kLineColumns = 79;

// East Asian Wide and Fullwidth characters, as terminals draw them: two columns.
bool isWide(char16_t u) {
    return (u >= 0x1100 && u <= 0x115F) || (u >= 0x2E80 && u <= 0x303E) ||
           (u >= 0x3041 && u <= 0x33FF) || (u >= 0x3400 && u <= 0x4DBF) ||
           (u >= 0x4E00 && u <= 0x9FFF) || (u >= 0xA000 && u <= 0xA4CF) ||
           (u >= 0xAC00 && u <= 0xD7A3) || (u >= 0xF900 && u <= 0xFAFF) ||
           (u >= 0xFE30 && u <= 0xFE4F) || (u >= 0xFF00 && u <= 0xFF60) ||
           (u >= 0xFFE0 && u <= 0xFFE6);
}

int columnsOf(QStringView text) {
    int columns = 0;
    for (const QChar c : text)
        columns += isWide(c.unicode()) ? 2 : 1;
    return columns;
}

// Where Japanese may break a line: between two characters of which one is wide, but never
// before closing punctuation or a small kana, nor after opening punctuation.
bool mayBreakBetween(QChar before, QChar after) {
    static const QStringView noBreakBefore = u"、。，．・：；？！）］｝」』】〕ー々ぁぃぅぇぉっゃゅ"
                                             u"ょゎァィゥェォッャュョヮヵヶ…),.:;!?]}";
    static const QStringView noBreakAfter = u"（［｛「『【〔([{";
    return (isWide(before.unicode()) || isWide(after.unicode())) &&
           !noBreakBefore.contains(after) && !noBreakAfter.contains(before);
}

// `paragraph` in lines of at most `columns` terminal columns: broken at spaces, and where
// Japanese allows it; a word too long for a line is cut.
QStringList wrapped(QStringView paragraph, int columns) {
    QStringList lines;
    qsizetype start = 0;
    do {
        qsizetype end = paragraph.size();
        qsizetype next = end;
        qsizetype breakEnd = -1; // the last place the line may end, and where the next begins
        qsizetype breakNext = -1;
        int used = 0;
        for (qsizetype i = start; i < paragraph.size(); ++i) {
            const QChar c = paragraph[i];
            if (c == u' ') {
                breakEnd = i;
                breakNext = i + 1;
            } else if (i > start && mayBreakBetween(paragraph[i - 1], c)) {
                breakEnd = i;
                breakNext = i;
            }
            used += isWide(c.unicode()) ? 2 : 1;
            if (used > columns) {
                end = breakEnd > start ? breakEnd : std::max(i, start + 1);
                next = breakEnd > start ? breakNext : end;
                break;
            }
        }
        QStringView line = paragraph.sliced(start, end - start);
        while (line.endsWith(u' '))
            line.chop(1);
        lines << line.toString();
        start = next;
        while (start < paragraph.size() && paragraph[start] == u' ')
            ++start;
    } while (start < paragraph.size());
    return lines;
}

using Rows = std::vector<std::pair<QString, QString>>;

// Each row's name, and beside it its text wrapped in the column after the widest name.
QString table(const Rows& rows, int nameColumns) {
    const QString indent(2 + nameColumns + 2, u' ');
    QString text;
    for (const auto& [name, help] : rows) {
        QStringList lines;
        for (const QStringView paragraph : QStringView(help).split(u'\n'))
            lines += wrapped(paragraph, kLineColumns - int(indent.size()));
        text += QStringLiteral("  ") + name + QString(nameColumns - columnsOf(name) + 2, u' ') +
                lines.join(u'\n' + indent) + u'\n';
    }
    return text;
}

} // namespace

QString usageLine() {
    return Texts::tr("Usage: zunova [options] %1").arg(usageSynopsis());
}

QString helpText() {
    Rows options;
    for (const Option& option : console::options()) {
        if (option.hidden)
            continue;
        QString names = typedNames(option).join(QStringLiteral(", "));
        if (option.value)
            names += QStringLiteral(" <") + plainText(translated(option.value)) + u'>';
        options.emplace_back(names, plainText(translated(option.help)));
    }
    const Rows arguments{{argumentName(), argumentHelp()}};
    int nameColumns = 0;
    for (const Rows& rows : {options, arguments})
        for (const auto& row : rows)
            nameColumns = std::max(nameColumns, columnsOf(row.first));
    return usageLine() + u'\n' + description() + QStringLiteral("\n\n") + Texts::tr("Options:") +
           u'\n' + table(options, nameColumns) + u'\n' + Texts::tr("Arguments:") + u'\n' +
           table(arguments, nameColumns);
}

} // namespace zunova::console
