#include "layout.h"

#include "lookup/writtennumber.h"

#include <algorithm>
#include <map>
#include <optional>

namespace zunova::list {
namespace {

// The column whose cells most often hold a mobile number; a header that names a mobile column
// breaks a tie, else the leftmost wins. Without any mobile number, the column that most often
// holds a telephone number.
std::optional<int> mostNumbers(const SampleRows& rows) {
    std::vector<int> mobiles;
    std::vector<int> numbers;
    for (const QStringList& cells : rows)
        for (int i = 0; i < cells.size(); ++i) {
            if (std::size_t(i) >= numbers.size()) {
                numbers.resize(std::size_t(i) + 1);
                mobiles.resize(std::size_t(i) + 1);
            }
            mobiles[std::size_t(i)] += holdsMobileNumber(cells[i]) ? 1 : 0;
            numbers[std::size_t(i)] += holdsNumber(cells[i]) ? 1 : 0;
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

CommonWidth commonWidth(const SampleRows& rows) {
    std::map<int, int> widths;
    for (const QStringList& cells : rows)
        ++widths[int(cells.size())];
    CommonWidth common;
    for (const auto& [width, count] : widths)
        if (count > common.rows)
            common = {width, count};
    return common;
}

LayoutFound findLayout(const SampleRows& rows, bool whole, const ColumnChoice& column) {
    LayoutFound found;
    if (rows.empty()) {
        found.outcome.problem = Problem::Empty;
        return found;
    }
    Layout& layout = found.layout;
    layout.width = commonWidth(rows).width;
    const QStringList& first = rows.front();
    if (column.position >= 0) {
        if (std::none_of(rows.begin(), rows.end(),
                         [&](const QStringList& r) { return column.position < r.size(); })) {
            found.outcome = {.problem = Problem::NoSuchColumn,
                             .asked = QString::number(column.position + 1)};
            return found;
        }
        layout.numberColumn = column.position;
    } else if (!column.name.isEmpty()) {
        const auto named = std::find_if(first.begin(), first.end(), [&](const QString& cell) {
            return cell.trimmed() == column.name.trimmed();
        });
        if (named == first.end()) {
            found.outcome = {.problem = Problem::NoSuchColumn, .asked = column.name};
            return found;
        }
        layout.numberColumn = int(named - first.begin());
    } else {
        const std::optional<int> chosen = mostNumbers(rows);
        if (!chosen) {
            found.outcome.problem =
                whole && rows.size() == 1 ? Problem::HeaderOnly : Problem::NoNumberColumn;
            return found;
        }
        layout.numberColumn = *chosen;
    }
    layout.header = !column.name.isEmpty() || layout.numberColumn >= first.size() ||
                    !holdsNumber(first[layout.numberColumn]);
    if (layout.header)
        layout.columnNames = first;
    return found;
}

bool holdsNumber(QStringView cell) {
    return lookup::isTelephoneNumber(
        lookup::readWrittenNumber(cell, lookup::DroppedZero::Restore).text);
}

bool holdsMobileNumber(QStringView cell) {
    return lookup::isMobileNumber(
        lookup::readWrittenNumber(cell, lookup::DroppedZero::Restore).text);
}

bool namesMobileColumn(QStringView header) {
    const QString name = header.toString().toLower();
    return name.contains(u"携帯") || name.contains(u"モバイル") || name.contains(u"mobile") ||
           name.contains(u"cell");
}

QString noteColumnName(const QStringList& columnNames) {
    QString note = QStringLiteral(u"備考");
    for (int n = 2; columnNames.contains(note); ++n)
        note = QStringLiteral(u"備考%1").arg(n);
    return note;
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

} // namespace zunova::list
