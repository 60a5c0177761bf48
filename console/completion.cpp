#include "completion.h"

#include "exitstatus.h"
#include "options.h"
#include "output.h"

#include "list/listfile.h"
#include "textlist/textformat.h"
#include "workbook/sheetlist.h"

namespace zunova::console {
namespace {

// A workbook's sheets: their positions, then their names.
QStringList sheetsOf(const QByteArray& data) {
    const workbook::Workbook::Opened opened = workbook::Workbook::open(data);
    if (!opened.workbook)
        return {};
    QStringList values;
    const std::vector<workbook::Sheet>& sheets = opened.workbook->sheets();
    for (std::size_t i = 1; i <= sheets.size(); ++i)
        values << QString::number(i);
    for (const workbook::Sheet& sheet : sheets)
        values << sheet.name;
    return values;
}

// A text list's columns, as detected from its start: their positions, then the header's names.
// A list with no number column is read as --column 1 would read it.
QStringList columnsOf(const QByteArray& sample, bool whole,
                      std::optional<textlist::Encoding> encoding) {
    textlist::Detection detection = textlist::detect(sample, whole, encoding);
    if (detection.outcome.problem == list::Problem::NoNumberColumn ||
        detection.outcome.problem == list::Problem::HeaderOnly)
        detection = textlist::detect(sample, whole, encoding, list::ColumnChoice{0, {}});
    if (!detection.outcome.ok())
        return {};
    QStringList values;
    for (int i = 1; i <= detection.format.layout.width; ++i)
        values << QString::number(i);
    for (const QString& name : detection.format.layout.columnNames)
        values << name.trimmed();
    return values;
}

} // namespace

int printListValues(const Option& option, const QString& file, const ListOptions& options,
                    Output& out) {
    QString why;
    const std::optional<ListRequest> request = listRequest(file, options, why);
    if (!request || file == u'-')
        return kTrouble;
    // A regular file only: a completion must never wait on a pipe or a device.
    list::ListInput input(file, true);
    if (!input.opened().ok())
        return kTrouble;
    QByteArray data;
    qsizetype got = 1;
    while (data.size() < textlist::kSampleBytes && got > 0)
        got = input.read(data, textlist::kSampleBytes - data.size());
    // A workbook is read whole, as far as the program reads one.
    const bool workbook = got >= 0 && workbook::isWorkbook(data, file);
    while (workbook && got > 0 && data.size() <= list::kMaxPartBytes)
        got = input.read(data, textlist::kSampleBytes);
    if (got < 0 || (workbook && got > 0))
        return kTrouble;

    QStringList values;
    if (option.completion == Completion::Sheet && workbook)
        values = sheetsOf(data);
    else if (option.completion == Completion::Columns && !workbook)
        values = columnsOf(data, got == 0, request->encoding);
    for (const QString& value : values) {
        // One value a line: a name that holds a line break cannot be offered.
        if (value.isEmpty() || value.contains(u'\n') || value.contains(u'\r'))
            continue;
        out.append(value);
        out.append(QByteArrayView("\n"));
    }
    return 0;
}

} // namespace zunova::console
