#pragma once

namespace zunova::console {

// Which of standard input and output were closed when the program started.
struct ClosedStreams {
    bool input = false;
    bool output = false;
};

// Makes sure descriptors 0, 1 and 2 are open before anything else opens one: a closed one is
// pointed at /dev/null, so that no file the program (or Qt, for its own use) opens later takes
// its number and gets written to or read from as if it were the stream. Call first thing in
// main(). Says which were closed, so the command line can report them where it needs them.
ClosedStreams reopenClosedStandardStreams();

} // namespace zunova::console
