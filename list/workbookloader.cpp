// Workbooks are read by a module the program loads the first time one is opened (see
// workbook.h for why), from its place beside the program.
#include "workbook.h"

#include <QDir>
#include <QFileInfo>
#include <QLibrary>

#include <algorithm>

namespace zunova::list {
namespace {

OpenWorkbook loadModule() {
    // The program's own folder, whatever the working directory: never a module from there.
    const QString program = QFileInfo(QStringLiteral("/proc/self/exe")).canonicalFilePath();
    const QString path =
        QDir::cleanPath(QFileInfo(program).dir().filePath(QStringLiteral(ZUNOVA_WORKBOOK_MODULE)));
    // Kept loaded for the process: its workbooks' code lives in it.
    static QLibrary module(path);
    return reinterpret_cast<OpenWorkbook>(module.resolve(kOpenWorkbookSymbol));
}

} // namespace

Workbook::Opened Workbook::open(const QByteArray& data) {
    static const OpenWorkbook open = loadModule();
    Opened opened;
    if (!open) {
        opened.problem = WorkbookProblem::Unavailable;
        return opened;
    }
    open(&data, &opened);
    return opened;
}

WorkbookProblem Workbook::write(const AddedColumns& added, QIODevice& out) const {
    QByteArray package;
    if (const WorkbookProblem problem = write(added, package); problem != WorkbookProblem::None)
        return problem;
    constexpr qsizetype kChunk = 1024 * 1024;
    for (qsizetype at = 0; at < package.size();) {
        const qint64 written =
            out.write(package.constData() + at, std::min(kChunk, package.size() - at));
        if (written <= 0)
            return WorkbookProblem::CannotWrite;
        at += qsizetype(written);
    }
    return WorkbookProblem::None;
}

} // namespace zunova::list
