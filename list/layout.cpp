#include "layout.h"

#include "lookup/writtennumber.h"

#include <algorithm>
#include <map>
#include <optional>

namespace zunova::list {
namespace {

// How many cells of each column hold a mobile number, and a telephone number.
struct Counts {
    std::vector<int> mobiles;
    std::vector<int> numbers;
};

Counts countNumbers(const SampleRows& rows) {
    Counts counts;
    for (const QStringList& cells : rows)
        for (int i = 0; i < cells.size(); ++i) {
            if (std::size_t(i) >= counts.numbers.size()) {
                counts.numbers.resize(std::size_t(i) + 1);
                counts.mobiles.resize(std::size_t(i) + 1);
            }
            counts.mobiles[std::size_t(i)] += holdsMobileNumber(cells[i]) ? 1 : 0;
            counts.numbers[std::size_t(i)] += holdsNumber(cells[i]) ? 1 : 0;
        }
    return counts;
}

// The column that holds the person's own numbers: of the columns with mobile numbers, one whose
// header names someone else's number only where none other has any; then the most, a header
// that names a mobile breaking a tie, else the leftmost. Without any mobile number, the column
// that most often holds a telephone number.
std::optional<int> chooseColumn(const Counts& counts, const QStringList& header) {
    const bool mobiles =
        std::any_of(counts.mobiles.begin(), counts.mobiles.end(), [](int n) { return n > 0; });
    const std::vector<int>& count = mobiles ? counts.mobiles : counts.numbers;
    const auto name = [&](int i) {
        return mobiles ? whoseNumber(header.value(i)) : ColumnName::Neither;
    };
    const auto rank = [&](int i) {
        return name(i) == ColumnName::SomeoneElses ? 0 : 1;
    };
    std::optional<int> best;
    for (int i = 0; i < int(count.size()); ++i) {
        const std::size_t at = std::size_t(i);
        if (count[at] == 0)
            continue;
        if (!best || rank(i) > rank(*best) ||
            (rank(i) == rank(*best) &&
             (count[at] > count[std::size_t(*best)] ||
              (count[at] == count[std::size_t(*best)] && name(i) > name(*best)))))
            best = i;
    }
    return best;
}

// The first row with a number in `column` (`paired`: the first of two rows in a row that hold
// one), or -1.
qint64 firstNumberRow(const SampleRows& rows, int column, bool paired) {
    for (std::size_t i = 0; i < rows.size(); ++i)
        if (holdsNumber(rows[i].value(column)) &&
            (!paired || (i + 1 < rows.size() && holdsNumber(rows[i + 1].value(column)))))
            return qint64(i);
    return -1;
}

// The header above the numbers of `column`: the nearest row before the first number whose cell
// in that column holds a name, a text without digits (rows between, with nothing there or a
// number miswritten, are the list's own); where the first number is a title's (a company's
// number above the header), the nearest such row before the first two numbers in a row; -1 for
// none.
qint64 headerAbove(const SampleRows& rows, int column) {
    for (const bool paired : {false, true}) {
        for (qint64 i = firstNumberRow(rows, column, paired) - 1; i >= 0; --i) {
            const QString cell = rows[std::size_t(i)].value(column).trimmed();
            if (!cell.isEmpty() &&
                std::none_of(cell.begin(), cell.end(), [](QChar c) { return c.isDigit(); }))
                return i;
        }
    }
    return -1;
}

// A carrier column an earlier run put at the header's end: キャリア last, or before a note column.
int carrierColumnOf(const QStringList& header) {
    const QString carrier = QString::fromUtf16(kCarrierColumnName);
    const qsizetype at = header.lastIndexOf(carrier);
    if (at < 0 || at + 2 < header.size())
        return -1;
    return at + 1 == header.size() || header[at + 1].trimmed().startsWith(u"備考") ? int(at) : -1;
}

// Finishes a layout once its number column and header are known.
void describe(Layout& layout, const SampleRows& rows, const Counts& counts) {
    // The header and the rows after it: the rows above are no part of the list.
    const std::size_t data = std::size_t(std::max<qint64>(layout.headerRow, 0));
    if (layout.hasHeader()) {
        for (const QString& name : rows[std::size_t(layout.headerRow)])
            layout.columnNames << name.trimmed();
        layout.carrierColumn = carrierColumnOf(layout.columnNames);
    }
    layout.width = commonWidth(SampleRows(rows.begin() + qsizetype(data), rows.end())).width;
    const std::size_t column = std::size_t(layout.numberColumn);
    layout.mobileNumbers = column < counts.mobiles.size() ? counts.mobiles[column] : 0;
    int numbers = 0;
    int restored = 0;
    for (std::size_t i = data + (layout.hasHeader() ? 1 : 0); i < rows.size(); ++i) {
        const QString cell = rows[i].value(layout.numberColumn);
        if (!holdsNumber(cell))
            continue;
        ++numbers;
        restored += lookup::readWrittenNumber(cell, lookup::DroppedZero::Restore).zeroRestored;
    }
    layout.zerosDropped = numbers > 1 && restored == numbers;
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
    Layout& layout = found.layout;
    if (rows.empty()) {
        found.outcome.problem = Problem::Empty;
        return found;
    }
    const Counts counts = countNumbers(rows);
    if (!column.name.isEmpty()) {
        // The name asked for stands in the header, wherever that is.
        for (std::size_t i = 0; i < rows.size() && !layout.hasHeader(); ++i) {
            const auto named = std::find_if(rows[i].begin(), rows[i].end(), [&](auto& cell) {
                return cell.trimmed() == column.name.trimmed();
            });
            if (named != rows[i].end()) {
                layout.headerRow = qint64(i);
                layout.numberColumn = int(named - rows[i].begin());
            }
        }
        if (!layout.hasHeader()) {
            found.outcome = {.problem = Problem::NoSuchColumn, .asked = column.name};
            return found;
        }
    } else if (column.position >= 0) {
        if (std::none_of(rows.begin(), rows.end(),
                         [&](const QStringList& r) { return column.position < r.size(); })) {
            found.outcome = {.problem = Problem::NoSuchColumn,
                             .asked = QString::number(column.position + 1)};
            return found;
        }
        layout.numberColumn = column.position;
        layout.headerRow = headerAbove(rows, column.position);
        // A column asked for that holds no number: its first row names it, unless a number.
        if (firstNumberRow(rows, column.position, false) < 0 &&
            !holdsNumber(rows.front().value(column.position)))
            layout.headerRow = 0;
    } else {
        std::optional<int> chosen = chooseColumn(counts, {});
        if (!chosen) {
            found.outcome.problem =
                whole && rows.size() == 1 ? Problem::HeaderOnly : Problem::NoNumberColumn;
            return found;
        }
        // The header's names may point to another column, with a header of its own.
        const qint64 header = headerAbove(rows, *chosen);
        if (header >= 0)
            chosen = chooseColumn(counts, rows[std::size_t(header)]);
        layout.numberColumn = *chosen;
        layout.headerRow = headerAbove(rows, *chosen);
    }
    describe(layout, rows, counts);
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

ColumnName whoseNumber(QStringView header) {
    const QString name = header.toString().toLower();
    static const char16_t* const someoneElses[] = {u"緊急",   u"連絡先", u"勤務先", u"会社",
                                                   u"保護者", u"自宅",   u"fax",    u"ｆａｘ"};
    static const char16_t* const ownMobile[] = {u"携帯", u"モバイル", u"mobile", u"cell"};
    const auto holds = [&](const auto& words) {
        return std::any_of(std::begin(words), std::end(words),
                           [&](const char16_t* word) { return name.contains(word); });
    };
    if (holds(someoneElses))
        return ColumnName::SomeoneElses;
    return holds(ownMobile) ? ColumnName::OwnMobile : ColumnName::Neither;
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
