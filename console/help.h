#pragma once

#include <QString>

namespace zunova::console {

// "Usage: zunova [options] [NUMBER... | ...]", in the user's language.
QString usageLine();

// What --help prints: the usage line, the description, and every option not hidden with its
// text, in the user's language, wrapped to 80 columns.
QString helpText();

} // namespace zunova::console
