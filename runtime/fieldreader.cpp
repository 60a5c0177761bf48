#include "fieldreader.h"

#include "conversion.h"
#include "runtimeerror.h"

#include <cstring>
#include <limits>

namespace zunova::runtime {
namespace {

constexpr qsizetype kBufferSize = 64 * 1024;
// What the plain-record path may look at for one field: a sign, six digits, a terminator and
// the LF after a CR.
constexpr qsizetype kLongestPlainField = 9;

bool isBlank(int c) {
    return c == ' ' || c == '\t';
}
bool isLineEnd(int c) {
    return c == '\r' || c == '\n';
}

} // namespace

FieldReader::FieldReader(QIODevice& device, QString sourceName)
    : m_device(device)
    , m_sourceName(std::move(sourceName))
    , m_buffer(kBufferSize)
    , m_sizeAtStart(device.size()) {}

qsizetype FieldReader::readMore(char* into, qsizetype room) {
    const qint64 got = m_device.read(into, room);
    if (got < 0)
        fail(ErrorNumber::DeviceIOError, m_line);
    m_bytesRead += got;
    m_exhausted = got == 0;
    // Ended before the size it had when it was opened: cut while it is read.
    m_cut = m_exhausted && m_bytesRead < m_sizeAtStart;
    return qsizetype(got);
}

int FieldReader::peek() {
    if (m_pos == m_len && !m_exhausted) {
        m_pos = 0;
        m_len = 0;
        m_len = readMore(m_buffer.data(), kBufferSize);
    }
    if (m_pos == m_len) {
        // Where a cut file stops is neither data nor their end: every lookup reaching it fails.
        if (m_cut)
            fail(ErrorNumber::DeviceIOError, m_line);
        return kEnd;
    }
    // The mark stays unconsumed, so the data end here for good and nothing after it is read.
    const int c = static_cast<unsigned char>(m_buffer[m_pos]);
    return c == kEndOfFileMark ? kEnd : c;
}

void FieldReader::consumeLineEnd() {
    if (peek() == '\r') {
        advance();
        if (peek() == '\n')
            advance();
    } else {
        advance();
    }
    ++m_line;
}

void FieldReader::fail(ErrorNumber number, int line) const {
    throw RuntimeError(number, m_sourceName, line);
}

bool FieldReader::atEndOfData() {
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

qint16 FieldReader::readField() {
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
    if (c == kEnd && !m_afterComma) // the record is cut short: name where its data stopped
        fail(ErrorNumber::InputPastEndOfFile, m_lastFieldLine);
    const int fieldLine = m_line;
    m_lastFieldLine = fieldLine;
    if (c == kEnd) {
        m_afterComma = false;
        return 0;
    }

    QByteArray text;
    // Stops at the cap at once: reading the rest of an endless field would only cost time.
    auto append = [&](int ch) {
        if (text.size() == kMaxFieldLength)
            fail(ErrorNumber::Overflow, fieldLine);
        text.append(static_cast<char>(ch));
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

    if (text.isEmpty())
        return 0;
    try {
        return to16BitInteger(QString::fromUtf8(text));
    } catch (const RuntimeError& e) {
        throw RuntimeError(e.number(), m_sourceName, fieldLine);
    }
}

void FieldReader::topUp() {
    const qsizetype kept = m_len - m_pos;
    std::memmove(m_buffer.data(), m_buffer.data() + m_pos, static_cast<std::size_t>(kept));
    m_pos = 0;
    m_len = kept;
    m_len += readMore(m_buffer.data() + kept, kBufferSize - kept);
}

std::optional<int> FieldReader::lineOfDataAfterEndMark() {
    if (peek() != kEnd || m_pos == m_len)
        return std::nullopt; // the data go on, or ended with the device
    m_cut = false;           // what follows the mark is not data, whole or cut
    int line = m_line;
    bool afterCarriageReturn = false;
    ++m_pos; // past the mark
    for (;;) {
        if (m_pos == m_len) {
            if (m_exhausted)
                return std::nullopt;
            m_pos = 0;
            m_len = 0;
            m_len = readMore(m_buffer.data(), kBufferSize);
            continue;
        }
        const char c = m_buffer[m_pos++];
        if (c == '\n' && afterCarriageReturn) {
            afterCarriageReturn = false;
            continue;
        }
        afterCarriageReturn = c == '\r';
        if (c == '\r' || c == '\n')
            ++line;
        // Old editors pad a file to its block size with more marks.
        else if (c != ' ' && c != '\t' && c != kEndOfFileMark)
            return line;
    }
}

bool FieldReader::readPlainRecord(std::span<qint16> out) {
    // A record that straddles the end of the buffer is still read here: the general path it
    // would otherwise take allocates for every field, at every buffer boundary of a long file.
    if (m_len - m_pos < kLongestPlainField * std::ssize(out) && !m_exhausted)
        topUp();
    // Works on a local cursor and commits only when every field was plain.
    const char* p = m_buffer.data() + m_pos;
    const char* const end = m_buffer.data() + m_len;
    int lines = 0;
    int lastFieldLine = m_lastFieldLine;
    bool afterComma = m_afterComma;
    // A 0x1A is neither a digit nor a terminator: a record holding one is the general path's.
    for (qint16& field : out) {
        // Sign, six digits, a terminator and the LF after a CR all lie inside the buffer.
        if (end - p < kLongestPlainField)
            return false;
        const bool negative = *p == '-';
        p += negative;
        const char* const digits = p;
        int value = 0;
        while (p - digits < 6 && static_cast<unsigned char>(*p - '0') < 10)
            value = value * 10 + (*p++ - '0');
        // Empty, long or out-of-range fields are the general path's to read or report.
        if (p == digits || p - digits > 5)
            return false;
        value = negative ? -value : value;
        if (value < std::numeric_limits<qint16>::min() ||
            value > std::numeric_limits<qint16>::max())
            return false;
        lastFieldLine = m_line + lines;
        if (*p == ',') {
            afterComma = true;
            ++p;
        } else if (*p == '\n' || *p == '\r') {
            afterComma = false;
            p += (*p == '\r' && p[1] == '\n') ? 2 : 1;
            ++lines;
        } else {
            return false;
        }
        field = static_cast<qint16>(value);
    }
    m_pos = p - m_buffer.data();
    m_line += lines;
    m_lastFieldLine = lastFieldLine;
    m_afterComma = afterComma;
    return true;
}

void FieldReader::readFields(std::span<qint16> out) {
    if (readPlainRecord(out))
        return;
    for (qint16& value : out)
        value = readField();
}

} // namespace zunova::runtime
