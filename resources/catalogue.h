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

} // namespace zunova::catalogue
