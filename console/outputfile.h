#pragma once

#include "runtime/fileio.h"

#include <QString>

#include <memory>
#include <sys/stat.h>

namespace zunova::console {

// The list a file is written from: its name for messages ("standard input" for -), the
// descriptor it is read from, and whether it is a workbook.
struct ListSource {
    QString name;
    int fd = -1;
    bool workbook = false;
};

// The file -o names. A regular file, or a new one, gets the output whole or not at all: it is
// written to a temporary file beside it (unnamed where the file system allows, as Linux's
// O_TMPFILE), which takes the name only on commit(); any other way out, SIGHUP, SIGINT, SIGQUIT
// and SIGTERM included, leaves the name as it was and nothing beside it. Anything else already
// under the name (a FIFO, a device) is written through, as a shell's `>` writes it, and never
// replaced. It is never the list itself, a file its owner made read-only, or a name that says
// the other format (a workbook's copy to .csv).
class OutputFile {
public:
    explicit OutputFile(const QString& name);
    ~OutputFile(); // throws away what was not committed
    OutputFile(const OutputFile&) = delete;
    OutputFile& operator=(const OutputFile&) = delete;

    // Opens it for `list`; where it may not or cannot be, says why on standard error.
    bool open(const ListSource& list);
    int handle() const { return m_fd.get(); }
    // Puts what was written under the name; says why where that fails.
    bool commit();

private:
    class Signals;

    // Why the file may not be written for `list` (`target`: what is there, if anything); empty
    // where it may.
    QString whyNot(const ListSource& list, const struct stat* target) const;
    bool openThrough(const ListSource& list);
    bool openTemporary(const struct stat* target);
    // Says why on standard error, naming the file; false.
    bool fail(const QString& why) const;

    QString m_name;      // as given
    QString m_path;      // a regular file's: the name, its symbolic links followed
    QString m_temporary; // where the temporary file has a name
    runtime::Descriptor m_fd;
    bool m_through = false;
    std::unique_ptr<Signals> m_signals; // while it is open
};

} // namespace zunova::console
