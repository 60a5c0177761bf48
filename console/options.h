#pragma once

#include <QString>
#include <QStringList>

#include <span>

namespace zunova::console {

// The translation context of every text below.
inline constexpr const char* kOptionsContext = "zunova::options";

// What a shell completes an option's value to.
enum class Completion {
    Nothing,
    File,    // a file name, and the words, where there are any
    Words,   // the words alone
    Sheet,   // a sheet of the workbook given with --csv, as the program reads it
    Columns, // a column of the list given with --csv, as the program reads it
};

// One option of the command line, written once: the parser, --help, the man page and the bash
// completion are all made from this.
//
// Texts are in a light markup that translates as plain text does: *bold* (what is typed as it
// stands: options, fixed values), _italic_ (what the user fills in: FILE, NAME), and a blank line
// between paragraphs. An underscore between two letters or digits (shift_jis) is itself; a
// backslash makes the next character itself.
struct Option {
    const char* shortName; // "h", or nullptr
    const char* longName;  // "help"; every option has one
    const char* value;     // the value's name ("_FILE_", "*k*|*p*"); nullptr: a flag
    const char* help;      // the one or two sentences --help shows
    const char* manual;    // what the man page says; nullptr: the same as help
    Completion completion = Completion::Nothing;
    const char* words = nullptr; // what the value completes to, space-separated
    // Where the option is given, the other arguments complete as this (--check: files).
    Completion operands = Completion::Nothing;
    // For the program's own use (the completion asks it for a list's columns): in the parser
    // only, never shown or offered.
    bool hidden = false;
};

// Every option, in the order --help and the man page list them.
std::span<const Option> options();
// The option of that long name, or nullptr.
const Option* findOption(QStringView longName);

// The option's names as typed: "-o", "--output".
QStringList typedNames(const Option& option);
// A text of the table in the user's language (QCoreApplication::translate), markup kept.
QString translated(const char* text);

// What --help shows around the options: the usage line's arguments, the positional argument, and
// the description above the options. Each is translated, in plain text.
QString usageSynopsis();
QString argumentName();
QString argumentHelp();
QString description();

// Markup into plain text (--help) and into roff (the man page: fonts escaped in line, a dash as
// \-, a line per sentence, a blank line as .IP).
QString plainText(QStringView markup);
QString roffText(QStringView markup);
// Whether every * and _ that opens a font closes it again within its paragraph.
bool isWellFormed(QStringView markup);

} // namespace zunova::console
