#include "datafile.h"

#include "runtimeerror.h"

#ifdef _WIN32
#include <QFileInfo>
#else
#include <cerrno>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace zunova::runtime {

#ifndef _WIN32

DataFile::DataFile(const QString& name)
    : m_name(name)
    , m_file(name) {
    // Without O_NONBLOCK, opening a FIFO nobody writes to would wait for ever; the type is then
    // checked on the descriptor itself, so nothing can be swapped in between the check and the
    // read.
    const QByteArray path = QFile::encodeName(name);
    int fd = -1;
    do {
        fd = ::open(path.constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY);
    } while (fd < 0 && errno == EINTR);
    if (fd < 0) {
        if (errno == ENOENT)
            throw RuntimeError(ErrorNumber::FileNotFound, name);
        if (errno == EACCES || errno == EPERM)
            throw RuntimeError(ErrorNumber::PermissionDenied, name);
        throw RuntimeError(ErrorNumber::PathNotFound, name);
    }
    struct stat status {};
    // A directory, FIFO, socket or device is never a data file (a device may never end).
    if (::fstat(fd, &status) != 0 || !S_ISREG(status.st_mode) ||
        ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) & ~O_NONBLOCK) != 0) {
        ::close(fd);
        throw RuntimeError(ErrorNumber::PathNotFound, name);
    }
    // The reader does its own buffering. The QFile owns the descriptor from here on, even when
    // it refuses it.
    if (!m_file.open(fd, QIODevice::ReadOnly | QIODevice::Unbuffered, QFileDevice::AutoCloseHandle))
        throw RuntimeError(ErrorNumber::PathNotFound, name);
}

#else

DataFile::DataFile(const QString& name)
    : m_name(name)
    , m_file(name) {
    const QFileInfo info(name);
    // QFile would happily "open" some directories; only a plain file is a data file.
    if (info.exists() && !info.isFile())
        throw RuntimeError(ErrorNumber::PathNotFound, name);
    // The reader does its own buffering.
    if (m_file.open(QIODevice::ReadOnly | QIODevice::Unbuffered))
        return;
    if (!info.exists())
        throw RuntimeError(ErrorNumber::FileNotFound, name);
    if (m_file.error() == QFileDevice::PermissionsError || !info.isReadable())
        throw RuntimeError(ErrorNumber::PermissionDenied, name);
    throw RuntimeError(ErrorNumber::PathNotFound, name);
}

#endif

} // namespace zunova::runtime
