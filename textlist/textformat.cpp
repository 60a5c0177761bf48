#include "textformat.h"

#include "rowreader.h"

#include <algorithm>
#include <vector>

namespace zunova::textlist {
namespace {

// Many control characters: a binary file, or text in an encoding not given (UTF-16 without its
// mark). A stray one in a text is kept and reported with its row, in a short list too.
bool looksBinary(QByteArrayView data) {
    return std::count_if(data.begin(), data.end(), isControlByte) >
           std::max<qsizetype>(data.size() / 100, 1);
}

bool isAscii(QByteArrayView data) {
    return std::all_of(data.begin(), data.end(),
                       [](char c) { return static_cast<unsigned char>(c) < 0x80; });
}

qsizetype replacements(const QString& text) {
    return text.count(QChar::ReplacementCharacter);
}

// The sample's first rows that are not blank, their fields decoded, split by `delimiter`; and
// how the sample ended: inside a row that goes on after it, or in a quote that never closes.
struct Sample {
    list::SampleRows rows;
    qint64 openRowLine = 0;  // the line a row goes on from past the sample's end
    qint64 unclosedLine = 0; // the line a quote that never closes opens on
    qint64 tooLongLine = 0;  // the line a row longer than the cap starts on
};

Sample sampleRows(QByteArrayView working, bool whole, char delimiter, Codec& codec) {
    Sample sample;
    RowReader reader(delimiter);
    const RowReader::Status status = reader.read(working, whole, [&](const Row& row) {
        if (row.fields > 0 && !row.unclosed) {
            QStringList fields;
            for (qsizetype i = 0; i < row.cells.size(); ++i)
                fields << codec.decode(row.cells[i]);
            sample.rows.push_back(std::move(fields));
        }
        return sample.rows.size() < std::size_t(list::kSampleRows);
    });
    if (status == RowReader::Status::UnclosedQuote)
        sample.unclosedLine = reader.rowLine();
    else if (status == RowReader::Status::RowTooLong)
        sample.tooLongLine = reader.rowLine();
    else if (status == RowReader::Status::Done && !whole && reader.inRow())
        sample.openRowLine = reader.rowLine();
    return sample;
}

// The delimiter that splits most rows into the same number of fields, two or more; else none,
// or a comma where a quote may hold a line break.
char delimiterOf(QByteArrayView working, bool whole, Codec& codec, Sample& rows) {
    char found = 0;
    int rowsAlike = 0;
    for (char candidate : {',', '\t', ';'}) {
        Sample split = sampleRows(working, whole, candidate, codec);
        const list::CommonWidth common = list::commonWidth(split.rows);
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

bool isControlByte(char c) {
    const auto u = static_cast<unsigned char>(c);
    return (u < 0x20 && u != '\t' && u != '\n' && u != '\r' && u != '\f' && u != 0x1a) || u == 0x7f;
}

bool holdsControlBytes(QByteArrayView text) {
    return std::any_of(text.begin(), text.end(), isControlByte);
}

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
            return static_cast<unsigned char>(c) >= 0x80 || isControlByte(c);
        });
        if (stop != piece.cend() && isControlByte(*stop))
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
    Sample rows;
    if (delimiter) {
        format.delimiter = *delimiter;
        rows = sampleRows(working, whole, *delimiter, codec);
    } else {
        format.delimiter = delimiterOf(working, whole, codec, rows);
    }
    const list::LayoutFound layout = list::findLayout(rows.rows, whole, column);
    format.layout = layout.layout;
    found.outcome = layout.outcome;
    const list::Problem problem = found.outcome.problem;
    const bool noLayout = problem == list::Problem::Empty ||
                          problem == list::Problem::NoNumberColumn ||
                          problem == list::Problem::HeaderOnly;
    // What follows the sample may hold the rows it lacks: a row that runs on past it.
    found.needsMore = noLayout && !whole && (rows.openRowLine > 0 || rows.rows.empty());
    found.openRowLine = rows.openRowLine;
    if (noLayout && rows.unclosedLine > 0)
        found.outcome = {.problem = list::Problem::UnclosedQuote, .line = rows.unclosedLine};
    if (noLayout && rows.tooLongLine > 0)
        found.outcome = {.problem = list::Problem::RowTooLong, .line = rows.tooLongLine};
    return found;
}

Detection detectWhole(QByteArrayView data, std::optional<Encoding> encoding,
                      const list::ColumnChoice& column, std::optional<char> delimiter) {
    for (qsizetype size = std::min(data.size(), kSampleBytes);;
         size = std::min(data.size(), 2 * size)) {
        const Detection found =
            detect(data.first(size), size == data.size(), encoding, column, delimiter);
        if (!found.needsMore || size == data.size())
            return found;
    }
}

} // namespace zunova::textlist
