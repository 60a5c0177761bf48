// The workbook module from the shell, for the checks against other programs' workbooks:
//   workbook_tool sheets BOOK          the worksheets' names, a line each
//   workbook_tool text BOOK N          sheet N (from 1) as text
//   workbook_tool add BOOK N OUT       a copy with columns after the last used one: line R of
//                                      standard input holds row R's new cells, tab-separated
// A problem is named on standard error, with exit status 1.
#include "list/workbook.h"

#include <QFile>

#include <cstdio>

using namespace zunova::list;

namespace {

const char* nameOf(WorkbookProblem problem) {
    switch (problem) {
    case WorkbookProblem::None:
        return "None";
    case WorkbookProblem::NotZip:
        return "NotZip";
    case WorkbookProblem::NotWorkbook:
        return "NotWorkbook";
    case WorkbookProblem::Encrypted:
        return "Encrypted";
    case WorkbookProblem::Binary:
        return "Binary";
    case WorkbookProblem::NoSheet:
        return "NoSheet";
    case WorkbookProblem::PartTooLarge:
        return "PartTooLarge";
    case WorkbookProblem::TooManyRows:
        return "TooManyRows";
    case WorkbookProblem::Damaged:
        return "Damaged";
    case WorkbookProblem::NoRoom:
        return "NoRoom";
    case WorkbookProblem::CannotWrite:
        return "CannotWrite";
    case WorkbookProblem::Unavailable:
        return "Unavailable";
    }
    return "?";
}

int fail(WorkbookProblem problem) {
    std::fprintf(stderr, "%s\n", nameOf(problem));
    return 1;
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
        return fail(opened.problem);
    const Workbook& workbook = *opened.workbook;
    if (command == "sheets") {
        for (const Sheet& sheet : workbook.sheets())
            std::printf("%s\n", sheet.name.toUtf8().constData());
        return 0;
    }
    const int sheet = QByteArray(argv[3]).toInt() - 1;
    const SheetText text = workbook.text(sheet);
    if (text.problem != WorkbookProblem::None)
        return fail(text.problem);
    if (command == "text") {
        std::fwrite(text.text.constData(), 1, std::size_t(text.text.size()), stdout);
        return 0;
    }
    QFile in;
    in.open(stdin, QIODevice::ReadOnly);
    AddedColumns added{sheet, text.lastColumn + 1, {}};
    for (const QByteArray& line : in.readAll().split('\n'))
        added.rows.push_back(QString::fromUtf8(line).split(u'\t'));
    QFile out(QString::fromLocal8Bit(argv[4]));
    if (!out.open(QIODevice::WriteOnly))
        return fail(WorkbookProblem::CannotWrite);
    const WorkbookProblem problem = workbook.write(added, out);
    return problem == WorkbookProblem::None ? 0 : fail(problem);
}
