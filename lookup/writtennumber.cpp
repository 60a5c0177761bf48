#include "writtennumber.h"

#include "runtime/conversion.h"

namespace zunova::lookup {
namespace {

bool isSeparator(char16_t u) {
    switch (u) {
    case u' ':
    case u'\u3000': // ideographic space
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
        return true;
    default:
        return false;
    }
}

} // namespace

QString digitsOfWrittenNumber(QStringView text) {
    QString digits;
    for (QChar c : text) {
        const int d = runtime::digitValue(c.unicode());
        if (d >= 0)
            digits += QChar(u'0' + d);
        else if (!isSeparator(c.unicode()))
            return text.toString();
    }
    return digits.isEmpty() ? text.toString() : digits;
}

} // namespace zunova::lookup
