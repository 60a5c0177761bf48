#pragma once

#include "problem.h"

#include <QString>
#include <QStringList>
#include <QStringView>

#include <vector>

namespace zunova::list {

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
    int numberColumn = 0;    // from 0
    bool header = false;     // the first row that is not blank names the columns
    QStringList columnNames; // the header's cells; empty without a header
    // The cell count most rows have; 0 where rows' counts say nothing (a sheet, whose rows end
    // at their last cell with a value).
    int width = 1;
};

// The cells of the rows at a list's start that are not blank, as text, in order.
using SampleRows = std::vector<QStringList>;

struct LayoutFound {
    Layout layout;
    Outcome outcome;
};

// Finds where the numbers stand from a list's first rows: the column asked for, or the one in
// which most rows hold a mobile number (a header that names a mobile column breaking a tie),
// else the one that most often holds a telephone number; a first row whose number cell holds
// none is a header. `whole`: nothing follows the sample. Problems: NoSuchColumn (naming the
// column asked for), NoNumberColumn, HeaderOnly, Empty.
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
// Whether a column's header names a mobile number: 携帯, モバイル, mobile, cell.
bool namesMobileColumn(QStringView header);

// The note column's name beside a list's own columns: 備考, or where the list has a column of
// that name, 備考2, 備考3...
QString noteColumnName(const QStringList& columnNames);

// Whether text holds more than one number: two lines or more with a number in some field.
bool holdsSeveralNumbers(QStringView text);

} // namespace zunova::list
