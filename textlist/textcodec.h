#pragma once

#include "list/cells.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <QStringConverter>
#include <QStringView>

#include <array>
#include <optional>

namespace zunova::textlist {

// The encodings spreadsheet programs in Japan save lists in.
enum class Encoding : quint8 { Utf8, ShiftJis, Utf16LE, Utf16BE };
inline constexpr std::array<Encoding, 4> kEncodings{Encoding::Utf8, Encoding::ShiftJis,
                                                    Encoding::Utf16LE, Encoding::Utf16BE};

// "UTF-8", "Shift_JIS", "UTF-16LE", "UTF-16BE": as the window shows them.
QString encodingName(Encoding encoding);
// The name the command line takes: those above in any case, and cp932, sjis, utf8, utf16le...
std::optional<Encoding> encodingOfName(QStringView name);

// The byte-order mark of an encoding.
QByteArrayView byteOrderMark(Encoding encoding);
// The encoding whose byte-order mark `data` starts with.
std::optional<Encoding> encodingOfByteOrderMark(QByteArrayView data);

// Rows are read from "working bytes": the file's own bytes for UTF-8 and Shift_JIS (whose line
// ends, quotes and delimiters are single ASCII bytes, never part of another character), UTF-8
// for UTF-16. A Codec turns fields of working bytes into text and text into working bytes.
// Not thread-safe: one per thread.
class Codec final : public list::CellDecoder {
public:
    explicit Codec(Encoding encoding);
    ~Codec() override;
    Codec(const Codec&) = delete;
    Codec& operator=(const Codec&) = delete;

    // False where this system cannot convert the encoding (iconv without Shift_JIS): nothing
    // may then be read or written in it.
    bool isAvailable() const;
    QString decode(QByteArrayView working) override;
    // A character the encoding lacks is written as 〓, the geta mark Japanese text has always
    // used for one: a Shift_JIS list gets Shift_JIS only.
    QByteArray encode(QStringView text);

private:
    bool m_shiftJis;
    void* m_fromShiftJis; // iconv_t
    void* m_toShiftJis;
};

// Converts a UTF-16 file's bytes (after its byte-order mark) into UTF-8 working bytes, piece by
// piece. Only valid UTF-16 turns back into the same bytes, so anything else is an error.
class Utf16Reader {
public:
    explicit Utf16Reader(Encoding encoding);
    // Appends the UTF-8 of `bytes` to `out`; false once the data are not valid UTF-16.
    bool read(QByteArrayView bytes, bool last, QByteArray& out);

private:
    QStringDecoder m_decoder;
    qint64 m_bytes = 0;
    bool m_highSurrogate = false; // the last unit read so far waits for its low surrogate
    bool m_valid = true;
};

// UTF-8 working bytes of whole rows back into UTF-16.
class Utf16Writer {
public:
    explicit Utf16Writer(Encoding encoding);
    QByteArray encode(QByteArrayView working);

private:
    QStringEncoder m_encoder;
};

// Whether `data` is valid in an encoding; a character cut off at the end counts as valid unless
// `whole`.
bool isValidUtf8(QByteArrayView data, bool whole);
bool isValidShiftJis(QByteArrayView data, bool whole);
// How much of `data` reads in an encoding: `valid`, all of it or up to the first byte that does
// not (a character cut off at the end counts as read unless `whole`); `complete`, up to the end
// of its last whole character.
struct TextPrefix {
    qsizetype valid;
    qsizetype complete;
};
TextPrefix utf8Prefix(QByteArrayView data, bool whole);
TextPrefix shiftJisPrefix(QByteArrayView data, bool whole);

// The length of the valid UTF-8 sequence at `p` (shortest form, no surrogates, at most
// U+10FFFF), or 0 where none starts before `end`.
int utf8SequenceLength(const unsigned char* p, const unsigned char* end);

} // namespace zunova::textlist
