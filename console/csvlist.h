#pragma once

#include "list/layout.h"
#include "textlist/textcodec.h"
#include "workbook/sheetlist.h"

#include <QString>

#include <optional>

namespace zunova::console {

class Output;

// What `zunova --csv FILE [--column N|NAME] [--encoding NAME] [--sheet N|NAME] [-o OUT]` asks
// for.
struct ListRequest {
    QString file; // "-": standard input
    list::ColumnChoice column;
    std::optional<textlist::Encoding> encoding;
    workbook::SheetChoice sheet;
    QString output;       // empty: standard output
    bool verbose = false; // say what each row got besides its carrier, not just the run
};

struct ListOptions {
    std::optional<QString> column;
    std::optional<QString> encoding;
    std::optional<QString> sheet;
    std::optional<QString> output;
    bool verbose = false;
};

// Reads the options' values; nothing, with `why` set, for a value that makes no sense.
std::optional<ListRequest> listRequest(const QString& file, const ListOptions& options,
                                       QString& why);

// `zunova --csv FILE`: writes the list's rows to `out` (or to the file asked for, whole or not at
// all) with the carrier added to each, in the list's own encoding and format, streaming: memory
// stays bounded whatever the list's size. A workbook is read whole (as the window caps it) and a
// copy of it written with the carrier column added to its sheet, never to a terminal. Warnings
// and errors go to standard error as for `zunova -`, with the row's line. Returns the exit status
// (ExitStatus).
int addCarriers(const ListRequest& request, Output& out);

} // namespace zunova::console
