#pragma once

#include "textformat.h"

#include "list/listdocument.h"
#include "lookup/recordsource.h"

#include <QByteArray>

#include <optional>
#include <variant>

namespace zunova::textlist {

// How to read a text list, where the user chose: its encoding, its number column, its delimiter
// (as detect() takes it).
struct Options {
    std::optional<Encoding> encoding;
    list::ColumnChoice column;
    std::optional<char> delimiter;
};

// A text list held whole: its rows answered, and how it is written.
struct TextList {
    Format format;
    list::ListDocument document;
};

// Reads a list from the bytes of a file or of pasted text, every row's number answered through
// `records` (numbers alike asked once, so `records` must not change meanwhile: a
// ReadOnceIndex). Stops when `progress` is cancelled. The document writes the rows back in the
// list's own format, as the command line does.
std::variant<TextList, list::Outcome> readTextList(const QByteArray& data, const Options& options,
                                                   lookup::RecordSource& records,
                                                   list::Progress& progress);

} // namespace zunova::textlist
