#pragma once

#include <QString>
#include <QStringView>

namespace zunova::lookup {

// A telephone number as people write it ("090-1234-5678", "(０９０) １２３４ ５６７８") read as
// its digits, full-width ones as ASCII: when `text` holds at least one digit and otherwise only
// separators (spaces, hyphens, dashes and minus signs of any width, the long-vowel marks that
// stand in for a hyphen in Japanese text, dots, parentheses). Any other text comes back as it is.
QString digitsOfWrittenNumber(QStringView text);

} // namespace zunova::lookup
