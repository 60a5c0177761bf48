#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <QStringEncoder>
#include <QStringView>

namespace zunova::runtime {
class RuntimeError;
}

namespace zunova::console {

// Standard output for many short lines: collected in a large buffer and written in big pieces,
// or line by line when a person is watching (a terminal). The first failed write ends all
// output; a closed pipe is the reader's choice and is not an error worth a message.
class Output {
public:
    explicit Output(int fd);
    ~Output();
    Output(const Output&) = delete;
    Output& operator=(const Output&) = delete;

    void append(QByteArrayView bytes);
    void append(QStringView text); // as UTF-8
    // Ends one answer: written at once on a terminal, else when the buffer is full.
    void endLine();
    void flush();

    bool failed() const { return m_failedErrno != 0; }
    // The errno of the failed write, 0 while all is well.
    int failedErrno() const { return m_failedErrno; }

private:
    void writeOut();

    int m_fd;
    bool m_interactive;
    // Stateless: a lone surrogate at the end of one text must not carry over into the next.
    QStringEncoder m_utf8{QStringEncoder::Utf8, QStringConverter::Flag::Stateless};
    QByteArray m_buffer;
    int m_failedErrno = 0;
};

// One line on standard error, prefixed "zunova: ". Failures to write it are ignored: there is
// nowhere left to report them.
void printMessage(const QString& text);
// One line on standard error as it stands ("FILE:LINE: text", which editors can jump to).
void printLine(const QString& text);

// "error 62: <text>", preceded by "FILE:LINE: " or "FILE: " where the error lies in a file.
QString describe(const runtime::RuntimeError& error);

// A number as a message may show it: control characters spelled out, so a stray escape cannot
// drive the terminal, and a very long line cut short.
QString displayed(const QString& number);

} // namespace zunova::console
