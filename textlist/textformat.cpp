#include "textformat.h"

#include "rowreader.h"

#include <algorithm>
#include <vector>

namespace zunova::textlist {
namespace {

// Control characters other than tab, line ends, form feed and the DOS end-of-file mark, which
// turn up in text files.
bool isBinaryControl(char c) {
    const auto u = static_cast<unsigned char>(c);
    return (u < 0x20 && u != '\t' && u != '\n' && u != '\r' && u != '\f' && u != 0x1a) || u == 0x7f;
}

bool looksBinary(QByteArrayView data) {
    if (data.contains('\0'))
        return true;
    return std::count_if(data.begin(), data.end(), isBinaryControl) > data.size() / 100;
}

bool isAscii(QByteArrayView data) {
    return std::all_of(data.begin(), data.end(),
                       [](char c) { return static_cast<unsigned char>(c) < 0x80; });
}

qsizetype replacements(const QString& text) {
    return text.count(QChar::ReplacementCharacter);
}

// The decoded fields of the sample's first rows that are not blank, split by `delimiter`.
list::SampleRows sampleRows(QByteArrayView working, bool whole, char delimiter, Codec& codec) {
    list::SampleRows rows;
    RowReader reader(delimiter);
    reader.read(working, whole, [&](const Row& row) {
        if (row.fields > 0) {
            QStringList fields;
            for (qsizetype i = 0; i < row.cells.size(); ++i)
                fields << codec.decode(row.cells[i]);
            rows.push_back(std::move(fields));
        }
        return rows.size() < std::size_t(list::kSampleRows);
    });
    return rows;
}

// The delimiter that splits most rows into the same number of fields, two or more; else none,
// or a comma where a quote may hold a line break.
char delimiterOf(QByteArrayView working, bool whole, Codec& codec, list::SampleRows& rows) {
    char found = 0;
    int rowsAlike = 0;
    for (char candidate : {',', '\t', ';'}) {
        list::SampleRows split = sampleRows(working, whole, candidate, codec);
        const list::CommonWidth common = list::commonWidth(split);
        if (common.width >= 2 && common.rows > rowsAlike) {
            rows = std::move(split);
            rowsAlike = common.rows;
            found = candidate;
        }
    }
    if (found == 0) {
        // One column: quoted, it is still a delimited file (a quote may hold a line break).
        found = working.contains('"') ? ',' : 0;
        rows = sampleRows(working, whole, found, codec);
    }
    return found;
}

} // namespace

std::pair<Encoding, EncodingDoubt> encodingOfText(QByteArrayView text, bool whole) {
    if (isAscii(text))
        return {Encoding::Utf8, EncodingDoubt::AsciiOnly};
    if (isValidUtf8(text, whole))
        return {Encoding::Utf8, EncodingDoubt::None};
    // Not UTF-8, and where Shift_JIS cannot be tried, reading it as UTF-8 would be a guess: the
    // caller finds it unavailable.
    if (!Codec(Encoding::ShiftJis).isAvailable() || isValidShiftJis(text, whole))
        return {Encoding::ShiftJis, EncodingDoubt::None};
    // Whichever reads more of it.
    const QString asUtf8 = QString::fromUtf8(text);
    const QString asShiftJis = Codec(Encoding::ShiftJis).decode(text);
    return {replacements(asUtf8) < replacements(asShiftJis) ? Encoding::Utf8 : Encoding::ShiftJis,
            EncodingDoubt::InvalidBytes};
}

void takeEncodingFromLaterText(Format& format, QByteArrayView later, bool whole) {
    if (format.doubt != EncodingDoubt::AsciiOnly || later.isEmpty())
        return;
    std::tie(format.encoding, format.doubt) = encodingOfText(
        later.first(std::min(later.size(), kSampleBytes)), whole || later.size() <= kSampleBytes);
}

bool readAheadForTheEncoding(list::ListInput& input, Format& format) {
    constexpr qsizetype kPiece = 64 * 1024;
    // The first byte that is not ASCII.
    QByteArray later;
    qint64 offset = kSampleBytes;
    while (later.isEmpty()) {
        if (offset >= kSampleBytes + kReadAheadBytes)
            return false;
        QByteArray piece;
        const qsizetype got = input.readAhead(piece, offset, kPiece);
        if (got <= 0)
            return got == 0;
        offset += got;
        const auto stop = std::find_if(piece.cbegin(), piece.cend(), [](char c) {
            return static_cast<unsigned char>(c) >= 0x80 || isBinaryControl(c);
        });
        if (stop != piece.cend() && isBinaryControl(*stop))
            return false;
        later = piece.sliced(stop - piece.cbegin());
    }
    // The text from there on that its encoding is found from.
    bool atEnd = false;
    while (!atEnd && later.size() < kSampleBytes) {
        const qsizetype got = input.readAhead(later, offset, kPiece);
        atEnd = got <= 0;
        offset += std::max<qsizetype>(got, 0);
    }
    takeEncodingFromLaterText(format, later, atEnd);
    return false;
}

void takeEncodingFromWholeText(Format& format, QByteArrayView data) {
    if (format.isUtf16() || data.size() <= kSampleBytes)
        return;
    if (format.doubt == EncodingDoubt::AsciiOnly) {
        const auto later = std::find_if(data.begin() + kSampleBytes, data.end(), [](char c) {
            return static_cast<unsigned char>(c) >= 0x80;
        });
        takeEncodingFromLaterText(format, data.sliced(later - data.begin()), true);
        return;
    }
    if (format.doubt != EncodingDoubt::None)
        return;
    const QByteArrayView text = data.sliced(format.dataStart());
    const TextPrefix read =
        format.encoding == Encoding::ShiftJis ? shiftJisPrefix(text, true) : utf8Prefix(text, true);
    if (read.valid < text.size())
        format.doubt = EncodingDoubt::InvalidBytes;
}

namespace {

// The encoding the list is read in, and its byte-order mark: given, marked, or found.
list::Problem findEncoding(QByteArrayView sample, bool whole, std::optional<Encoding> encoding,
                           Format& format) {
    const std::optional<Encoding> marked = encodingOfByteOrderMark(sample);
    if (encoding) {
        format.encoding = *encoding;
        format.byteOrderMark = marked == encoding;
    } else if (marked) {
        format.encoding = *marked;
        format.byteOrderMark = true;
    } else if (looksBinary(sample)) {
        return list::Problem::Binary;
    } else {
        std::tie(format.encoding, format.doubt) = encodingOfText(sample, whole);
    }
    return Codec(format.encoding).isAvailable() ? list::Problem::None
                                                : list::Problem::EncodingUnavailable;
}

} // namespace

Detection detect(QByteArrayView sample, bool whole, std::optional<Encoding> encoding,
                 const list::ColumnChoice& column, std::optional<char> delimiter) {
    Detection found;
    Format& format = found.format;
    found.outcome.problem = findEncoding(sample, whole, encoding, format);
    if (!found.outcome.ok())
        return found;

    QByteArrayView working = sample.sliced(format.dataStart());
    QByteArray converted;
    if (format.isUtf16()) {
        if (!Utf16Reader(format.encoding).read(working, whole, converted)) {
            found.outcome.problem = list::Problem::NotUtf16;
            return found;
        }
        working = converted;
    }
    Codec codec(format.encoding);
    list::SampleRows rows;
    if (delimiter) {
        format.delimiter = *delimiter;
        rows = sampleRows(working, whole, *delimiter, codec);
    } else {
        format.delimiter = delimiterOf(working, whole, codec, rows);
    }
    const list::LayoutFound layout = list::findLayout(rows, whole, column);
    format.layout = layout.layout;
    found.outcome = layout.outcome;
    return found;
}

} // namespace zunova::textlist
