#pragma once

#include "csvlist.h"

#include <QString>

namespace zunova::console {

class Output;
struct Option;

// `zunova --complete OPTION --csv FILE ...`, which the bash completion asks: writes to `out` the
// values of `option` that the list FILE offers, as this program reads that list, one a line: a
// workbook's sheets, or a text list's columns (positions from 1, then the header's names).
// Nothing where the list cannot be read or the option takes no such values. Returns the exit
// status.
int printListValues(const Option& option, const QString& file, const ListOptions& options,
                    Output& out);

} // namespace zunova::console
