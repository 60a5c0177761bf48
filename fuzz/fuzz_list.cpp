// The list reader over arbitrary bytes in any encoding: no crash, memory bounded by the row cap,
// and every row written back with nothing but the carrier field added.
// Input: byte 0 picks the encoding given (low two bits, 0 none), the column given (bits 2-3, 0
// none) and how the data are cut into pieces (high four bits); the rest is the list.
#include "fuzzsupport.h"

#include "list/listformat.h"
#include "list/rowreader.h"
#include "list/rowwriter.h"

#include <cstdint>

using namespace zunova;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 1)
        return 0;
    const std::optional<list::Encoding> encodings[] = {
        std::nullopt, list::Encoding::Utf8, list::Encoding::ShiftJis, list::Encoding::Utf16LE};
    const std::optional<list::Encoding> given = encodings[data[0] & 3];
    list::ColumnChoice column;
    column.position = ((data[0] >> 2) & 3) - 1;
    const qsizetype piece = (data[0] >> 4) + 1;
    const QByteArray bytes(reinterpret_cast<const char*>(data) + 1, qsizetype(size - 1));

    const list::Detection found = list::detect(bytes, true, given, column);
    if (found.problem != list::Problem::None)
        return 0;
    const list::Format& format = found.format;
    QByteArray working;
    if (format.isUtf16()) {
        if (!list::Utf16Reader(format.encoding)
                 .read(bytes.sliced(format.dataStart()), true, working))
            return 0;
    } else {
        working = bytes.sliced(format.dataStart());
    }

    // Rows read piece by piece; each written back with a carrier, then taken apart again.
    list::RowReader reader(format.delimiter, format.numberColumn);
    list::RowWriter writer(format);
    list::Codec codec(format.encoding);
    QByteArray rows;
    qint64 line = 1;
    auto each = [&](const list::Row& row) {
        fuzz::require(row.offset == rows.size(), "rows follow one another");
        fuzz::require(row.line >= line, "lines go forward");
        line = row.line;
        rows += row.content.toByteArray() + row.lineEnd.toByteArray();
        QByteArray out;
        writer.append(out, row.content, row.lineEnd, row.fields, u"ＮＴＴドコモ");
        if (format.isUtf16()) {
            QByteArray back;
            fuzz::require(list::Utf16Reader(format.encoding).read(out, true, back),
                          "a written row is UTF-16");
            out = back;
        }
        fuzz::require(out.startsWith(row.content) && out.endsWith(row.lineEnd),
                      "a written row keeps its bytes");
        const QString added = codec.decode(QByteArrayView(out).sliced(
            row.content.size(), out.size() - row.content.size() - row.lineEnd.size()));
        fuzz::require(row.fields == 0 ? added.isEmpty()
                                      : added.startsWith(QChar(format.outputDelimiter())) &&
                                            added.contains(u"ＮＴＴドコモ"),
                      "only the carrier field is added");
        // What a lookup would be given: any text at all.
        QString field;
        QString rewritten;
        codec.decode(row.number, field);
        fuzz::require(field == codec.decode(row.number), "decoding into room is decoding");
        list::numberOfField(field, rewritten);
        return true;
    };
    list::RowReader::Status status = list::RowReader::Status::Done;
    for (qsizetype at = 0; at < working.size() || at == 0; at += piece) {
        const bool last = at + piece >= working.size();
        status = reader.read(
            QByteArrayView(working).sliced(at, std::min(piece, working.size() - at)), last, each);
        if (status != list::RowReader::Status::Done || last)
            break;
    }
    fuzz::require(status == list::RowReader::Status::Done, "small inputs are read whole");
    fuzz::require(rows == working, "the rows are exactly the bytes read");
    return 0;
}
