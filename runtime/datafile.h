#pragma once

#include <QFile>
#include <QString>

namespace zunova::runtime {

// A data file open for reading, by the exact name given (a bare name is found in the current
// working directory). The file is closed when the object goes, on every way out.
//
// Only a regular file is a data file. Opening never blocks (a FIFO without a writer, a device),
// and anything but a regular file (FIFO, character or block device, socket, directory) is refused
// before a byte of it is read.
// Throws RuntimeError: 53 when the file does not exist, 70 when it may not be read, 75 for
// anything that is not a regular file or any other failure to open.
class DataFile {
public:
    explicit DataFile(const QString& name);
    DataFile(const DataFile&) = delete;
    DataFile& operator=(const DataFile&) = delete;

    QIODevice& device() { return m_file; }

private:
    QFile m_file;
};

} // namespace zunova::runtime
