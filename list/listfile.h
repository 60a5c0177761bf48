#pragma once

#include "problem.h"

#include "runtime/fileio.h"

#include <QByteArray>
#include <QString>

#include <optional>

namespace zunova::list {

// A list's bytes as they come from a file or from standard input ("-"), piece by piece, watching
// that a file does not change while it is read.
class ListInput {
public:
    // `filesOnly`: anything but a regular file is refused (and opening it never waits).
    ListInput(const QString& path, bool filesOnly);

    // How opening went: Problem::None, Unreadable, Folder or NotAFile.
    const Outcome& opened() const { return m_opened; }
    // The descriptor it is read from, for asking which file that is.
    int descriptor() const { return m_fd; }
    // A regular file's size when it was opened; -1 for anything else.
    qint64 size() const;
    // Appends up to `size` bytes to `into`: how many, 0 at the end, -1 where reading failed
    // (outcome() says why).
    qsizetype read(QByteArray& into, qsizetype size);
    // A regular file's bytes from `offset` on, up to `size` of them, without moving where read()
    // goes on: how many, 0 at the end, -1 where reading failed.
    qsizetype readAhead(QByteArray& into, qint64 offset, qsizetype size);
    // Once read to its end: Changed where a regular file's size or time stamp moved meanwhile, or
    // less or more than its size was read; Unreadable where a read failed.
    Outcome outcome() const;

private:
    runtime::Descriptor m_owned;
    int m_fd = -1;
    std::optional<runtime::FileStamp> m_stamp;
    Outcome m_opened;
    qint64 m_read = 0;
    int m_readError = 0;
};

// Reads all of the regular file `path`, of at most `maxBytes` (TooLarge beyond), stopping when
// `progress` is cancelled (Cancelled).
Outcome readWholeFile(const QString& path, qint64 maxBytes, Progress& progress, QByteArray& data);

} // namespace zunova::list
