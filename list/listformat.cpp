#include "listformat.h"

#include "rowreader.h"

#include "lookup/writtennumber.h"

#include <algorithm>
#include <map>
#include <vector>

namespace zunova::list {
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

struct SampleRows {
    std::vector<QStringList> rows; // the fields of the sample's non-blank rows, decoded
    int width = 0;
    int widthCount = 0;
};

SampleRows sampleRows(QByteArrayView working, bool whole, char delimiter, Codec& codec) {
    SampleRows sample;
    RowReader reader(delimiter, 0);
    reader.read(working, whole, [&](const Row& row) {
        if (row.fields > 0) {
            QStringList fields;
            for (const QByteArray& field : splitFields(row.content, delimiter))
                fields << codec.decode(field);
            sample.rows.push_back(std::move(fields));
        }
        return sample.rows.size() < std::size_t(kSampleRows);
    });
    std::map<int, int> widths;
    for (const QStringList& fields : sample.rows)
        ++widths[int(fields.size())];
    for (const auto& [width, count] : widths)
        if (count > sample.widthCount)
            std::tie(sample.width, sample.widthCount) = std::tie(width, count);
    return sample;
}

// The column whose cells most often hold a mobile number; a header that names a mobile column
// breaks a tie, else the leftmost wins. Without any mobile number, the column that most often
// holds a telephone number.
std::optional<int> numberColumn(const std::vector<QStringList>& rows) {
    std::vector<int> mobiles;
    std::vector<int> numbers;
    for (const QStringList& fields : rows)
        for (int i = 0; i < fields.size(); ++i) {
            if (std::size_t(i) >= numbers.size()) {
                numbers.resize(std::size_t(i) + 1);
                mobiles.resize(std::size_t(i) + 1);
            }
            mobiles[std::size_t(i)] += holdsMobileNumber(fields[i]) ? 1 : 0;
            numbers[std::size_t(i)] += holdsNumber(fields[i]) ? 1 : 0;
        }
    const QStringList& header = rows.front();
    const auto named = [&](int i) {
        return i < header.size() && namesMobileColumn(header[i]);
    };
    const std::vector<int>& counts =
        std::any_of(mobiles.begin(), mobiles.end(), [](int n) { return n > 0; }) ? mobiles
                                                                                 : numbers;
    std::optional<int> best;
    for (int i = 0; i < int(counts.size()); ++i) {
        if (counts[std::size_t(i)] == 0)
            continue;
        if (!best || counts[std::size_t(i)] > counts[std::size_t(*best)] ||
            (counts[std::size_t(i)] == counts[std::size_t(*best)] && named(i) && !named(*best)))
            best = i;
    }
    return best;
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

bool holdsNumber(QStringView field) {
    return lookup::isTelephoneNumber(
        lookup::readWrittenNumber(field, lookup::DroppedZero::Restore).text);
}

bool holdsMobileNumber(QStringView field) {
    return lookup::isMobileNumber(
        lookup::readWrittenNumber(field, lookup::DroppedZero::Restore).text);
}

bool namesMobileColumn(QStringView header) {
    const QString name = header.toString().toLower();
    return name.contains(u"携帯") || name.contains(u"モバイル") || name.contains(u"mobile") ||
           name.contains(u"cell");
}

bool holdsSeveralNumbers(QStringView text) {
    int lines = 0;
    bool numberInLine = false;
    qsizetype fieldStart = 0;
    for (qsizetype i = 0; i <= text.size() && lines < 2; ++i) {
        const char16_t c = i < text.size() ? text[i].unicode() : u'\n';
        const bool lineEnd = c == u'\n' || c == u'\r';
        if (!lineEnd && c != u',' && c != u'\t' && c != u';')
            continue;
        QStringView field = text.sliced(fieldStart, i - fieldStart).trimmed();
        if (field.size() >= 2 && field.startsWith(u'"') && field.endsWith(u'"'))
            field = field.sliced(1, field.size() - 2);
        numberInLine = numberInLine || holdsNumber(field);
        fieldStart = i + 1;
        if (lineEnd) {
            lines += numberInLine ? 1 : 0;
            numberInLine = false;
        }
    }
    return lines >= 2;
}

Detection detect(QByteArrayView sample, bool whole, std::optional<Encoding> encoding,
                 const ColumnChoice& column, std::optional<char> delimiter) {
    Detection found;
    Format& format = found.format;
    const std::optional<Encoding> marked = encodingOfByteOrderMark(sample);
    if (encoding) {
        format.encoding = *encoding;
        format.byteOrderMark = marked == encoding;
    } else if (marked) {
        format.encoding = *marked;
        format.byteOrderMark = true;
    } else if (looksBinary(sample)) {
        found.problem = Problem::Binary;
        return found;
    } else {
        std::tie(format.encoding, format.doubt) = encodingOfText(sample, whole);
    }
    if (!Codec(format.encoding).isAvailable()) {
        found.problem = Problem::EncodingUnavailable;
        return found;
    }

    QByteArrayView working = sample.sliced(format.dataStart());
    QByteArray converted;
    if (format.isUtf16()) {
        if (!Utf16Reader(format.encoding).read(working, whole, converted)) {
            found.problem = Problem::NotUtf16;
            return found;
        }
        working = converted;
    }

    Codec codec(format.encoding);
    SampleRows rows;
    if (delimiter) {
        format.delimiter = *delimiter;
        rows = sampleRows(working, whole, *delimiter, codec);
    } else {
        // The delimiter that splits most rows into the same number of fields, two or more.
        for (char candidate : {',', '\t', ';'}) {
            SampleRows split = sampleRows(working, whole, candidate, codec);
            if (split.width >= 2 && split.widthCount > rows.widthCount) {
                rows = std::move(split);
                format.delimiter = candidate;
            }
        }
        if (format.delimiter == 0) {
            // One column: quoted, it is still a delimited file (a quote may hold a line break).
            format.delimiter = working.contains('"') ? ',' : 0;
            rows = sampleRows(working, whole, format.delimiter, codec);
        }
    }
    if (rows.rows.empty()) {
        found.problem = Problem::Empty;
        return found;
    }
    format.width = rows.width;
    const QStringList& first = rows.rows.front();

    if (column.position >= 0) {
        const bool inSomeRow = std::any_of(rows.rows.begin(), rows.rows.end(),
                                           [&](auto& r) { return column.position < r.size(); });
        if (!inSomeRow) {
            found.problem = Problem::NoSuchColumn;
            return found;
        }
        format.numberColumn = column.position;
    } else if (!column.name.isEmpty()) {
        const auto named = std::find_if(first.begin(), first.end(), [&](const QString& field) {
            return field.trimmed() == column.name.trimmed();
        });
        if (named == first.end()) {
            found.problem = Problem::NoSuchColumn;
            return found;
        }
        format.numberColumn = int(named - first.begin());
    } else {
        const std::optional<int> chosen = numberColumn(rows.rows);
        if (!chosen) {
            found.problem =
                whole && rows.rows.size() == 1 ? Problem::HeaderOnly : Problem::NoNumberColumn;
            return found;
        }
        format.numberColumn = *chosen;
    }
    format.header = !column.name.isEmpty() || format.numberColumn >= first.size() ||
                    !holdsNumber(first[format.numberColumn]);
    if (format.header)
        format.columnNames = first;
    return found;
}

} // namespace zunova::list
