#pragma once

#include <algorithm>

namespace zunova::console {

// The command line's exit statuses, as grep and diff have them; a run's status is the worst of
// what happened in it.
enum ExitStatus : int {
    kAnswered = 0,   // every number or row answered; every data file checked clean
    kUnanswered = 1, // some got a warning or had no number; a data file checked has problems
    kTrouble = 2,    // a usage error; a list or data file not read whole; output lost
};

inline ExitStatus worse(ExitStatus a, ExitStatus b) {
    return std::max(a, b);
}

} // namespace zunova::console
