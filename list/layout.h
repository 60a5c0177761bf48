#pragma once

#include "problem.h"

#include <QString>
#include <QStringList>
#include <QStringView>

#include <algorithm>
#include <vector>

namespace zunova::list {

// The added column's name in the header row: the main window's caption for the carrier.
inline constexpr char16_t kCarrierColumnName[] = u"キャリア";

// A layout is found from at most this many rows at a list's start.
inline constexpr int kSampleRows = 1000;

// The number column the user asked for: a position (from 0) or a header's name. Neither: the
// column in which most rows hold a number.
struct ColumnChoice {
    int position = -1;
    QString name;
};

// Where things stand in a list, whatever it is written in.
struct Layout {
    int numberColumn = 0; // from 0
    // The header: the row of names just above the first rows of numbers, counted among the rows
    // that are not blank, from 0; -1 where the numbers start the list. Rows above it (a title,
    // a date, stamp boxes) are kept as they are.
    qint64 headerRow = -1;
    QStringList columnNames; // the header's cells; empty without a header
    // The cell count most rows have; 0 where rows' counts say nothing (a sheet, whose rows end
    // at their last cell with a value).
    int width = 1;
    // The list has a carrier column already, where an earlier run put it (and its note column
    // after it): the carriers are written there again. -1 for none.
    int carrierColumn = -1;
    // Every number of the sample lost its leading zero (a column stored as numbers): said once,
    // not on every row.
    bool zerosDropped = false;
    // How many mobile numbers the number column holds in the rows looked at: which of a
    // workbook's sheets holds the list.
    int mobileNumbers = 0;

    bool hasHeader() const { return headerRow >= 0; }
    // A row's own cells, of `fields`: in a list an earlier run wrote, those before its carrier
    // column, whether the carrier and note cells follow or not.
    int ownCells(int fields) const {
        return carrierColumn >= 0 ? std::min(fields, carrierColumn) : fields;
    }
    // The own cells most rows have.
    int ownWidth() const { return carrierColumn >= 0 ? carrierColumn : width; }
};

// The cells of the rows at a list's start that are not blank, as text, in order.
using SampleRows = std::vector<QStringList>;

struct LayoutFound {
    Layout layout;
    Outcome outcome;
};

// Finds where the numbers stand from a list's first rows: the column asked for (by position, or
// by a name in some row, which is then the header), or the one that holds the person's own
// mobile numbers: a column whose header names a mobile (携帯, モバイル, mobile, cell) before one
// of no such name, before one whose header names someone else's number (緊急, 連絡先, 勤務先...);
// among those alike, the one with the most mobile numbers, then the leftmost. Without any
// mobile number, the column that most often holds a telephone number. The header is the row just
// above the first rows with a number in that column. `whole`: nothing follows the sample.
// Problems: NoSuchColumn (naming the column asked for), NoNumberColumn, HeaderOnly, Empty.
LayoutFound findLayout(const SampleRows& rows, bool whole, const ColumnChoice& column);

// The cell count most of the rows have, and how many have it.
struct CommonWidth {
    int width = 0;
    int rows = 0;
};
CommonWidth commonWidth(const SampleRows& rows);

// Whether a cell holds a telephone number (10 or 11 digits that begin with 0), or a mobile
// number (0X0 and eight digits), read as a list's numbers are read (lookup::readWrittenNumber).
bool holdsNumber(QStringView cell);
bool holdsMobileNumber(QStringView cell);
// Whose number a column's header names: the person's own mobile (携帯, 携帯電話, 本人携帯,
// モバイル, mobile, cell), someone else's (緊急, 連絡先, 勤務先, 会社, 保護者, 自宅, FAX), or
// neither; someone else's wins where a header names both (緊急連絡先携帯).
enum class ColumnName { SomeoneElses, Neither, OwnMobile };
ColumnName whoseNumber(QStringView header);

// The note column's name beside a list's own columns: 備考, or where the list has a column of
// that name, 備考2, 備考3...
QString noteColumnName(const QStringList& columnNames);

// Whether text holds more than one number: two lines or more with a number in some field.
bool holdsSeveralNumbers(QStringView text);

} // namespace zunova::list
