// The list pipeline over arbitrary bytes in any encoding, read piece by piece: no crash, memory
// bounded by the row cap, every row handed on exactly as read, and written back with nothing but
// its added field.
// Input: byte 0 picks the encoding given (low two bits, 0 none), the column given (bits 2-3, 0
// none) and how the data are cut into pieces (high four bits); the rest is the list.
#include "fuzzsupport.h"

#include "list/listformat.h"
#include "list/listpipeline.h"
#include "list/rowwriter.h"

#include <cstdint>

using namespace zunova;

namespace {

// Code 1 for every block: no data file is read, every 090 or 070 number names a carrier.
class EveryBlock : public lookup::RecordSource {
public:
    std::optional<qint16> codeOf(const QString&, int, int) override { return 1; }
};

// Takes each row as the pipeline hands it on, writes it back and checks what was added.
class CheckingSink : public list::RowSink {
public:
    CheckingSink(const list::Format& format, const list::AnswerTable& answers)
        : m_format(format)
        , m_answers(answers)
        , m_writer(format)
        , m_codec(format.encoding) {}

    bool take(const list::ListRow& row, QStringView) override {
        fuzz::require(row.line >= m_line, "lines go forward");
        m_line = row.line;
        m_rows += row.content.toByteArray() + row.lineEnd.toByteArray();
        std::string written;
        m_writer.append(written, row, m_answers);
        QByteArray out(written.data(), qsizetype(written.size()));
        if (m_format.isUtf16()) {
            QByteArray back;
            fuzz::require(list::Utf16Reader(m_format.encoding).read(out, true, back),
                          "a written row is UTF-16");
            out = back;
        }
        fuzz::require(out.startsWith(row.content) && out.endsWith(row.lineEnd),
                      "a written row keeps its bytes");
        QString added = m_codec.decode(QByteArrayView(out).sliced(
            row.content.size(), out.size() - row.content.size() - row.lineEnd.size()));
        if (row.kind == list::RowKind::Blank) {
            fuzz::require(added.isEmpty(), "a blank row stays blank");
            return true;
        }
        const QChar delimiter(m_format.outputDelimiter());
        fuzz::require(added.startsWith(delimiter), "the added field follows a delimiter");
        while (added.startsWith(delimiter))
            added.remove(0, 1);
        if (added.size() >= 2 && added.startsWith(u'"') && added.endsWith(u'"'))
            added = added.sliced(1, added.size() - 2);
        const auto* carrier = row.kind == list::RowKind::Number
                                  ? std::get_if<lookup::Carrier>(&*m_answers[row.answer])
                                  : nullptr;
        const QString expected = row.kind == list::RowKind::Header
                                     ? QString::fromUtf16(list::kCarrierColumnName)
                                 : carrier ? carrier->name()
                                           : QString();
        fuzz::require(added == expected, "only the row's carrier field is added");
        return true;
    }

    const QByteArray& rows() const { return m_rows; }

private:
    const list::Format& m_format;
    const list::AnswerTable& m_answers;
    list::RowWriter m_writer;
    list::Codec m_codec;
    QByteArray m_rows;
    qint64 m_line = 1;
};

} // namespace

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
    const QByteArray body = bytes.sliced(format.dataStart());
    QByteArray working;
    {
        list::WorkingBytes whole(format);
        working = whole.of(body, true).toByteArray();
        if (whole.stopped() != list::Problem::None)
            return 0; // not valid UTF-16, or not in the encoding given
    }

    EveryBlock records;
    list::ListPipeline pipeline(format, records);
    CheckingSink sink(format, pipeline.answers());
    list::WorkingBytes pieces(format);
    list::RowReader::Status status = list::RowReader::Status::Done;
    for (qsizetype at = 0; at < body.size() || at == 0; at += piece) {
        const bool last = at + piece >= body.size();
        const QByteArrayView rows =
            pieces.of(QByteArrayView(body).sliced(at, std::min(piece, body.size() - at)), last);
        fuzz::require(pieces.stopped() == list::Problem::None,
                      "what reads whole reads piece by piece");
        status = pipeline.read(rows, last, sink);
        if (status != list::RowReader::Status::Done || last)
            break;
    }
    fuzz::require(status == list::RowReader::Status::Done, "small inputs are read whole");
    fuzz::require(sink.rows() == working, "the rows are exactly the bytes read");
    return 0;
}
