#include "fieldreader.h"

#include "conversion.h"
#include "runtimeerror.h"

#include <algorithm>
#include <cstring>

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

// The format's own form of a field: ASCII digits, an optional minus before them.
bool isPlainInteger(QStringView text) {
    if (text.startsWith(u'-'))
        text = text.sliced(1);
    return !text.isEmpty() &&
           std::ranges::all_of(text, [](QChar c) { return c >= u'0' && c <= u'9'; });
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

    return text.isEmpty() ? 0 : convert(text, fieldLine);
}

qint16 FieldReader::convert(const QByteArray& text, int fieldLine) {
    const QString written = QString::fromUtf8(text);
    qint16 value = 0;
    try {
        value = to16BitInteger(written);
    } catch (const RuntimeError& e) {
        throw RuntimeError(e.number(), m_sourceName, fieldLine);
    }
    if (m_oddField) {
        // The conversion skips spaces around a number: a quoted " 12 " is layout, not an odd form.
        const QString number = withoutSurroundingSpaces(written).toString();
        if (!isPlainInteger(number))
            m_oddField(OddField{fieldLine, number, value});
    }
    return value;
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
    const qsizetype longest = kLongestPlainField * std::ssize(out);
    if (m_len - m_pos < longest && !m_exhausted)
        topUp();
    // Every field's sign, digits, terminator and the LF after a CR lie inside the buffer, so
    // nothing below looks past its end.
    if (m_len - m_pos < longest)
        return false;
    // Works on a local cursor and commits only when every field was plain.
    const auto* p = reinterpret_cast<const unsigned char*>(m_buffer.data() + m_pos);
    int lines = 0;
    bool endedLine = false;
    // A 0x1A is neither a digit nor a terminator: a record holding one is the general path's.
    for (qint16& field : out) {
        // Most fields are a code of one digit and a comma.
        if (*p - unsigned('0') <= 9 && p[1] == ',') {
            field = static_cast<qint16>(*p - '0');
            p += 2;
            endedLine = false;
            continue;
        }
        bool negative = false;
        if (*p == '-') {
            negative = true;
            ++p;
        }
        unsigned digit = *p - unsigned('0');
        if (digit > 9) // empty or not a number: the general path reads or reports it
            return false;
        int value = int(digit);
        ++p;
        for (int more = 0; more < 4; ++more) {
            digit = *p - unsigned('0');
            if (digit > 9)
                break;
            value = value * 10 + int(digit);
            ++p;
        }
        if (*p - unsigned('0') <= 9 || value > 32768 || (value == 32768 && !negative))
            return false; // too long or beyond 16 bits: the general path reports it
        field = static_cast<qint16>(negative ? -value : value);
        const unsigned char separator = *p++;
        if (separator == ',') {
            endedLine = false;
            continue;
        }
        if (separator == '\r') {
            if (*p == '\n')
                ++p;
        } else if (separator != '\n') {
            return false;
        }
        endedLine = true;
        ++lines;
    }
    m_pos = reinterpret_cast<const char*>(p) - m_buffer.data();
    // The last field stands on the line its line end closes, if it had one.
    m_lastFieldLine = m_line + lines - (endedLine ? 1 : 0);
    m_line += lines;
    m_afterComma = !endedLine;
    return true;
}

int FieldReader::readRecord(std::span<qint16> out) {
    const int line = m_line;
    // The customary layout goes straight through; anything else takes the general path.
    if (readPlainRecord(out))
        return line;
    if (atEndOfData())
        return 0;
    const int firstLine = m_line;
    for (qint16& value : out)
        value = readField();
    return firstLine;
}

} // namespace zunova::runtime
