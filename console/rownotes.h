#pragma once

#include "exitstatus.h"

#include "list/messages.h"

#include <QString>

namespace zunova::console {

class Output;

// Says on standard error, after what `out` holds so far, what a row or a number got besides its
// carrier: "zunova: WHERE: NOTE; NUMBER: NOTE; NOTE". The first note about the number is said
// after `number` where one is given (a list's row: WHERE is its file and line). Returns what the
// notes make of the run's status.
ExitStatus sayNotes(Output& out, const QString& where, const QList<list::Note>& notes,
                    const QString& number = {});

} // namespace zunova::console
