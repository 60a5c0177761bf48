#pragma once

#include "standardstreams.h"

namespace zunova::console {

// The command-line front: runs with a QCoreApplication only, never a display.
// `argv` is the whole command line, program name first; `closed` says which standard streams
// were closed at the start. Returns the exit status: 0 success, 1 a number not answered, a data
// file with problems or output that did not reach standard output, 2 a usage error.
int run(int argc, char* argv[], ClosedStreams closed);

} // namespace zunova::console
