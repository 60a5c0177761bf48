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

} // namespace

bool holdsNumber(QStringView field) {
    const QString digits = lookup::digitsOfWrittenNumber(field);
    if (digits.size() < 10 || digits.size() > 11 || digits[0] != u'0')
        return false;
    return std::all_of(digits.begin(), digits.end(),
                       [](QChar c) { return c >= u'0' && c <= u'9'; });
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
                 const ColumnChoice& column) {
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
    } else if (isAscii(sample)) {
        format.doubt = EncodingDoubt::AsciiOnly;
    } else if (isValidUtf8(sample, whole)) {
        format.encoding = Encoding::Utf8;
    } else if (!Codec(Encoding::ShiftJis).isAvailable()) {
        // Not UTF-8, and Shift_JIS cannot be tried: reading it as UTF-8 would be a guess.
        format.encoding = Encoding::ShiftJis;
    } else if (isValidShiftJis(sample, whole)) {
        format.encoding = Encoding::ShiftJis;
    } else {
        // Whichever reads more of it.
        format.doubt = EncodingDoubt::InvalidBytes;
        const QString asUtf8 = QString::fromUtf8(sample);
        const QString asShiftJis = Codec(Encoding::ShiftJis).decode(sample);
        format.encoding =
            replacements(asUtf8) < replacements(asShiftJis) ? Encoding::Utf8 : Encoding::ShiftJis;
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
    // The delimiter that splits most rows into the same number of fields, two or more.
    SampleRows rows;
    for (char delimiter : {',', '\t', ';'}) {
        // Without it anywhere every row is one field: no need to read them to know.
        if (!working.contains(delimiter))
            continue;
        SampleRows candidate = sampleRows(working, whole, delimiter, codec);
        if (candidate.width >= 2 && candidate.widthCount > rows.widthCount) {
            rows = std::move(candidate);
            format.delimiter = delimiter;
        }
    }
    if (format.delimiter == 0) {
        // One column: quoted, it is still a delimited file (a quote may hold a line break).
        const bool quoted = working.contains('"');
        format.delimiter = quoted ? ',' : 0;
        rows = sampleRows(working, whole, format.delimiter, codec);
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
        std::vector<int> numbers;
        for (const QStringList& fields : rows.rows)
            for (int i = 0; i < fields.size(); ++i) {
                if (std::size_t(i) >= numbers.size())
                    numbers.resize(std::size_t(i) + 1);
                numbers[std::size_t(i)] += holdsNumber(fields[i]) ? 1 : 0;
            }
        const auto most = std::max_element(numbers.begin(), numbers.end());
        if (most == numbers.end() || *most == 0) {
            found.problem = Problem::NoNumberColumn;
            return found;
        }
        format.numberColumn = int(most - numbers.begin());
    }
    format.header = !column.name.isEmpty() || format.numberColumn >= first.size() ||
                    !holdsNumber(first[format.numberColumn]);
    if (format.header)
        format.columnNames = first;
    return found;
}

} // namespace zunova::list
