#pragma once

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QString>
#include <QTemporaryDir>

#include <filesystem>
#include <fstream>
#include <ostream>
#include <stdexcept>
#include <string>

namespace zunova::testing {

// Runs a test in a fresh, empty working directory (never the source tree) and returns to the
// previous one afterwards; the data files are opened by bare name, so this is where they go.
class TempWorkDir {
public:
    TempWorkDir()
        : m_previous(std::filesystem::current_path()) {
        if (!m_dir.isValid())
            throw std::runtime_error("cannot create a temporary directory");
        std::filesystem::current_path(m_dir.path().toStdString());
    }
    ~TempWorkDir() { std::filesystem::current_path(m_previous); }
    TempWorkDir(const TempWorkDir&) = delete;
    TempWorkDir& operator=(const TempWorkDir&) = delete;

    void write(const QString& name, const QByteArray& content) const {
        QFile file(QDir(m_dir.path()).filePath(name));
        if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate) ||
            file.write(content) != content.size())
            throw std::runtime_error("cannot write a test file");
    }
    QString path() const { return m_dir.path(); }

private:
    std::filesystem::path m_previous;
    QTemporaryDir m_dir;
};

// How many file descriptors this process has open right now (Linux).
inline int openDescriptorCount() {
    int count = 0;
    for ([[maybe_unused]] const auto& entry : std::filesystem::directory_iterator("/proc/self/fd"))
        ++count;
    return count;
}

// How many bytes this process has read through read() and the like so far, or -1 where the
// system does not say (Linux's /proc/self/io).
inline long long bytesReadSoFar() {
    std::ifstream io("/proc/self/io");
    std::string key;
    long long value = 0;
    while (io >> key >> value)
        if (key == "rchar:")
            return value;
    return -1;
}

// Counts the open descriptors when made; opened() says how many more are open now, so a check
// for a leak reads `EXPECT_EQ(fds.opened(), 0)`.
class DescriptorCount {
public:
    DescriptorCount()
        : m_before(openDescriptorCount()) {}
    int opened() const { return openDescriptorCount() - m_before; }

private:
    int m_before;
};

} // namespace zunova::testing

// Lets GoogleTest print Qt strings readably in failure messages.
inline void PrintTo(const QString& text, std::ostream* os) {
    *os << '"' << text.toStdString() << '"';
}
