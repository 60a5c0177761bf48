#include "sequentialreader.h"

#include "conversion.h"
#include "runtimeerror.h"

#include <limits>

namespace zunova::runtime {
namespace {

constexpr qsizetype kBufferSize = 64 * 1024;

bool isBlank(int c) {
    return c == ' ' || c == '\t';
}
bool isLineEnd(int c) {
    return c == '\r' || c == '\n';
}

} // namespace

SequentialReader::SequentialReader(QIODevice& device, QString sourceName)
    : m_device(device)
    , m_sourceName(std::move(sourceName))
    , m_buffer(kBufferSize) {}

int SequentialReader::peek() {
    if (m_pos < m_len)
        return static_cast<unsigned char>(m_buffer[m_pos]);
    if (m_exhausted)
        return kEnd;
    const qint64 got = m_device.read(m_buffer.data(), kBufferSize);
    if (got < 0) // an I/O failure after a successful open
        fail(ErrorNumber::PathNotFound, m_line);
    m_pos = 0;
    m_len = got;
    if (got == 0) {
        m_exhausted = true;
        return kEnd;
    }
    return static_cast<unsigned char>(m_buffer[0]);
}

void SequentialReader::consumeLineEnd() {
    if (peek() == '\r') {
        advance();
        if (peek() == '\n')
            advance();
    } else {
        advance();
    }
    ++m_line;
}

void SequentialReader::fail(ErrorNumber number, int line) const {
    throw RuntimeError(number, m_sourceName, line);
}

bool SequentialReader::atEndOfData() {
    for (int c = peek(); isBlank(c) || isLineEnd(c); c = peek()) {
        if (isLineEnd(c)) {
            consumeLineEnd();
            m_afterComma = false; // a record always starts on fresh data
        } else {
            advance();
        }
    }
    return peek() == kEnd;
}

qint16 SequentialReader::readInt16() {
    // After a line end (or at the start) blank lines are skipped; right after a comma a line end
    // closes an empty field instead.
    int c = peek();
    while (isBlank(c) || (!m_afterComma && isLineEnd(c))) {
        if (isLineEnd(c))
            consumeLineEnd();
        else
            advance();
        c = peek();
    }
    const int fieldLine = m_line;
    if (c == kEnd) {
        if (!m_afterComma)
            fail(ErrorNumber::InputPastEndOfFile, m_line);
        m_afterComma = false;
        return 0;
    }

    if (const std::optional<qint16> plain = readPlainField())
        return *plain;

    QByteArray text;
    bool tooLong = false;
    auto append = [&](int ch) {
        if (text.size() < kMaxFieldLength)
            text.append(static_cast<char>(ch));
        else
            tooLong = true;
    };

    if (c == '"') {
        advance();
        for (c = peek(); c != kEnd && c != '"'; c = peek()) {
            append(c);
            if (isLineEnd(c))
                consumeLineEnd();
            else
                advance();
        }
        if (c == '"')
            advance();
        for (c = peek(); isBlank(c); c = peek())
            advance();
        if (c != kEnd && c != ',' && !isLineEnd(c))
            fail(ErrorNumber::TypeMismatch, fieldLine);
    } else {
        for (; c != kEnd && c != ',' && !isLineEnd(c); c = peek()) {
            append(c);
            advance();
        }
        while (!text.isEmpty() && isBlank(text.back()))
            text.chop(1);
    }

    m_afterComma = c == ',';
    if (c == ',')
        advance();
    else if (isLineEnd(c))
        consumeLineEnd();

    if (tooLong)
        fail(ErrorNumber::Overflow, fieldLine);
    if (text.isEmpty())
        return 0;
    try {
        return to16BitInteger(QString::fromUtf8(text));
    } catch (const RuntimeError& e) {
        throw RuntimeError(e.number(), m_sourceName, fieldLine);
    }
}

std::optional<qint16> SequentialReader::readPlainField() {
    const char* const begin = m_buffer.data() + m_pos;
    const char* const end = m_buffer.data() + m_len;
    const char* p = begin;
    const bool negative = p < end && *p == '-';
    if (negative)
        ++p;
    const char* const digits = p;
    int value = 0;
    while (p < end && p - digits <= 5 && *p >= '0' && *p <= '9')
        value = value * 10 + (*p++ - '0');
    const auto count = p - digits;
    if (count == 0 || count > 5 || p == end || (*p != ',' && !isLineEnd(*p)))
        return std::nullopt;
    value = negative ? -value : value;
    if (value < std::numeric_limits<qint16>::min() || value > std::numeric_limits<qint16>::max())
        return std::nullopt; // the general path raises the overflow with its line
    m_pos += p - begin;
    m_afterComma = *p == ',';
    if (m_afterComma)
        advance();
    else
        consumeLineEnd();
    return static_cast<qint16>(value);
}

void SequentialReader::readInt16s(std::span<qint16> out) {
    for (qint16& value : out)
        value = readInt16();
}

} // namespace zunova::runtime
