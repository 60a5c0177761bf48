#pragma once

#include <QStringView>
#include <QtGlobal>

namespace zunova::runtime {

// Converts text to a 16-bit signed integer the way the program's users expect from the old
// runtime: surrounding spaces, an optional sign, digits (ASCII or full-width), an optional
// decimal point whose fraction is rounded half to even, an optional exponent, and the &H / &O
// hexadecimal and octal forms. Throws RuntimeError 13 for text that is not a number and 6 for a
// number outside -32768..32767.
qint16 to16BitInteger(QStringView text);

} // namespace zunova::runtime
