// The workbook module from the shell, for the checks against other programs' workbooks:
//   workbook_tool sheets BOOK          the worksheets' names, a line each
//   workbook_tool text BOOK N          sheet N (from 1) as text: a line a row, its cells
//                                      separated by tabs (quoted where they hold a tab, a
//                                      quote or a line break)
//   workbook_tool add BOOK N OUT       a copy with columns after the last used one: line R of
//                                      standard input holds row R's new cells, tab-separated
// A problem is said on standard error, with exit status 1.
#include "list/messages.h"
#include "workbook/workbook.h"

#include <QFile>

#include <algorithm>
#include <cstdio>

using namespace zunova::workbook;

namespace {

int fail(const zunova::list::Outcome& outcome) {
    std::fprintf(stderr, "%s: %s\n", qPrintable(zunova::list::whereText(outcome)),
                 qPrintable(zunova::list::problemText(outcome, zunova::list::Front::CommandLine)));
    return 1;
}

QByteArray textOf(const SheetCells& cells) {
    QByteArray text;
    for (qint64 row = 1; row <= cells.rows(); ++row) {
        const zunova::list::CellsView view = cells.row(row);
        for (qsizetype i = 0; i < view.size(); ++i) {
            const QByteArray cell = view[i].toByteArray();
            const bool quoted = std::any_of(cell.begin(), cell.end(), [](char c) {
                return c == '\t' || c == '"' || c == '\r' || c == '\n';
            });
            text += QByteArray(i > 0 ? "\t" : "") +
                    (quoted ? '"' + QByteArray(cell).replace('"', "\"\"") + '"' : cell);
        }
        text += '\n';
    }
    return text;
}

} // namespace

int main(int argc, char** argv) {
    const QByteArray command = argc > 2 ? argv[1] : "";
    QFile file(QString::fromLocal8Bit(argc > 2 ? argv[2] : ""));
    const int arguments = command == "sheets" ? 3
                          : command == "text" ? 4
                          : command == "add"  ? 5
                                              : 0;
    if (argc != arguments || !file.open(QIODevice::ReadOnly)) {
        std::fprintf(stderr, "usage: workbook_tool sheets|text|add BOOK [N [OUT]]\n");
        return 2;
    }
    const auto opened = Workbook::open(file.readAll());
    if (!opened.workbook)
        return fail(opened.outcome);
    const Workbook& workbook = *opened.workbook;
    if (command == "sheets") {
        for (const Sheet& sheet : workbook.sheets())
            std::printf("%s\n", sheet.name.toUtf8().constData());
        return 0;
    }
    const int sheet = QByteArray(argv[3]).toInt() - 1;
    const SheetCells cells = workbook.cells(sheet);
    if (!cells.outcome.ok())
        return fail(cells.outcome);
    if (command == "text") {
        const QByteArray text = textOf(cells);
        std::fwrite(text.constData(), 1, std::size_t(text.size()), stdout);
        return 0;
    }
    QFile in;
    in.open(stdin, QIODevice::ReadOnly);
    std::vector<QStringList> rows;
    for (const QByteArray& line : in.readAll().split('\n'))
        rows.push_back(QString::fromUtf8(line).split(u'\t'));
    const AddedColumns added = AddedColumns::of(sheet, cells.lastColumn + 1, rows);
    QFile out(QString::fromLocal8Bit(argv[4]));
    if (!out.open(QIODevice::WriteOnly))
        return fail({.problem = zunova::list::Problem::CannotWrite});
    const zunova::list::Outcome written = workbook.write(added, out);
    return written.ok() ? 0 : fail(written);
}
