#pragma once

#include <QByteArrayView>
#include <QStringList>

#include <functional>

namespace zunova::console {

class Output;

// Longer lines keep only their first this many bytes.
inline constexpr qsizetype kMaxLineBytes = 16 * 1024 * 1024;

// Splits a byte stream into numbers: lines ending in LF, each without one final CR; a last line
// without LF counts, nothing after a final LF does. Calls `each` per line until it returns false.
// Returns false, with errno set, when reading fails.
bool forEachLine(int fd, const std::function<bool(QByteArrayView)>& each);

// `zunova NUMBER...` and `zunova -`: one line per number on `out`, the number as given, a tab and
// the carrier the window would show for it pasted; where the window would warn or report an
// error, the carrier is empty and standard error says why. Each data file is read once for the
// whole run. `inputClosed`: standard input was closed when the program started.
// Returns the exit status (ExitStatus).
int lookUpNumbers(const QStringList& numbers, Output& out, bool inputClosed);

} // namespace zunova::console
