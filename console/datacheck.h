#pragma once

#include <QString>
#include <QStringList>

namespace zunova::lookup {
struct Network;
}

namespace zunova::console {

class Output;

// The network kind a data file holds: `p.dat` is PHS, any other name cellular.
const lookup::Network& kindOfFile(const QString& file);

// `zunova --check FILE...`: reads each file as a lookup would and reports every problem on
// standard error as "FILE:LINE: text", with a summary per file on `out`. `kind` overrides the
// kind taken from each name. Returns 0 when every file is clean, 1 otherwise.
int checkDataFiles(const QStringList& files, const lookup::Network* kind, Output& out);

} // namespace zunova::console
