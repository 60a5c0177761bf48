#pragma once

#include <QByteArrayView>
#include <QCoreApplication>
#include <QIODevice>
#include <QString>
#include <QStringView>

#include <cstring>
#include <memory>

namespace zunova::runtime {
class RuntimeError;
}

namespace zunova::console {

// The command line's own words, written in English and marked for the catalogue in the context
// "zunova::console": Texts::tr() says them in the user's language.
class Texts {
    Q_DECLARE_TR_FUNCTIONS(zunova::console)
};

// Standard output for many short lines: collected in a plain buffer and written in big pieces,
// or line by line when a person is watching (a terminal). The first failed write ends all
// output.
class Output {
public:
    // `closedAtStart`: the descriptor was closed when the program started (and now leads
    // nowhere), so nothing is written and finish() reports it.
    explicit Output(int fd, bool closedAtStart = false);
    // Output to a file of that name, which a failure names.
    Output(int fd, const QString& name);
    Output(const Output&) = delete;
    Output& operator=(const Output&) = delete;

    void append(QByteArrayView bytes) {
        // Most pieces are a few bytes: into the buffer they go. An empty one may have no address
        // at all, which memcpy must not be given.
        if (bytes.isEmpty() || failed())
            return;
        if (m_used + bytes.size() > kBufferSize)
            return appendAcrossBuffers(bytes);
        std::memcpy(m_buffer.get() + m_used, bytes.data(), std::size_t(bytes.size()));
        m_used += bytes.size();
    }
    void append(QStringView text); // as UTF-8
    // Ends one answer: written at once on a terminal, else when the buffer is full.
    void endLine();
    void flush();

    bool failed() const { return m_failedErrno != 0; }
    // A person is watching: each answer is written as soon as it ends.
    bool interactive() const { return m_interactive; }

    // Writes what is left and says whether everything reached its file. If not, says why on
    // standard error; a reader that closed the pipe early (| head) made its choice and gets no
    // word.
    bool finish();

private:
    static constexpr qsizetype kBufferSize = 64 * 1024;

    // Fills the buffer, writes it out and keeps the rest, until what is left fits.
    void appendAcrossBuffers(QByteArrayView bytes);

    int m_fd;
    bool m_interactive;
    std::unique_ptr<char[]> m_buffer;
    qsizetype m_used = 0;
    int m_failedErrno = 0;
    bool m_closedAtStart;
    QString m_failureName; // empty: standard output
};

// Output as a device, for what writes to one (a workbook's copy): writes go into the output's
// buffer, and fail once it has failed.
class OutputDevice final : public QIODevice {
public:
    explicit OutputDevice(Output& out)
        : m_out(out) {
        open(QIODevice::WriteOnly);
    }

protected:
    qint64 readData(char*, qint64) override { return -1; }
    qint64 writeData(const char* data, qint64 size) override {
        m_out.append(QByteArrayView(data, size));
        return m_out.failed() ? -1 : size;
    }

private:
    Output& m_out;
};

// One line on standard error, prefixed "zunova: ". Failures to write it are ignored: there is
// nowhere left to report them.
void printMessage(const QString& text);
// "zunova: WHAT: REASON" on standard error, the reason being the system's text for `error` (in
// the user's language where the system has it).
void printSystemError(const QString& what, int error);
// One line on standard error as it stands ("FILE:LINE: text", which editors can jump to).
void printLine(const QString& text);

// "error 62: <text>".
QString describeError(const runtime::RuntimeError& error);

// Text read from the command line or standard input, as UTF-8. A byte that is not part of valid
// UTF-8 becomes U+DC80 + its value (a lone surrogate, which no valid text holds), so that it can
// be shown as the byte it was; a byte-order mark at the start is dropped.
QString decodeKeepingBytes(QByteArrayView bytes);

// Text as it may be shown on a terminal or in a log: control characters, and bytes that were not
// valid UTF-8, spelled out as \xNN, so a stray escape cannot drive the terminal and every number
// stays on its own line.
QString escaped(QStringView text);

// A number as a message shows it: escaped, and a very long line cut short.
QString displayed(const QString& number);

} // namespace zunova::console
