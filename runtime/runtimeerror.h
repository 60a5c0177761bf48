#pragma once

#include <QString>

#include <stdexcept>

namespace zunova::runtime {

// The run-time error numbers the program can raise. Each names one kind of fault, and the
// error box and the command line show it with its number, which users quote when they ask.
enum class ErrorNumber : int {
    Overflow = 6,
    TypeMismatch = 13,
    FileNotFound = 53,
    DeviceIOError = 57,
    InputPastEndOfFile = 62,
    PermissionDenied = 70,
    PathNotFound = 75,
};

// The one exception type below the windows. It carries the error number and, where the fault
// lies in a data file, that file's name and (for faults in its content) the line.
class RuntimeError : public std::runtime_error {
public:
    explicit RuntimeError(ErrorNumber number, QString file = {}, int line = 0);

    ErrorNumber number() const { return m_number; }
    QString text() const { return errorText(m_number); }
    const QString& file() const { return m_file; }
    int line() const { return m_line; } // 1-based; 0 when the fault is not tied to a line

    // The full report as the error box shows it.
    QString report() const;

    static QString errorText(ErrorNumber number);

private:
    ErrorNumber m_number;
    QString m_file;
    int m_line;
};

} // namespace zunova::runtime
