#pragma once

#include <QString>

namespace zunova::catalogue {

// The program's texts are written in English and translated in a Japanese catalogue compiled into
// the program (translations/zunova_ja.ts), so nothing has to be found at run time.

// From here on, texts shown through Qt's tr() are Japanese: the window always is.
void installJapanese();

// `source` of `context` in Japanese, whatever the locale: for what is written into a list, which
// reads the same wherever the list was made. The source itself where the catalogue lacks it.
QString inJapanese(const char* context, const char* source);

// Whether the user's locale asks for Japanese messages, read from the environment as gettext
// reads it (LC_ALL, LC_MESSAGES, LANG, then LANGUAGE), so the command line answers in the
// language apt and coreutils answer in. Whether that locale is installed does not matter.
bool userReadsJapanese();

// `source` of `context` in the user's language, without an installed translator: for a message
// said before there is an application.
QString forUser(const char* context, const char* source);

} // namespace zunova::catalogue
