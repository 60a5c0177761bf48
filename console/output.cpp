#include "output.h"

#include "list/messages.h"
#include "runtime/fileio.h"
#include "runtime/runtimeerror.h"
#include "textlist/textcodec.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <unistd.h>

namespace zunova::console {
namespace {

constexpr qsizetype kDisplayedLength = 40;

bool isUndecodedByte(char16_t u) {
    return u >= 0xDC80 && u <= 0xDCFF;
}

bool needsEscape(QStringView text, qsizetype i) {
    const char16_t u = text[i].unicode();
    if (u < 0x20 || (u >= 0x7f && u < 0xa0))
        return true;
    // A low surrogate right after a high one is half of a real character.
    return isUndecodedByte(u) && !(i > 0 && text[i - 1].isHighSurrogate());
}

} // namespace

Output::Output(int fd, bool closedAtStart)
    : m_fd(fd)
    , m_interactive(!closedAtStart && ::isatty(fd) != 0)
    , m_buffer(std::make_unique_for_overwrite<char[]>(std::size_t(kBufferSize)))
    , m_failedErrno(closedAtStart ? EBADF : 0)
    , m_closedAtStart(closedAtStart) {}

Output::Output(int fd, const QString& name)
    : Output(fd) {
    m_failureName = name;
}

void Output::appendAcrossBuffers(QByteArrayView bytes) {
    while (m_used + bytes.size() > kBufferSize) {
        const qsizetype room = kBufferSize - m_used;
        std::memcpy(m_buffer.get() + m_used, bytes.data(), std::size_t(room));
        m_used = kBufferSize;
        bytes = bytes.sliced(room);
        flush();
        if (failed())
            return;
    }
    std::memcpy(m_buffer.get() + m_used, bytes.data(), std::size_t(bytes.size()));
    m_used += bytes.size();
}

void Output::append(QStringView text) {
    append(QByteArrayView(text.toUtf8()));
}

void Output::endLine() {
    if (m_interactive)
        flush();
}

void Output::flush() {
    if (failed() || m_used == 0)
        return;
    m_failedErrno = runtime::writeAll(m_fd, QByteArrayView(m_buffer.get(), m_used));
    m_used = 0;
}

bool Output::finish() {
    flush();
    if (!failed())
        return true;
    if (m_closedAtStart)
        printSystemError(Texts::tr("standard output"), EBADF);
    else if (m_failedErrno != EPIPE)
        printSystemError(m_failureName.isEmpty() ? Texts::tr("write error") : m_failureName,
                         m_failedErrno);
    return false;
}

void printLine(const QString& text) {
    const QByteArray bytes = (text + u'\n').toUtf8();
    // Standard error is unbuffered: one call keeps the line whole.
    std::fwrite(bytes.constData(), 1, std::size_t(bytes.size()), stderr);
}

void printSystemError(const QString& what, int error) {
    printMessage(what + QStringLiteral(": ") + QString::fromLocal8Bit(std::strerror(error)));
}

void printMessage(const QString& text) {
    printLine(QStringLiteral("zunova: ") + text);
}

QString describeError(const runtime::RuntimeError& error) {
    return list::errorNumberText(error);
}

QString decodeKeepingBytes(QByteArrayView bytes) {
    if (bytes.startsWith("\xEF\xBB\xBF"))
        bytes = bytes.sliced(3);
    const auto* p = reinterpret_cast<const unsigned char*>(bytes.data());
    const auto* const end = p + bytes.size();
    QString text;
    text.reserve(bytes.size());
    while (p < end) {
        const int length = textlist::utf8SequenceLength(p, end);
        if (length == 0) {
            text += QChar(char16_t(0xDC00 | *p++));
            continue;
        }
        char32_t code = length == 1 ? *p : *p & (0x7F >> length);
        for (int k = 1; k < length; ++k)
            code = (code << 6) | (p[k] & 0x3F);
        p += length;
        if (code < 0x10000) {
            text += QChar(char16_t(code));
        } else {
            text += QChar(QChar::highSurrogate(code));
            text += QChar(QChar::lowSurrogate(code));
        }
    }
    return text;
}

QString escaped(QStringView text) {
    QString out;
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (needsEscape(text, i))
            out +=
                QStringLiteral("\\x%1").arg(int(text[i].unicode() & 0xFF), 2, 16, QLatin1Char('0'));
        else
            out += text[i];
    }
    return out;
}

QString displayed(const QString& number) {
    QString out = escaped(QStringView(number).left(kDisplayedLength));
    if (number.size() > kDisplayedLength)
        out += Texts::tr("… (%1 characters)").arg(number.size());
    return out;
}

} // namespace zunova::console
