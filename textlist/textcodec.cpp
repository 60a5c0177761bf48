#include "textcodec.h"

#include <algorithm>
#include <cerrno>
#include <iconv.h>
#include <vector>

namespace zunova::textlist {
namespace {

// glibc's CP932 is Windows' Shift_JIS, with the NEC and IBM characters Windows programs write.
constexpr char kShiftJis[] = "CP932";

iconv_t openIconv(const char* to, const char* from) {
    return iconv_open(to, from);
}

// QString::fromUtf8 drops a byte-order mark at the start; a row or a field keeps it.
QString fromUtf8Exactly(QByteArrayView bytes) {
    return QStringDecoder(QStringConverter::Utf8, QStringConverter::Flag::ConvertInitialBom)
        .decode(bytes);
}

bool isAscii(QByteArrayView bytes) {
    return std::all_of(bytes.begin(), bytes.end(),
                       [](char c) { return static_cast<unsigned char>(c) < 0x80; });
}

// How long the UTF-8 sequence a lead byte begins is: 1 to 4, or 0 for no lead byte.
int sequenceLengthOf(unsigned char lead) {
    return lead < 0x80                    ? 1
           : lead >= 0xC2 && lead <= 0xDF ? 2
           : lead >= 0xE0 && lead <= 0xEF ? 3
           : lead >= 0xF0 && lead <= 0xF4 ? 4
                                          : 0;
}

// The second byte's narrower range after some leads: no overlong forms, surrogates or code points
// past U+10FFFF.
bool validSecondByte(unsigned char lead, unsigned char second) {
    return !((lead == 0xE0 && second < 0xA0) || (lead == 0xED && second >= 0xA0) ||
             (lead == 0xF0 && second < 0x90) || (lead == 0xF4 && second >= 0x90));
}

// Whether the bytes from `p` to `end`, fewer than a whole sequence, begin a valid one.
bool beginsUtf8Sequence(const unsigned char* p, const unsigned char* end) {
    const int length = sequenceLengthOf(p[0]);
    if (length < 2 || end - p >= length)
        return false;
    for (const unsigned char* q = p + 1; q < end; ++q)
        if ((*q & 0xC0) != 0x80)
            return false;
    return end - p < 2 || validSecondByte(p[0], p[1]);
}

enum class Direction { FromShiftJis, ToShiftJis };

// Runs iconv over all of `in`. Returns the output, and whether the input was valid; an
// incomplete character at the end is invalid only where `whole`. What does not convert goes
// on as a replacement in the output's own encoding.
std::pair<QByteArray, bool> convert(void* handle, Direction direction, QByteArrayView in,
                                    bool whole) {
    auto cd = static_cast<iconv_t>(handle);
    iconv(cd, nullptr, nullptr, nullptr, nullptr);
    QByteArray out;
    std::vector<char> buffer(std::size_t(in.size()) * 2 + 16);
    char* source = const_cast<char*>(in.data());
    std::size_t left = std::size_t(in.size());
    bool valid = true;
    while (left > 0) {
        char* target = buffer.data();
        std::size_t room = buffer.size();
        const std::size_t done = iconv(cd, &source, &left, &target, &room);
        out.append(buffer.data(), qsizetype(target - buffer.data()));
        if (done != std::size_t(-1))
            break;
        if (errno == E2BIG)
            continue;
        if (errno == EINVAL && !whole)
            break;
        valid = false;
        // A byte that is not Shift_JIS reads as U+FFFD; a character Shift_JIS lacks, whole,
        // is written as 〓.
        const std::size_t skipped =
            direction == Direction::FromShiftJis
                ? 1
                : std::min<std::size_t>(
                      left, std::max(1, sequenceLengthOf(static_cast<unsigned char>(*source))));
        out.append(direction == Direction::FromShiftJis ? "\xEF\xBF\xBD" : "\x81\xAC");
        source += skipped;
        left -= skipped;
    }
    return {out, valid};
}

} // namespace

QString encodingName(Encoding encoding) {
    switch (encoding) {
    case Encoding::Utf8:
        return QStringLiteral("UTF-8");
    case Encoding::ShiftJis:
        return QStringLiteral("Shift_JIS");
    case Encoding::Utf16LE:
        return QStringLiteral("UTF-16LE");
    case Encoding::Utf16BE:
        return QStringLiteral("UTF-16BE");
    }
    return {};
}

std::optional<Encoding> encodingOfName(QStringView name) {
    QString key = name.toString().toLower();
    key.remove(u'-').remove(u'_');
    if (key == u"utf8")
        return Encoding::Utf8;
    if (key == u"shiftjis" || key == u"sjis" || key == u"cp932" || key == u"windows31j")
        return Encoding::ShiftJis;
    if (key == u"utf16le")
        return Encoding::Utf16LE;
    if (key == u"utf16be")
        return Encoding::Utf16BE;
    return std::nullopt;
}

QByteArrayView byteOrderMark(Encoding encoding) {
    switch (encoding) {
    case Encoding::Utf8:
        return "\xEF\xBB\xBF";
    case Encoding::Utf16LE:
        return "\xFF\xFE";
    case Encoding::Utf16BE:
        return "\xFE\xFF";
    case Encoding::ShiftJis:
        break;
    }
    return {};
}

std::optional<Encoding> encodingOfByteOrderMark(QByteArrayView data) {
    for (Encoding encoding : {Encoding::Utf8, Encoding::Utf16LE, Encoding::Utf16BE})
        if (data.startsWith(byteOrderMark(encoding)))
            return encoding;
    return std::nullopt;
}

Codec::Codec(Encoding encoding)
    : m_shiftJis(encoding == Encoding::ShiftJis)
    , m_fromShiftJis(m_shiftJis ? openIconv("UTF-8", kShiftJis) : iconv_t(-1))
    , m_toShiftJis(m_shiftJis ? openIconv(kShiftJis, "UTF-8") : iconv_t(-1)) {}

Codec::~Codec() {
    for (void* handle : {m_fromShiftJis, m_toShiftJis})
        if (static_cast<iconv_t>(handle) != iconv_t(-1))
            iconv_close(static_cast<iconv_t>(handle));
}

bool Codec::isAvailable() const {
    return !m_shiftJis || (static_cast<iconv_t>(m_fromShiftJis) != iconv_t(-1) &&
                           static_cast<iconv_t>(m_toShiftJis) != iconv_t(-1));
}

QString Codec::decode(QByteArrayView working) {
    // ASCII reads the same in every working encoding.
    if (!m_shiftJis || isAscii(working))
        return fromUtf8Exactly(working);
    if (!isAvailable())
        return QString(qsizetype(working.size()), QChar::ReplacementCharacter);
    return fromUtf8Exactly(convert(m_fromShiftJis, Direction::FromShiftJis, working, true).first);
}

QByteArray Codec::encode(QStringView text) {
    const QByteArray utf8 = text.toUtf8();
    if (!m_shiftJis || isAscii(utf8))
        return utf8;
    if (!isAvailable())
        return QByteArray(utf8.size(), '?');
    return convert(m_toShiftJis, Direction::ToShiftJis, utf8, true).first;
}

Utf16Reader::Utf16Reader(Encoding encoding)
    : m_decoder(encoding == Encoding::Utf16BE ? QStringConverter::Utf16BE
                                              : QStringConverter::Utf16LE,
                QStringConverter::Flag::ConvertInitialBom) {}

bool Utf16Reader::read(QByteArrayView bytes, bool last, QByteArray& out) {
    const QString text = m_decoder.decode(bytes);
    m_bytes += bytes.size();
    // The decoder passes unpaired surrogates through; UTF-8 could not give them back.
    for (QChar c : text) {
        if (m_highSurrogate != c.isLowSurrogate())
            m_valid = false;
        m_highSurrogate = c.isHighSurrogate();
    }
    out += text.toUtf8();
    // Half a code unit or a high surrogate left at the very end is not UTF-16 either.
    if (last && (m_bytes % 2 != 0 || m_highSurrogate))
        m_valid = false;
    return m_valid && !m_decoder.hasError();
}

Utf16Writer::Utf16Writer(Encoding encoding)
    : m_encoder(encoding == Encoding::Utf16BE ? QStringConverter::Utf16BE
                                              : QStringConverter::Utf16LE,
                QStringConverter::Flag::Stateless) {}

QByteArray Utf16Writer::encode(QByteArrayView working) {
    return m_encoder.encode(fromUtf8Exactly(working));
}

int utf8SequenceLength(const unsigned char* p, const unsigned char* end) {
    const unsigned char c = p[0];
    const int length = sequenceLengthOf(c);
    if (length <= 1 || end - p < length)
        return end - p < length ? 0 : length;
    for (int k = 1; k < length; ++k)
        if ((p[k] & 0xC0) != 0x80)
            return 0;
    return validSecondByte(c, p[1]) ? length : 0;
}

TextPrefix utf8Prefix(QByteArrayView data, bool whole) {
    const auto* p = reinterpret_cast<const unsigned char*>(data.data());
    const auto* const end = p + data.size();
    while (p < end) {
        if (*p < 0x80) {
            ++p;
            continue;
        }
        const int length = utf8SequenceLength(p, end);
        if (length == 0) {
            const auto at = qsizetype(reinterpret_cast<const char*>(p) - data.data());
            // A sequence cut off by the end of a piece is not wrong yet.
            if (!whole && beginsUtf8Sequence(p, end))
                return {data.size(), at};
            return {at, at};
        }
        p += length;
    }
    return {data.size(), data.size()};
}

TextPrefix shiftJisPrefix(QByteArrayView data, bool whole) {
    const iconv_t cd = openIconv("UTF-8", kShiftJis);
    if (cd == iconv_t(-1))
        return {0, 0};
    char* source = const_cast<char*>(data.data());
    std::size_t left = std::size_t(data.size());
    std::vector<char> buffer(64 * 1024);
    bool cutOff = false;
    while (left > 0) {
        char* target = buffer.data();
        std::size_t room = buffer.size();
        if (iconv(cd, &source, &left, &target, &room) != std::size_t(-1) || errno == E2BIG)
            continue;
        cutOff = errno == EINVAL && !whole; // a character cut off by the end of a piece
        break;
    }
    iconv_close(cd);
    const qsizetype read = data.size() - qsizetype(left);
    return {cutOff ? data.size() : read, read};
}

bool isValidUtf8(QByteArrayView data, bool whole) {
    return utf8Prefix(data, whole).valid == data.size();
}

bool isValidShiftJis(QByteArrayView data, bool whole) {
    return Codec(Encoding::ShiftJis).isAvailable() &&
           shiftJisPrefix(data, whole).valid == data.size();
}

} // namespace zunova::textlist
