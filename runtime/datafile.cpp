#include "datafile.h"

#include "runtimeerror.h"

#include <QFileInfo>

namespace zunova::runtime {

DataFile::DataFile(const QString& name)
    : m_name(name)
    , m_file(name) {
    const QFileInfo info(name);
    // QFile would happily "open" some directories; a directory is never a data file.
    if (info.isDir())
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

} // namespace zunova::runtime
