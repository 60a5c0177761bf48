#pragma once

#include <QStringList>

namespace zunova::console {

// The command-line front: runs with a QCoreApplication only, never a display.
// `arguments` is the whole command line, program name first. Returns the exit status:
// 0 success, 2 a usage error.
int run(const QStringList& arguments);

} // namespace zunova::console
