#include "textcodec.h"

#include <algorithm>
#include <cerrno>
#include <iconv.h>
#include <vector>

namespace zunova::list {
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

// Runs iconv over all of `in`. Returns the output, and whether the input was valid; an
// incomplete character at the end is invalid only where `whole`.
std::pair<QByteArray, bool> convert(void* handle, QByteArrayView in, bool whole) {
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
        // Skip the byte that does not convert and go on, as a replacement character.
        out.append("\xEF\xBF\xBD");
        ++source;
        --left;
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

QString Codec::decode(QByteArrayView working) {
    // Most fields are numbers: ASCII reads the same in every working encoding.
    if (isAscii(working))
        return QString::fromLatin1(working);
    if (!m_shiftJis || static_cast<iconv_t>(m_fromShiftJis) == iconv_t(-1))
        return fromUtf8Exactly(working);
    return fromUtf8Exactly(convert(m_fromShiftJis, working, true).first);
}

void Codec::decode(QByteArrayView working, QString& text) {
    if (!isAscii(working)) {
        text = decode(working);
        return;
    }
    text.resize(working.size());
    QChar* out = text.data();
    for (char c : working)
        *out++ = QLatin1Char(c);
}

QByteArray Codec::encode(QStringView text) {
    const QByteArray utf8 = text.toUtf8();
    if (!m_shiftJis || static_cast<iconv_t>(m_toShiftJis) == iconv_t(-1) || isAscii(utf8))
        return utf8;
    return convert(m_toShiftJis, utf8, true).first;
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

void Utf16Writer::write(QByteArrayView working, QByteArray& out) {
    out += m_encoder.encode(fromUtf8Exactly(working));
}

bool isValidUtf8(QByteArrayView data, bool whole) {
    QStringDecoder decoder(QStringConverter::Utf8, QStringConverter::Flag::ConvertInitialBom);
    const QString text = decoder.decode(data);
    if (decoder.hasError())
        return false;
    if (!whole)
        return true;
    // A sequence cut off at the end is kept back by the decoder, not reported.
    return QByteArrayView(text.toUtf8()) == data;
}

bool isValidShiftJis(QByteArrayView data, bool whole) {
    const iconv_t cd = openIconv("UTF-8", kShiftJis);
    if (cd == iconv_t(-1))
        return false;
    const bool valid = convert(cd, data, whole).second;
    iconv_close(cd);
    return valid;
}

} // namespace zunova::list
