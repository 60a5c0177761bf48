#include "datafile.h"

#include "runtimeerror.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <utility>

namespace zunova::runtime {
namespace {

// Owns a descriptor until QFile takes it over, so it is closed on every way out before that.
class Descriptor {
public:
    explicit Descriptor(int fd)
        : m_fd(fd) {}
    ~Descriptor() {
        if (m_fd >= 0)
            ::close(m_fd);
    }
    Descriptor(const Descriptor&) = delete;
    Descriptor& operator=(const Descriptor&) = delete;

    int get() const { return m_fd; }
    int release() { return std::exchange(m_fd, -1); }

private:
    int m_fd;
};

} // namespace

DataFile::DataFile(const QString& name) {
    const QByteArray path = QFile::encodeName(name);
    // O_NONBLOCK: a FIFO without a writer (or a device that waits) must not hold the window; it
    // changes nothing for the regular file that is read below.
    Descriptor fd(::open(path.constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY));
    if (fd.get() < 0) {
        const int error = errno;
        if (error == ENOENT)
            throw RuntimeError(ErrorNumber::FileNotFound, name);
        struct stat st {};
        // An unreadable FIFO or directory is still not a data file: say so rather than
        // "permission".
        if ((error == EACCES || error == EPERM) &&
            (::stat(path.constData(), &st) != 0 || S_ISREG(st.st_mode)))
            throw RuntimeError(ErrorNumber::PermissionDenied, name);
        throw RuntimeError(ErrorNumber::PathNotFound, name);
    }
    struct stat st {};
    if (::fstat(fd.get(), &st) != 0 || !S_ISREG(st.st_mode))
        throw RuntimeError(ErrorNumber::PathNotFound, name);
    // The reader does its own buffering.
    if (!m_file.open(fd.get(), QIODevice::ReadOnly | QIODevice::Unbuffered,
                     QFileDevice::AutoCloseHandle))
        throw RuntimeError(ErrorNumber::PathNotFound, name);
    fd.release();
}

} // namespace zunova::runtime
