// Reading a worksheet's cells into a text list: the values as the spreadsheet shows them where
// a list needs them, each in its row and column.
#include "sheetxml.h"

#include <QDate>
#include <QHash>
#include <QXmlStreamReader>

#include <algorithm>
#include <cmath>

namespace zunova::list::sheetxml {
namespace {

using Problem = WorkbookProblem;

bool isHexDigit(QChar c) {
    return (c >= u'0' && c <= u'9') || (c >= u'a' && c <= u'f') || (c >= u'A' && c <= u'F');
}

// Spreadsheet programs write a character XML cannot hold, such as CR, as _xHHHH_, and an
// underscore that would read as the start of one as _x005F_.
QString unescaped(const QString& text) {
    qsizetype at = text.indexOf(u"_x");
    if (at < 0)
        return text;
    QString out;
    qsizetype from = 0;
    for (; at >= 0; at = text.indexOf(u"_x", from)) {
        const bool escape = at + 7 <= text.size() && text[at + 6] == u'_' &&
                            std::all_of(text.begin() + at + 2, text.begin() + at + 6, isHexDigit);
        out += QStringView(text).sliced(from, at - from);
        if (escape) {
            out += QChar(char16_t(QStringView(text).sliced(at + 2, 4).toUInt(nullptr, 16)));
            from = at + 7;
        } else {
            out += u"_x";
            from = at + 2;
        }
    }
    out += QStringView(text).sliced(from);
    return out;
}

// Appends the text of the element the reader is in (a shared string <si>, an inline string
// <is>): its <t>, or the <t> of each rich-text run. Phonetic runs (<rPh>) are readings shown
// above the text, not part of it.
void readRichText(QXmlStreamReader& xml, QString& out) {
    while (xml.readNextStartElement()) {
        if (xml.name() == u"t")
            out += xml.readElementText();
        else if (xml.name() == u"r")
            readRichText(xml, out);
        else
            xml.skipCurrentElement();
    }
}

// Number formats built in by id that show dates or times: 14-22 and 45-47 everywhere, 27-36
// and 50-58 in Japanese (and other East Asian) installations, where they are the era and
// 年月日 formats.
bool isBuiltInDateFormat(int id) {
    return (id >= 14 && id <= 22) || (id >= 27 && id <= 36) || (id >= 45 && id <= 47) ||
           (id >= 50 && id <= 58);
}

// 2^53: beyond it not every whole number has a double of its own.
constexpr double kExactWholeNumbers = 9007199254740992.0;

// A number as written, but a whole number as its digits: 9.012345678E9 and 9012345678.0 are
// 9012345678, which the list reads as a number with its leading zero dropped.
void appendNumber(QByteArrayView written, QByteArray& out) {
    bool ok = false;
    const double value = written.trimmed().toDouble(&ok);
    if (ok && value == std::trunc(value) && std::fabs(value) < kExactWholeNumbers)
        out += QByteArray::number(qint64(value));
    else
        out += written;
}

// The day after 9999-12-31: spreadsheet programs show no date from there on.
constexpr double kLastSerial = 2958466;

// A date-formatted number as ISO text: the date, the time of day where it has one, and the
// time alone for a number under 1. False where it is no date.
bool appendDate(QByteArrayView written, bool date1904, QByteArray& out) {
    bool ok = false;
    const double serial = written.trimmed().toDouble(&ok);
    if (!ok || !(serial >= 0 && serial < kLastSerial))
        return false;
    qint64 days = qint64(serial);
    qint64 seconds = std::llround((serial - double(days)) * 86400);
    if (seconds == 86400) {
        ++days;
        seconds = 0;
    }
    QByteArray text;
    if (days > 0) {
        // Day 60 of 1900 is the 29 February that Lotus 1-2-3 counted and every spreadsheet
        // program since keeps.
        if (!date1904 && days == 60)
            text = "1900-02-29";
        else if (date1904)
            text = QDate(1904, 1, 1).addDays(days).toString(Qt::ISODate).toLatin1();
        else
            text =
                QDate(1899, 12, days < 60 ? 31 : 30).addDays(days).toString(Qt::ISODate).toLatin1();
    }
    if (days == 0 || seconds != 0) {
        if (!text.isEmpty())
            text += ' ';
        text += QString::asprintf("%02d:%02d:%02d", int(seconds / 3600), int(seconds / 60 % 60),
                                  int(seconds % 60))
                    .toLatin1();
    }
    out += text;
    return true;
}

// A field of the text list, quoted where it holds a tab, a quote or a line break.
void appendField(QByteArrayView field, QByteArray& out) {
    if (std::none_of(field.begin(), field.end(),
                     [](char c) { return c == '\t' || c == '"' || c == '\r' || c == '\n'; })) {
        out += field;
        return;
    }
    out += '"';
    for (const char c : field) {
        if (c == '"')
            out += '"';
        out += c;
    }
    out += '"';
}

class SheetReader {
public:
    SheetReader(const QByteArray& xml, const CellValues& values)
        : m_xml(xml)
        , m_values(values) {}

    SheetText read() {
        if (!readWorksheet() || m_xml.hasError())
            fail(m_result.problem == Problem::None ? Problem::Damaged : m_result.problem);
        return std::move(m_result);
    }

private:
    bool fail(Problem problem) {
        m_result = {};
        m_result.problem = problem;
        return false;
    }

    bool readWorksheet() {
        if (!m_xml.readNextStartElement() || m_xml.name() != u"worksheet")
            return false;
        while (m_xml.readNextStartElement()) {
            if (m_xml.name() == u"sheetData") {
                if (!readRows())
                    return false;
            } else if (m_xml.name() == u"mergeCells") {
                if (!readMerges())
                    return false;
            } else {
                m_xml.skipCurrentElement();
            }
        }
        return true;
    }

    bool readRows() {
        QByteArray& text = m_result.text;
        while (m_xml.readNextStartElement()) {
            if (m_xml.name() != u"row") {
                m_xml.skipCurrentElement();
                continue;
            }
            // Rows come in order; one without its number follows the one before.
            qint64 row = m_result.rows + 1;
            if (const auto r = m_xml.attributes().value(QLatin1StringView("r")); !r.isEmpty()) {
                bool ok = false;
                row = r.toLongLong(&ok);
                if (!ok || row <= m_result.rows)
                    return fail(Problem::Damaged);
            }
            if (row > kMaxSheetRows)
                return fail(Problem::TooManyRows);
            text.append(row - 1 - m_result.rows, '\n');
            m_result.rows = row;
            if (!readCells())
                return false;
            text += '\n';
        }
        return !m_xml.hasError();
    }

    bool readCells() {
        QByteArray& text = m_result.text;
        int column = 0;
        int fields = 1; // of the row so far
        while (m_xml.readNextStartElement()) {
            if (m_xml.name() != u"c") {
                m_xml.skipCurrentElement();
                continue;
            }
            int at = column + 1;
            if (const auto r = m_xml.attributes().value(QLatin1StringView("r")); !r.isEmpty()) {
                qint64 rowOfCell = 0;
                if (!parseCellReference(r, at, rowOfCell) || at <= column)
                    return fail(Problem::Damaged);
            }
            if (at > kMaxSheetColumns)
                return fail(Problem::Damaged);
            column = at;
            m_result.lastColumn = std::max(m_result.lastColumn, column);
            m_field.resize(0);
            if (!readCell())
                return fail(Problem::Damaged);
            if (m_field.isEmpty())
                continue;
            if (text.size() + (column - fields) + 2 * m_field.size() > kMaxWorkbookPartBytes)
                return fail(Problem::PartTooLarge);
            text.append(column - fields, '\t');
            fields = column;
            appendField(m_field, text);
        }
        return true;
    }

    // The value of the cell the reader is at into m_field; nothing for none.
    bool readCell() {
        const QXmlStreamAttributes attributes = m_xml.attributes();
        const QString type = attributes.value(QLatin1StringView("t")).toString();
        const int style = attributes.value(QLatin1StringView("s")).toInt();
        QString value;
        QString inlineText;
        bool hasInline = false;
        while (m_xml.readNextStartElement()) {
            if (m_xml.name() == u"v") {
                value = m_xml.readElementText();
            } else if (m_xml.name() == u"is") {
                readRichText(m_xml, inlineText);
                hasInline = true;
            } else {
                m_xml.skipCurrentElement(); // the formula <f>, extensions
            }
        }
        if (m_xml.hasError())
            return false;
        if (!hasInline && value.isEmpty()) // a styled cell, a formula never computed
            return true;
        if (hasInline || type == u"inlineStr") {
            m_field = unescaped(inlineText).toUtf8();
        } else if (type == u"s") {
            bool ok = false;
            const qint64 index = value.trimmed().toLongLong(&ok);
            if (!ok || index < 0 || index >= m_values.sharedStrings.size())
                return false;
            m_field = m_values.sharedStrings.at(index).toByteArray();
        } else if (type == u"str") { // a formula's text
            m_field = unescaped(value).toUtf8();
        } else if (type == u"b") {
            m_field = value == u"1" ? "TRUE" : value == u"0" ? "FALSE" : value.toUtf8();
        } else if (type.isEmpty() || type == u"n") {
            const QByteArray written = value.toUtf8();
            const bool date = style >= 0 && std::size_t(style) < m_values.dateStyles.size() &&
                              m_values.dateStyles[std::size_t(style)];
            if (!date || !appendDate(written, m_values.date1904, m_field))
                appendNumber(written, m_field);
        } else { // an error (#N/A), an ISO date (type "d"): as written
            m_field = value.toUtf8();
        }
        return true;
    }

    // A merged range's value stands in its top-left cell; the rest of it still takes room.
    bool readMerges() {
        while (m_xml.readNextStartElement()) {
            if (m_xml.name() == u"mergeCell") {
                const auto range = m_xml.attributes().value(QLatin1StringView("ref"));
                const qsizetype colon = range.indexOf(u':');
                int column = 0;
                qint64 row = 0;
                if (!parseCellReference(colon < 0 ? range : range.sliced(colon + 1), column, row))
                    return fail(Problem::Damaged);
                m_result.lastColumn = std::max(m_result.lastColumn, column);
            }
            m_xml.skipCurrentElement();
        }
        return !m_xml.hasError();
    }

    QXmlStreamReader m_xml;
    const CellValues& m_values;
    SheetText m_result;
    QByteArray m_field;
};

} // namespace

bool parseCellReference(QStringView reference, int& column, qint64& row) {
    qsizetype i = 0;
    int letters = 0;
    column = 0;
    for (; i < reference.size() && reference[i].isLetter() && reference[i].unicode() < 0x80; ++i) {
        if (++letters > 3)
            return false;
        column = column * 26 + (reference[i].toUpper().unicode() - u'A' + 1);
    }
    bool ok = false;
    const QStringView digits = reference.sliced(i);
    row = digits.isEmpty() || !digits[0].isDigit() ? 0 : digits.toLongLong(&ok);
    return ok && letters > 0 && column <= kMaxSheetColumns && row > 0;
}

bool isDateFormat(QStringView code) {
    for (qsizetype i = 0; i < code.size(); ++i) {
        switch (code[i].unicode()) {
        case u'"': { // literal text
            const qsizetype end = code.indexOf(u'"', i + 1);
            if (end < 0)
                return false;
            i = end;
            break;
        }
        case u'\\': // an escaped character, the width of one, a fill character
        case u'_':
        case u'*':
            ++i;
            break;
        case u'[': { // a colour, a condition, a locale; or elapsed time
            const qsizetype end = code.indexOf(u']', i + 1);
            if (end < 0)
                return false;
            const QStringView inside = code.sliced(i + 1, end - i - 1);
            if (!inside.isEmpty() && std::all_of(inside.begin(), inside.end(), [](QChar c) {
                    return QStringView(u"hHmMsS").contains(c);
                }))
                return true;
            i = end;
            break;
        }
        default:
            if (QStringView(u"yYmMdDhHsS").contains(code[i]))
                return true;
        }
    }
    return false;
}

WorkbookProblem readSharedStrings(const QByteArray& xml, SharedStrings& out) {
    QXmlStreamReader reader(xml);
    if (!reader.readNextStartElement() || reader.name() != u"sst")
        return Problem::Damaged;
    QString text;
    while (reader.readNextStartElement()) {
        if (reader.name() != u"si") {
            reader.skipCurrentElement();
            continue;
        }
        text.resize(0);
        readRichText(reader, text);
        out.append(unescaped(text).toUtf8());
    }
    return reader.hasError() ? Problem::Damaged : Problem::None;
}

WorkbookProblem readDateStyles(const QByteArray& xml, std::vector<bool>& out) {
    QXmlStreamReader reader(xml);
    if (!reader.readNextStartElement() || reader.name() != u"styleSheet")
        return Problem::Damaged;
    QHash<int, bool> customFormats; // by id: whether it shows dates
    std::vector<int> formats;       // of each cell style
    while (reader.readNextStartElement()) {
        const bool customs = reader.name() == u"numFmts";
        if (!customs && reader.name() != u"cellXfs") {
            reader.skipCurrentElement();
            continue;
        }
        while (reader.readNextStartElement()) {
            const auto attributes = reader.attributes();
            const int id = attributes.value(QLatin1StringView("numFmtId")).toInt();
            if (customs && reader.name() == u"numFmt")
                customFormats.insert(
                    id, isDateFormat(attributes.value(QLatin1StringView("formatCode"))));
            else if (!customs && reader.name() == u"xf")
                formats.push_back(id);
            reader.skipCurrentElement();
        }
    }
    if (reader.hasError())
        return Problem::Damaged;
    out.clear();
    for (const int id : formats)
        out.push_back(customFormats.value(id, isBuiltInDateFormat(id)));
    return Problem::None;
}

SheetText readSheet(const QByteArray& xml, const CellValues& values) {
    return SheetReader(xml, values).read();
}

} // namespace zunova::list::sheetxml
