#include "fileio.h"

#include <QFile>

#include <cerrno>
#include <fcntl.h>
#include <unistd.h>
#include <utility>

namespace zunova::runtime {

Descriptor::~Descriptor() {
    if (m_fd >= 0)
        ::close(m_fd);
}

Descriptor& Descriptor::operator=(Descriptor&& other) noexcept {
    if (this != &other) {
        if (m_fd >= 0)
            ::close(m_fd);
        m_fd = other.release();
    }
    return *this;
}

int Descriptor::release() {
    return std::exchange(m_fd, -1);
}

Descriptor openForReading(const QString& path, Waiting waiting) {
    const int flags = O_RDONLY | O_CLOEXEC | O_NOCTTY | (waiting == Waiting::Wait ? 0 : O_NONBLOCK);
    return Descriptor(::open(QFile::encodeName(path).constData(), flags));
}

qsizetype readSome(int fd, char* into, qsizetype size) {
    for (;;) {
        const auto got = ::read(fd, into, std::size_t(size));
        if (got >= 0 || errno != EINTR)
            return qsizetype(got);
    }
}

qsizetype readSomeAt(int fd, char* into, qsizetype size, qint64 offset) {
    for (;;) {
        const auto got = ::pread(fd, into, std::size_t(size), off_t(offset));
        if (got >= 0 || errno != EINTR)
            return qsizetype(got);
    }
}

int writeAll(int fd, QByteArrayView bytes) {
    const char* data = bytes.data();
    qsizetype left = bytes.size();
    while (left > 0) {
        const auto written = ::write(fd, data, std::size_t(left));
        if (written < 0) {
            if (errno == EINTR)
                continue;
            return errno != 0 ? errno : EIO;
        }
        data += written;
        left -= written;
    }
    return 0;
}

std::optional<FileStamp> FileStamp::of(int fd) {
    FileStamp stamp;
    if (::fstat(fd, &stamp.m_stat) != 0)
        return std::nullopt;
    return stamp;
}

bool FileStamp::changedSince(int fd, qint64 bytesRead) const {
    struct stat now {};
    return ::fstat(fd, &now) != 0 || now.st_size != m_stat.st_size ||
           now.st_mtim.tv_sec != m_stat.st_mtim.tv_sec ||
           now.st_mtim.tv_nsec != m_stat.st_mtim.tv_nsec || bytesRead != m_stat.st_size;
}

} // namespace zunova::runtime
