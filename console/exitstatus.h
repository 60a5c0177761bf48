#pragma once

#include "list/messages.h"

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

// What a note makes of the run: a number's warning or its own error, and a row without a
// number, leave it unanswered; a data file that cannot be read whole is trouble.
inline ExitStatus statusOf(const list::Note& note) {
    switch (note.kind) {
    case list::Note::Kind::NoNumber:
    case list::Note::Kind::Warning:
        return kUnanswered;
    case list::Note::Kind::Error:
        return std::get<runtime::RuntimeError>(*note.answer).file().isEmpty() ? kUnanswered
                                                                              : kTrouble;
    default:
        return kAnswered;
    }
}

} // namespace zunova::console
