// The list pipeline over arbitrary bytes in any encoding, read piece by piece: no crash, memory
// bounded by the row cap, every row handed on exactly as read, and written back with nothing but
// its added field.
// Workbooks too: a sheet's XML (and the shared strings', after a NUL) in a package of the
// other parts a workbook has, read as a list, written back with the carrier column: every other
// part copied unchanged, and the copy reading back as the sheet with just the new cells.
// Input: byte 0 picks the encoding given (low two bits, 0 none), the column given (bits 2-3, 0
// none), how the data are cut into pieces (bits 4-6) and, with bit 7, a workbook, its sheet's
// XML in the encoding the low two bits pick; the rest is the list, or the sheet.
#include "fuzzsupport.h"
#include "support/workbookparts.h"

#include "list/messages.h"
#include "textlist/rowwriter.h"
#include "textlist/textreader.h"
#include "workbook/sheetlist.h"

#include <QBuffer>
#include <QStringEncoder>

#include <cstdint>

using namespace zunova;

namespace {

// Code 1 for every block: no data file is read, every 090 or 070 number names a carrier.
class EveryBlock : public lookup::RecordSource {
public:
    std::optional<qint16> codeOf(const QString&, int, int) override { return 1; }
};

// Takes each row as the reader hands it on, writes it back and checks what was added.
class CheckingSink {
public:
    CheckingSink(const textlist::Format& format, const list::AnswerTable& answers)
        : m_format(format)
        , m_answers(answers)
        , m_writer(format)
        , m_codec(format.encoding) {}

    bool take(const textlist::Row& read, const list::ListRow& row) {
        fuzz::require(row.line >= m_line, "lines go forward");
        m_line = row.line;
        m_rows += read.content.toByteArray() + read.lineEnd.toByteArray();
        std::string written;
        m_writer.append(written, read.content, read.lineEnd, row, m_answers,
                        list::listNote(list::notesOf(row, m_answers, m_format.layout)));
        QByteArray out(written.data(), qsizetype(written.size()));
        if (m_format.isUtf16()) {
            QByteArray back;
            fuzz::require(textlist::Utf16Reader(m_format.encoding).read(out, true, back),
                          "a written row is UTF-16");
            out = back;
        }
        fuzz::require(out.endsWith(read.lineEnd), "a written row keeps its line end");
        // A list an earlier run wrote has its carrier and note cells written anew.
        if (m_format.layout.carrierColumn >= 0)
            return true;
        fuzz::require(out.startsWith(read.content), "a written row keeps its bytes");
        QString added = m_codec.decode(QByteArrayView(out).sliced(
            read.content.size(), out.size() - read.content.size() - read.lineEnd.size()));
        // A blank row stays blank; a quote that never closed, and rows above the header, are
        // written back as they were read.
        if (row.kind == list::RowKind::Blank || row.kind == list::RowKind::Unclosed ||
            row.kind == list::RowKind::Above) {
            fuzz::require(added.isEmpty(), "a blank, unclosed or title row gets nothing added");
            return true;
        }
        const QChar delimiter(m_format.outputDelimiter());
        fuzz::require(added.startsWith(delimiter), "the added fields follow a delimiter");
        // The note's field last, the carrier's before it; no carrier's name or note holds a quote.
        const bool quoted = added.endsWith(u'"');
        const qsizetype noteStart =
            quoted ? added.lastIndexOf(u'"', added.size() - 2) : added.lastIndexOf(delimiter) + 1;
        fuzz::require(noteStart > 0 && added[noteStart - 1] == delimiter,
                      "the note's field follows the carrier's");
        added.truncate(noteStart - 1);
        added = added.sliced(added.lastIndexOf(delimiter) + 1);
        // Each field is quoted where it must be (a note's spaces, with a space delimiter) or where
        // the row's last field was.
        if (added.size() >= 2 && added.startsWith(u'"') && added.endsWith(u'"'))
            added = added.sliced(1, added.size() - 2);
        const auto* carrier = row.kind == list::RowKind::Number
                                  ? std::get_if<lookup::Carrier>(&*m_answers[row.answer])
                                  : nullptr;
        const QString expected = row.kind == list::RowKind::Header
                                     ? QString::fromUtf16(list::kCarrierColumnName)
                                 : carrier ? carrier->name()
                                           : QString();
        fuzz::require(added == expected, "the carrier's field holds the row's carrier");
        return true;
    }

    const QByteArray& rows() const { return m_rows; }

private:
    const textlist::Format& m_format;
    const list::AnswerTable& m_answers;
    textlist::RowWriter m_writer;
    textlist::Codec m_codec;
    QByteArray m_rows;
    qint64 m_line = 1;
};

// The sheet (its part xl/worksheets/sheet1.xml) in a workbook of the parts one has, an image
// among them; its cell style 1 shows dates.
testing::Parts workbookParts(const QByteArray& sheet, const QByteArray& sharedStrings) {
    testing::Parts parts = testing::workbookParts(
        {{"名簿", sheet}}, sharedStrings,
        "<styleSheet " + testing::kMain +
            "><cellXfs><xf numFmtId=\"0\"/><xf numFmtId=\"14\"/></cellXfs></styleSheet>");
    parts["xl/media/image1.png"] = QByteArray("\x89PNG\r\n\x1a\n\0\0", 10);
    return parts;
}

// A row's fields without the empty ones it ends with: the cells a sheet row has.
QStringList withoutTrailingEmpty(QStringList fields) {
    while (!fields.isEmpty() && fields.back().isEmpty())
        fields.removeLast();
    return fields;
}

void checkWorkbook(const QByteArray& sheet, const QByteArray& sharedStrings,
                   const list::ColumnChoice& column) {
    const testing::Parts parts = workbookParts(sheet, sharedStrings);
    const QByteArray package = testing::zipOf(parts);
    EveryBlock records;
    list::Progress progress;
    auto read = workbook::readWorkbookList(package, {}, column, records, progress);
    const auto* book = std::get_if<workbook::SheetList>(&read);
    if (!book)
        return;
    QBuffer copy;
    copy.open(QIODevice::WriteOnly);
    if (!workbook::writeWorkbookCopy(book->sheet, book->document, copy).ok())
        return;

    testing::Parts written = testing::partsOf(copy.data());
    written.erase("xl/worksheets/sheet1.xml");
    testing::Parts others = parts;
    others.erase("xl/worksheets/sheet1.xml");
    fuzz::require(written == others, "every other part is copied unchanged");

    // The copy read as the sheet was: each row's cells as they were, then its carrier and note.
    list::ColumnChoice same;
    same.position = book->document.layout().numberColumn;
    auto reread = workbook::readWorkbookList(copy.data(), {0, {}}, same, records, progress);
    const auto* back = std::get_if<workbook::SheetList>(&reread);
    fuzz::require(back, "the copy reads back");
    const list::ListDocument& before = book->document;
    const list::ListDocument& after = back->document;
    fuzz::require(after.rows().size() == before.rows().size(), "the copy has the sheet's rows");
    // A sheet with a キャリア column of its own has it written again (workbook_test has its
    // cases); the rest get the columns after their last.
    const QStringList& names = before.layout().columnNames;
    for (qsizetype i = 0; i < names.size(); ++i) {
        if (i != before.layout().numberColumn && names[i] == QStringView(list::kCarrierColumnName))
            return;
    }
    bool notes = false;
    for (std::size_t i = 0; i < before.rows().size(); ++i)
        notes = notes || (before.rows()[i].kind != list::RowKind::Header &&
                          before.rows()[i].kind != list::RowKind::Blank &&
                          !before.noteOf(qsizetype(i)).isEmpty());
    list::Utf8Decoder codec;
    const int lastColumn = book->sheet.lastColumn;
    for (std::size_t i = 0; i < before.rows().size(); ++i) {
        const auto row = qsizetype(i);
        QStringList expected = before.cells(row, codec);
        if (before.rows()[i].kind != list::RowKind::Blank) {
            while (expected.size() < lastColumn)
                expected.append(QString());
            expected.append(before.carrierOf(row));
            if (notes)
                expected.append(before.rows()[i].kind == list::RowKind::Header
                                    ? list::noteColumnName(before.layout().columnNames)
                                    : before.noteOf(row));
        }
        fuzz::require(withoutTrailingEmpty(after.cells(row, codec)) ==
                          withoutTrailingEmpty(expected),
                      "a copy's row is the sheet's cells and the new ones");
    }
}

// The sheet's XML as it is (0), or in an encoding XML may also be in: UTF-16LE (1) or BE (2)
// with a byte-order mark, ISO-8859-1 declared (3).
QByteArray inEncoding(const QByteArray& xml, int pick) {
    if (pick == 0)
        return xml;
    if (pick == 3)
        return R"(<?xml version="1.0" encoding="ISO-8859-1"?>)" + xml;
    QStringEncoder encoder(pick == 1 ? QStringConverter::Utf16LE : QStringConverter::Utf16BE,
                           QStringConverter::Flag::WriteBom);
    return encoder.encode(QString::fromUtf8(xml));
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 1)
        return 0;
    const std::optional<textlist::Encoding> encodings[] = {std::nullopt, textlist::Encoding::Utf8,
                                                           textlist::Encoding::ShiftJis,
                                                           textlist::Encoding::Utf16LE};
    const std::optional<textlist::Encoding> given = encodings[data[0] & 3];
    list::ColumnChoice column;
    column.position = ((data[0] >> 2) & 3) - 1;
    const qsizetype piece = ((data[0] >> 4) & 7) + 1;
    const QByteArray bytes(reinterpret_cast<const char*>(data) + 1, qsizetype(size - 1));
    if (data[0] & 0x80) {
        const qsizetype nul = bytes.indexOf('\0');
        checkWorkbook(inEncoding(nul < 0 ? bytes : bytes.first(nul), data[0] & 3),
                      nul < 0 ? QByteArray() : bytes.sliced(nul + 1), column);
        return 0;
    }

    const textlist::Detection found = textlist::detect(bytes, true, given, column);
    if (!found.outcome.ok())
        return 0;
    const textlist::Format& format = found.format;
    const QByteArray body = bytes.sliced(format.dataStart());
    QByteArray working;
    {
        textlist::WorkingBytes whole(format);
        working = whole.of(body, true).toByteArray();
        if (whole.stopped() != list::Problem::None)
            return 0; // not valid UTF-16, or not in the encoding given
    }

    EveryBlock records;
    textlist::TextListReader reader(format, records);
    CheckingSink sink(format, reader.answers());
    textlist::WorkingBytes pieces(format);
    textlist::RowReader::Status status = textlist::RowReader::Status::Done;
    for (qsizetype at = 0; at < body.size() || at == 0; at += piece) {
        const bool last = at + piece >= body.size();
        const QByteArrayView rows =
            pieces.of(QByteArrayView(body).sliced(at, std::min(piece, body.size() - at)), last);
        fuzz::require(pieces.stopped() == list::Problem::None,
                      "what reads whole reads piece by piece");
        status = reader.read(rows, last,
                             [&](const textlist::Row& read, const list::ListRow& row, QStringView) {
                                 return sink.take(read, row);
                             });
        if (status != textlist::RowReader::Status::Done || last)
            break;
    }
    // A quote that never closes ends the list, its rows handed on as read.
    fuzz::require(status == textlist::RowReader::Status::Done ||
                      status == textlist::RowReader::Status::UnclosedQuote,
                  "small inputs are read whole");
    fuzz::require(sink.rows() == working, "the rows are exactly the bytes read");
    return 0;
}
