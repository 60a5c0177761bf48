// A sheet's table (a table part of its own), and the workbook's name of its filter's range,
// grown to take the columns added beside them, so that sorting or filtering with their buttons
// moves each row's carrier with the row. Spliced, as the sheet is: every other byte of the part
// stays as it was.
#include "sheetxml.h"
#include "xmlevents.h"

#include <algorithm>

namespace zunova::workbook::sheetxml {
namespace {

using list::Problem;

// Where a table part says what growing it changes: <table ref>, its <autoFilter ref> and its
// <tableColumns count>, and the columns' ids and names.
class TableLayout final : public XmlEvents {
public:
    SheetLayout::Tag table;
    SheetLayout::Tag filter;
    SheetLayout::Tag columns;
    QByteArray prefix;
    int lastId = 0;
    QStringList names;
    // A table without a header row names no columns in the sheet; one of a query has its
    // columns tied to the query's fields.
    bool fixed = false;

private:
    SheetLayout::Tag tag() const {
        return {qint32(tagFrom()), qint32(tagFrom() + tagLength()), -1};
    }

    void startElement(QByteArrayView name, const char** attributes) override {
        const QByteArrayView local = localName(name);
        if (depth() == 1) {
            if (local != "table")
                return stop(Problem::Damaged);
            table = tag();
            prefix = name.first(name.size() - local.size()).toByteArray();
            const QByteArrayView type = attribute(attributes, "tableType");
            fixed = attribute(attributes, "headerRowCount") == "0" ||
                    !(type.isEmpty() || type == "worksheet");
        } else if (depth() == 2 && local == "tableColumns") {
            columns = tag();
            return; // its columns are read
        } else if (depth() == 2 && local == "autoFilter") {
            filter = tag();
        } else if (depth() == 3 && local == "tableColumn") {
            lastId = std::max(lastId, attribute(attributes, "id").toInt());
            names << QString::fromUtf8(attribute(attributes, "name"));
        }
        if (depth() > 1)
            skipElement();
    }
    void endElement(QByteArrayView) override {
        if (depth() == 2) // only <tableColumns> is not skipped
            columns.close = tagLength() == 0 ? -1 : tagFrom();
    }
};

// The value of the attribute `name` of the tag `tag` in `xml`, as an edit to make.
std::optional<Edit> valueOf(const QByteArray& xml, const SheetLayout::Tag& tag,
                            QByteArrayView name) {
    const QByteArrayView bytes = QByteArrayView(xml).sliced(tag.from, tag.to - tag.from);
    const auto span = attributeIn(bytes, name);
    if (!span)
        return {};
    const qsizetype from = tag.from + span->valueFrom;
    const qsizetype to = tag.from + span->valueTo;
    return Edit{from, to, xml.sliced(from, to - from)};
}

// The workbook's filter ranges: each _xlnm._FilterDatabase name, the bytes and the text of
// what it names.
class FilterNames final : public XmlEvents {
public:
    struct Name {
        qsizetype from = 0; // its content
        qsizetype to = 0;
        QString text;
    };
    std::vector<Name> names;

private:
    void startElement(QByteArrayView name, const char** attributes) override {
        const QByteArrayView local = localName(name);
        if (depth() == 1 && local != "workbook")
            return stop(Problem::Damaged);
        m_inName = depth() == 3 && local == "definedName" &&
                   attribute(attributes, "name") == "_xlnm._FilterDatabase";
        if (m_inName)
            names.push_back({tagFrom() + tagLength(), -1, {}});
        else if (depth() > 1 && !(depth() == 2 && local == "definedNames"))
            skipElement();
    }
    void endElement(QByteArrayView) override {
        if (m_inName)
            names.back().to = tagFrom();
        m_inName = false;
    }
    void characters(QByteArrayView text) override {
        if (m_inName)
            names.back().text += QString::fromUtf8(text);
    }

    bool m_inName = false;
};

} // namespace

bool growFilterName(const QByteArray& xml, const QString& sheet, const CellRange& before,
                    const CellRange& after, QByteArray& out) {
    FilterNames layout;
    if (layout.parse(xml) != Problem::None || !layout.isUtf8())
        return false;
    for (const FilterNames::Name& name : layout.names) {
        // 'Sheet name'!$A$1:$C$3, quotes in a quoted name doubled.
        const qsizetype mark = name.text.lastIndexOf(u'!');
        QString named = name.text.first(std::max<qsizetype>(mark, 0));
        if (named.size() >= 2 && named.startsWith(u'\'') && named.endsWith(u'\''))
            named = named.sliced(1, named.size() - 2).replace(QStringLiteral("''"), u"'"_qs);
        CellRange range;
        const QByteArray written =
            xml.sliced(name.from, std::max<qsizetype>(name.to - name.from, 0));
        const qsizetype rangeFrom = written.lastIndexOf('!') + 1;
        if (mark < 0 || named != sheet || rangeFrom == 0 ||
            !parseRange(QByteArray(written.sliced(rangeFrom)).replace('$', ""), range) ||
            rangeText(range) != rangeText(before))
            continue;
        out = xml;
        out.replace(name.from + rangeFrom, written.size() - rangeFrom, rangeText(after, true));
        return true;
    }
    return false;
}

bool growTable(const QByteArray& xml, const AddedColumns& added, QByteArray& out) {
    TableLayout layout;
    if (layout.parse(xml) != Problem::None || !layout.isUtf8() || layout.fixed ||
        layout.columns.from < 0)
        return false;
    std::optional<Edit> ref = valueOf(xml, layout.table, "ref");
    CellRange range;
    const qint64 header = added.headerRow();
    if (!ref || !parseRange(ref->text, range) || header == 0 || range.firstRow != header)
        return false;
    // The new columns named in the header row: the table reaches the last of them.
    const int first = added.firstColumn();
    int last = first - 1;
    while (last + 1 - first < added.columns() && added.at(header, last + 1 - first) != 0)
        ++last;
    if (range.lastColumn < first - 1 || range.lastColumn >= last)
        return false;
    QByteArray made;
    for (int column = range.lastColumn + 1; column <= last; ++column) {
        const QString& name = added.texts()[added.at(header, column - first)];
        if (layout.names.contains(name, Qt::CaseInsensitive))
            return false; // a table's column names differ
        made += '<' + layout.prefix + "tableColumn id=\"" +
                QByteArray::number(layout.lastId + column - range.lastColumn) + "\" name=\"" +
                attributeText(name) + "\"/>";
    }

    std::vector<Edit> edits;
    const int before = range.lastColumn;
    range.lastColumn = last;
    edits.push_back({ref->from, ref->to, rangeText(range)});
    CellRange filtered;
    if (std::optional<Edit> filter =
            layout.filter.from < 0 ? std::nullopt : valueOf(xml, layout.filter, "ref");
        filter && parseRange(filter->text, filtered) && filtered.lastColumn == before) {
        filtered.lastColumn = last;
        edits.push_back({filter->from, filter->to, rangeText(filtered)});
    }
    if (std::optional<Edit> count = valueOf(xml, layout.columns, "count")) {
        const int columns = count->text.toInt() + last - before;
        edits.push_back({count->from, count->to, QByteArray::number(columns)});
    }
    if (layout.columns.close >= 0) {
        edits.push_back({layout.columns.close, layout.columns.close, made});
    } else { // <tableColumns/>
        edits.push_back({layout.columns.to - 2, layout.columns.to,
                         '>' + made + "</" + layout.prefix + "tableColumns>"});
    }
    std::stable_sort(edits.begin(), edits.end(),
                     [](const Edit& a, const Edit& b) { return a.from < b.from; });
    out.clear();
    qsizetype copied = 0;
    for (const Edit& edit : edits) {
        out += QByteArrayView(xml).sliced(copied, edit.from - copied);
        out += edit.text;
        copied = edit.to;
    }
    out += QByteArrayView(xml).sliced(copied);
    return true;
}

} // namespace zunova::workbook::sheetxml
