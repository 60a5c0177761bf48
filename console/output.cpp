#include "output.h"

#include "runtime/runtimeerror.h"

#include <cerrno>
#include <cstdio>
#include <unistd.h>

namespace zunova::console {
namespace {

constexpr qsizetype kBufferSize = 64 * 1024;
constexpr qsizetype kDisplayedLength = 40;

} // namespace

Output::Output(int fd)
    : m_fd(fd)
    , m_interactive(::isatty(fd) != 0) {
    m_buffer.reserve(kBufferSize + 256);
}

Output::~Output() {
    flush();
}

void Output::append(QByteArrayView bytes) {
    if (failed())
        return;
    m_buffer.append(bytes);
    if (m_buffer.size() >= kBufferSize)
        writeOut();
}

void Output::append(QStringView text) {
    if (failed())
        return;
    // Encoded straight into the buffer: no temporary per line.
    const qsizetype used = m_buffer.size();
    m_buffer.resize(used + m_utf8.requiredSpace(text.size()));
    char* const end = m_utf8.appendToBuffer(m_buffer.data() + used, text);
    m_buffer.truncate(end - m_buffer.constData());
    if (m_buffer.size() >= kBufferSize)
        writeOut();
}

void Output::endLine() {
    if (m_interactive)
        flush();
}

void Output::flush() {
    if (!failed() && !m_buffer.isEmpty())
        writeOut();
}

void Output::writeOut() {
    const char* data = m_buffer.constData();
    qsizetype left = m_buffer.size();
    while (left > 0) {
        const auto written = ::write(m_fd, data, std::size_t(left));
        if (written < 0) {
            if (errno == EINTR)
                continue;
            m_failedErrno = errno != 0 ? errno : EIO;
            break;
        }
        data += written;
        left -= written;
    }
    m_buffer.resize(0); // keeps the capacity
}

void printLine(const QString& text) {
    const QByteArray bytes = (text + u'\n').toUtf8();
    // Standard error is unbuffered: one call keeps the line whole.
    std::fwrite(bytes.constData(), 1, std::size_t(bytes.size()), stderr);
}

void printMessage(const QString& text) {
    printLine(QStringLiteral("zunova: ") + text);
}

QString describe(const runtime::RuntimeError& error) {
    QString where;
    if (!error.file().isEmpty())
        where = error.line() > 0 ? QStringLiteral("%1:%2: ").arg(error.file()).arg(error.line())
                                 : error.file() + QStringLiteral(": ");
    return where +
           QStringLiteral("error %1: %2").arg(static_cast<int>(error.number())).arg(error.text());
}

QString displayed(const QString& number) {
    QString out;
    const QStringView shown = QStringView(number).left(kDisplayedLength);
    for (QChar c : shown) {
        const char16_t u = c.unicode();
        if (u < 0x20 || (u >= 0x7f && u < 0xa0))
            out += QStringLiteral("\\x%1").arg(int(u), 2, 16, QLatin1Char('0'));
        else
            out += c;
    }
    if (number.size() > shown.size())
        out += QStringLiteral(u"… (%1 characters)").arg(number.size());
    return out;
}

} // namespace zunova::console
