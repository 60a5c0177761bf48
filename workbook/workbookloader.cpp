// Workbooks are read by a module the program loads the first time one is opened (see
// workbook.h for why), from its place beside the program.
#include "workbook.h"

#include "runtime/module.h"

namespace zunova::workbook {

Workbook::Opened Workbook::open(const QByteArray& data) {
    static const runtime::ModuleEntry module =
        runtime::loadModule(ZUNOVA_WORKBOOK_MODULE, kOpenWorkbookSymbol);
    Opened opened;
    if (!module.address) {
        opened.outcome = {.problem = list::Problem::ModuleUnavailable, .reason = module.error};
        return opened;
    }
    reinterpret_cast<OpenWorkbook>(module.address)(&data, &opened);
    return opened;
}

} // namespace zunova::workbook
