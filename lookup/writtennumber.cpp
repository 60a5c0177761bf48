#include "writtennumber.h"

#include "network.h"

#include "runtime/conversion.h"

#include <QList>

#include <algorithm>
#include <optional>

namespace zunova::lookup {
namespace {

// Spaces of every width, no-break ones included, and the invisible ones; not line ends or tabs.
bool isSpace(char16_t u) {
    return QChar::category(u) == QChar::Separator_Space || u == u'\u200B' || u == u'\uFEFF';
}

// What may stand between the digits of one number.
bool isSeparator(char16_t u) {
    if (isSpace(u))
        return true;
    switch (u) {
    case u'-':
    case u'\u2010': // hyphen
    case u'\u2011': // non-breaking hyphen
    case u'\u2012': // figure dash
    case u'\u2013': // en dash
    case u'\u2014': // em dash
    case u'\u2015': // horizontal bar
    case u'\u2212': // minus sign
    case u'\uFF0D': // full-width hyphen-minus
    case u'\u30FC': // katakana long-vowel mark
    case u'\uFF70': // half-width long-vowel mark
    case u'.':
    case u'\uFF0E': // full-width full stop
    case u'(':
    case u')':
    case u'\uFF08': // full-width parentheses
    case u'\uFF09':
    case u'/':
    case u'\uFF0F': // full-width solidus
    case u'~':
    case u'\u301C': // wave dash
    case u'\uFF5E': // full-width tilde
        return true;
    default:
        return false;
    }
}

bool isPlus(char16_t u) {
    return u == u'+' || u == u'\uFF0B';
}

// A run of digits with only separators between them, as written: its digits and where one
// group of digits ends and the next begins.
struct Run {
    bool plus = false; // written after a plus sign: international
    QString digits;
    QList<qsizetype> groupEnds;
    bool glued = false; // a letter stands right before or after it: an ID, not a number

    bool endsGroupAt(qsizetype at) const { return groupEnds.contains(at); }
};

// Splits a text into its runs. `other` says whether anything but runs stands in it.
QList<Run> runsOf(QStringView text, bool& other) {
    QList<Run> runs;
    bool inRun = false;
    other = false;
    const auto isLatinLetter = [](char16_t u) {
        return (u >= u'a' && u <= u'z') || (u >= u'A' && u <= u'Z');
    };
    char16_t before = 0;
    for (const QChar c : text) {
        const char16_t u = c.unicode();
        const int digit = runtime::digitValue(u);
        if (digit >= 0) {
            if (!inRun)
                runs.append(Run{false, {}, {}, isLatinLetter(before)});
            inRun = true;
            runs.back().digits += QChar(u'0' + digit);
        } else if (isLatinLetter(u) && runtime::digitValue(before) >= 0 && !runs.isEmpty()) {
            runs.back().glued = true;
            other = true;
            inRun = false;
        } else if (isPlus(u)) {
            runs.append(Run{true, {}, {}, false});
            inRun = true;
        } else if (inRun && isSeparator(u)) {
            if (!runs.back().digits.isEmpty() &&
                !runs.back().endsGroupAt(runs.back().digits.size()))
                runs.back().groupEnds.append(runs.back().digits.size());
        } else if (!isSeparator(u)) {
            other = true;
            inRun = false;
        }
        before = u;
    }
    for (Run& run : runs)
        run.groupEnds.append(run.digits.size());
    runs.removeIf([](const Run& run) { return run.digits.isEmpty(); });
    return runs;
}

// How many digits a national number that starts at `digits[at]` (its leading 0 left out) takes:
// ten for 0X0 numbers, nine for the others.
qsizetype nationalLength(const QString& digits, qsizetype at) {
    return at + 1 < digits.size() && digits[at + 1] == u'0' && digits[at] != u'0' ? 10 : 9;
}

// The telephone numbers a run is made of, one after another, each ending where a group ends;
// nothing where its digits are not whole numbers.
std::optional<QStringList> numbersOf(const Run& run) {
    const QString& d = run.digits;
    QStringList numbers;
    qsizetype at = 0;
    while (at < d.size()) {
        // The international forms: +81, 0081, 010 81, or 81 as a group of its own first.
        bool international = false;
        if (at == 0 && run.plus && d.startsWith(u"81")) {
            international = true;
            at = 2;
        } else if (QStringView(d).sliced(at).startsWith(u"0081")) {
            international = true;
            at += 4;
        } else if (QStringView(d).sliced(at).startsWith(u"01081")) {
            international = true;
            at += 5;
        } else if (at == 0 && !run.plus && d.startsWith(u"81") && run.endsGroupAt(2)) {
            international = true;
            at = 2;
        } else if (at == 0 && !run.plus && d.size() == 12 && d.startsWith(u"81") &&
                   run.groupEnds.size() == 1 && d[3] == u'0' && d[2] != u'0') {
            // 81 and a mobile number's ten digits run together, as gateways and carriers' APIs
            // write them.
            international = true;
            at = 2;
        }
        QString number;
        if (international) {
            if (at < d.size() && d[at] == u'0') // +81 (0)90…: the leading 0 written too
                ++at;
            const qsizetype length = nationalLength(d, at);
            if (at + length > d.size())
                return std::nullopt;
            number = u'0' + d.sliced(at, length);
            at += length;
        } else {
            if (d[at] != u'0' || at + 1 >= d.size())
                return std::nullopt;
            const qsizetype length = 1 + nationalLength(d, at + 1);
            if (at + length > d.size())
                return std::nullopt;
            number = d.sliced(at, length);
            at += length;
        }
        if (!run.endsGroupAt(at))
            return std::nullopt;
        numbers << number;
    }
    return numbers;
}

bool isAsciiDigits(QStringView text) {
    return std::all_of(text.begin(), text.end(), [](QChar c) { return c >= u'0' && c <= u'9'; });
}

// Excel keeps a leading zero with a formula giving the text or with an apostrophe before it.
QStringView withoutExcelQuoting(QStringView text) {
    if (text.startsWith(u"=\"") && text.endsWith(u'"') && text.size() >= 3)
        return text.sliced(2, text.size() - 3);
    if (text.startsWith(u'\''))
        return text.sliced(1);
    return text;
}

} // namespace

bool isTelephoneNumber(QStringView digits) {
    return (digits.size() == 10 || digits.size() == 11) && digits[0] == u'0' &&
           isAsciiDigits(digits);
}

bool isMobileNumber(QStringView digits) {
    return digits.size() == 11 && digits[0] == u'0' && digits[2] == u'0' && isAsciiDigits(digits);
}

WrittenNumber readWrittenNumber(QStringView text, DroppedZero dropped) {
    QStringView cell = text;
    while (!cell.isEmpty() && isSpace(cell.front().unicode()))
        cell = cell.sliced(1);
    while (!cell.isEmpty() && isSpace(cell.back().unicode()))
        cell.chop(1);
    cell = withoutExcelQuoting(cell);
    // A control character (a tab, a line end) is not how anyone writes a number: such text is
    // not guessed at.
    if (std::any_of(cell.begin(), cell.end(),
                    [](QChar c) { return c.category() == QChar::Other_Control; }))
        return {text.toString(), false};

    bool other = false;
    const QList<Run> runs = runsOf(cell, other);
    if (dropped == DroppedZero::Restore && runs.size() == 1 && !other &&
        runs[0].digits.size() == 10 && runs[0].groupEnds.size() == 1 && !runs[0].plus &&
        cell.size() == 10 && QStringView(u"9876").contains(runs[0].digits[0]) &&
        runs[0].digits[1] == u'0')
        return {u'0' + runs[0].digits, true};

    QStringList numbers;
    for (const Run& run : runs)
        if (const auto found = run.glued ? std::nullopt : numbersOf(run))
            numbers << *found;
    const bool several = numbers.size() > 1;
    // Of several, the first the data files can answer, else the first mobile one.
    const auto answerable = std::ranges::find_if(numbers, [](const QString& number) {
        return isMobileNumber(number) && networkForPrefix(number[1]);
    });
    if (answerable != numbers.end())
        return {*answerable, false, several};
    const auto mobile = std::ranges::find_if(numbers, isMobileNumber);
    if (mobile != numbers.end())
        return {*mobile, false, several};
    if (!numbers.isEmpty())
        return {numbers.front(), false, several};
    // Digits and separators alone read as their digits, whatever their count.
    if (runs.size() == 1 && !other && !runs[0].plus)
        return {runs[0].digits, false};
    return {text.toString(), false};
}

} // namespace zunova::lookup
