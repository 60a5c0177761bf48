#pragma once

#include <QByteArrayView>
#include <QString>
#include <QtGlobal>

#include <optional>
#include <sys/stat.h>

namespace zunova::runtime {

// The program's one place for file descriptors: opened, read, written and watched here, and
// closed by their owner on every way out.

// A descriptor owned: closed when the object goes.
class Descriptor {
public:
    Descriptor() = default;
    explicit Descriptor(int fd)
        : m_fd(fd) {}
    ~Descriptor();
    Descriptor(Descriptor&& other) noexcept
        : m_fd(other.release()) {}
    Descriptor& operator=(Descriptor&& other) noexcept;
    Descriptor(const Descriptor&) = delete;
    Descriptor& operator=(const Descriptor&) = delete;

    bool isOpen() const { return m_fd >= 0; }
    int get() const { return m_fd; }
    int release();

private:
    int m_fd = -1;
};

// Opens `path` for reading; not open, with errno set, where it fails. The callers that read only
// regular files open it without waiting, so a FIFO without a writer or a device that waits
// cannot hold them before they refuse it.
enum class Waiting { Wait, DontWait };
Descriptor openForReading(const QString& path, Waiting waiting);

// Reads up to `size` bytes, again when a signal interrupts: the count, 0 at the end, or -1 with
// errno set.
qsizetype readSome(int fd, char* into, qsizetype size);
// The same at `offset` in a file, leaving the descriptor where it was.
qsizetype readSomeAt(int fd, char* into, qsizetype size, qint64 offset);
// Writes all of `bytes`, again after a signal or a short write: 0, or the errno of the failure.
int writeAll(int fd, QByteArrayView bytes);

// What a file was when its reading began, so that its end can tell whether it changed meanwhile.
class FileStamp {
public:
    // Nothing, with errno set, where the descriptor cannot be asked.
    static std::optional<FileStamp> of(int fd);

    bool isRegular() const { return S_ISREG(m_stat.st_mode); }
    bool isDirectory() const { return S_ISDIR(m_stat.st_mode); }
    qint64 size() const { return m_stat.st_size; }
    // For a regular file: its size or time stamp is no longer the stamped one, or `bytesRead`
    // (all that was read of it) is not the size it had.
    bool changedSince(int fd, qint64 bytesRead) const;

private:
    struct stat m_stat {};
};

} // namespace zunova::runtime
