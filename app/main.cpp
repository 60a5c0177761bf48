#include "console/commandline.h"
#include "windowmodule.h"

#include "resources/catalogue.h"
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
        // No application yet, whose translator would say it.
        const QString text = zunova::catalogue::forUser(
            "zunova::console", QT_TRANSLATE_NOOP("zunova::console", "cannot open the window: %1"));
        std::fprintf(stderr, "zunova: %s\n", text.arg(entry.error).toUtf8().constData());
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
