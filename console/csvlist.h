#pragma once

#include "list/listformat.h"

#include <QString>

#include <optional>

namespace zunova::console {

class Output;

// What `zunova --csv FILE [--column N|NAME] [--encoding NAME]` asks for.
struct ListRequest {
    QString file; // "-": standard input
    list::ColumnChoice column;
    std::optional<list::Encoding> encoding;
};

// Reads the options' values; nothing, with `why` set, for a value that makes no sense.
std::optional<ListRequest> listRequest(const QString& file, const std::optional<QString>& column,
                                       const std::optional<QString>& encoding, QString& why);

// `zunova --csv FILE`: writes the list's rows to `out` with the carrier added to each, in the
// list's own encoding and format, streaming: memory stays bounded whatever the list's size.
// Warnings and errors go to standard error as for `zunova -`, with the row's line. Returns the
// exit status (ExitStatus).
int addCarriers(const ListRequest& request, Output& out);

} // namespace zunova::console
