#pragma once

#include <QStringView>
#include <QtGlobal>

namespace zunova::runtime {

// The one digit rule: ASCII 0-9 and the full-width ０-９ a Japanese input method types.
// Returns the digit's value, or -1 for any other character.
constexpr int digitValue(char16_t c) {
    if (c >= u'0' && c <= u'9')
        return c - u'0';
    if (c >= u'\uFF10' && c <= u'\uFF19')
        return c - u'\uFF10';
    return -1;
}

// The text without the spaces around it, as the conversion below skips them (spaces only).
QStringView withoutSurroundingSpaces(QStringView text);

// Converts text to a 16-bit signed integer as the program's users have always had it read:
// surrounding spaces, an optional sign, digits (see digitValue), an optional decimal point whose
// fraction is rounded half to even, an optional exponent, and the &H / &O hexadecimal and octal
// forms. Throws RuntimeError 13 for text that is not a number and 6 for a number outside
// -32768..32767.
qint16 to16BitInteger(QStringView text);

} // namespace zunova::runtime
