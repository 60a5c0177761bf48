#pragma once

#include <QByteArrayView>
#include <QString>
#include <QStringView>

namespace zunova::lookup {

// A telephone number as people write it ("090-1234-5678", "(０９０) １２３４ ５６７８") read as
// its digits, full-width ones as ASCII: when `text` holds at least one digit and otherwise only
// separators (spaces, hyphens, dashes and minus signs of any width, the long-vowel marks that
// stand in for a hyphen in Japanese text, dots, parentheses). Any other text comes back as it is.
QString digitsOfWrittenNumber(QStringView text);

// The usual case of a number given as bytes (a line of standard input, a field of a list):
// eleven ASCII digits, which read as themselves and are the same bytes in every encoding the
// program reads. Copies them into `digits` for the query, without decoding or rewriting; false
// for anything else.
inline bool elevenAsciiDigits(QByteArrayView bytes, char16_t (&digits)[11]) {
    if (bytes.size() != 11)
        return false;
    for (int i = 0; i < 11; ++i) {
        if (bytes[i] < '0' || bytes[i] > '9')
            return false;
        digits[i] = char16_t(bytes[i]);
    }
    return true;
}

} // namespace zunova::lookup
