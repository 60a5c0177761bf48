#pragma once

#include "lookup/recordfinder.h"

#include <QByteArrayView>
#include <QString>
#include <QStringList>

#include <functional>

namespace zunova::console {

class Output;

// What the window would show for one number: the carrier in Label4, or the texts of its warning
// and error boxes, in which case the carrier is empty.
struct Answer {
    QString carrier;
    QStringList messages;
};

// Looks numbers up exactly as the window's query does, one after another, reading each data
// file once for the whole run.
class NumberLookup {
public:
    Answer answer(const QString& number);

private:
    lookup::DataFileIndex m_records;
};

// Longer lines keep only their first this many bytes.
inline constexpr qsizetype kMaxLineBytes = 16 * 1024 * 1024;

// Splits a byte stream into numbers: lines ending in LF, each without one final CR; a last line
// without LF counts, nothing after a final LF does. Calls `each` per line until it returns false.
// Returns false, with errno set, when reading fails.
bool forEachLine(int fd, const std::function<bool(QByteArrayView)>& each);

// `zunova NUMBER...` and `zunova -`: one line per number on `out`, messages on standard error.
// Returns the exit status: 0 when every number got a carrier, 1 otherwise.
int lookUpNumbers(const QStringList& numbers, Output& out);

} // namespace zunova::console
