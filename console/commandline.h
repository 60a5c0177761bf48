#pragma once

#include <QStringList>

namespace zunova::console {

// The command-line front: runs with a QCoreApplication only, never a display.
// `arguments` is the whole command line, program name first. Returns the exit status:
// 0 success, 1 a number not answered (or a data file with problems), 2 a usage error.
int run(const QStringList& arguments);

} // namespace zunova::console
