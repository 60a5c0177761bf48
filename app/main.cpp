#include "console/commandline.h"
#include "windowmodule.h"

#include "runtime/module.h"

#include <QCoreApplication>

#include <cstdio>

namespace {

// Loads the window module from its place beside the executable (ZUNOVA_WINDOW_MODULE is the
// path from the executable's folder, fixed when the build was configured) and runs the window.
int openWindow(int argc, char* argv[]) {
    const zunova::runtime::ModuleEntry entry =
        zunova::runtime::loadModule(ZUNOVA_WINDOW_MODULE, kRunWindowSymbol);
    if (!entry.address) {
        std::fprintf(stderr, "zunova: cannot open the window: %s\n", qPrintable(entry.error));
        return 1;
    }
    return reinterpret_cast<RunWindow>(entry.address)(&argc, argv);
}

} // namespace

int main(int argc, char* argv[]) {
    const zunova::console::ClosedStreams closed = zunova::console::reopenClosedStandardStreams();
    // Any argument means the command line, which needs Qt Core only and no display.
    if (argc > 1) {
        QCoreApplication app(argc, argv);
        return zunova::console::run(argc, argv, closed);
    }
    return openWindow(argc, argv);
}
