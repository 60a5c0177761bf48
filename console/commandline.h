#pragma once

#include "standardstreams.h"

namespace zunova::console {

// The command-line front: runs with a QCoreApplication only, never a display.
// `argv` is the whole command line, program name first; `closed` says which standard streams
// were closed at the start. Returns the exit status (ExitStatus).
int run(int argc, char* argv[], ClosedStreams closed);

} // namespace zunova::console
