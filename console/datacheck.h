#pragma once

#include <QString>
#include <QStringList>

namespace zunova::lookup {
struct Network;
}

namespace zunova::console {

class Output;

// `zunova --check FILE...`: reads each file as a lookup would and reports every problem on
// standard error as "FILE:LINE: text", with a summary per file on `out`. `kind` overrides the
// network each file's name stands for (lookup::networkOfDataFile). Returns the exit status: 0
// when every file is clean, 1 when one has problems, 2 when one cannot be read (ExitStatus).
int checkDataFiles(const QStringList& files, const lookup::Network* kind, Output& out);

} // namespace zunova::console
