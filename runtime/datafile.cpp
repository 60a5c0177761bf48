#include "datafile.h"

#include "fileio.h"
#include "runtimeerror.h"

#include <QFileInfo>

#include <cerrno>

namespace zunova::runtime {

DataFile::DataFile(const QString& name) {
    Descriptor fd = openForReading(name, Waiting::DontWait);
    if (!fd.isOpen()) {
        const int error = errno;
        if (error == ENOENT)
            throw RuntimeError(ErrorNumber::FileNotFound, name);
        // An unreadable FIFO or directory is still not a data file: say so rather than
        // "permission".
        const QFileInfo info(name);
        if ((error == EACCES || error == EPERM) && (!info.exists() || info.isFile()))
            throw RuntimeError(ErrorNumber::PermissionDenied, name);
        throw RuntimeError(ErrorNumber::PathNotFound, name);
    }
    const std::optional<FileStamp> stamp = FileStamp::of(fd.get());
    if (!stamp || !stamp->isRegular())
        throw RuntimeError(ErrorNumber::PathNotFound, name);
    // The reader does its own buffering.
    if (!m_file.open(fd.get(), QIODevice::ReadOnly | QIODevice::Unbuffered,
                     QFileDevice::AutoCloseHandle))
        throw RuntimeError(ErrorNumber::PathNotFound, name);
    fd.release();
}

} // namespace zunova::runtime
