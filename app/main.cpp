#include "console/commandline.h"
#include "windowmodule.h"

#include <QCoreApplication>

#include <cstdio>
#include <filesystem>
#include <string>
#include <system_error>

#include <dlfcn.h>

namespace {

// Loads the window module from its place beside the executable (ZUNOVA_WINDOW_MODULE is the
// path from the executable's folder, fixed when the build was configured) and runs the window.
// An absolute path, so the loader searches no folder, the working directory least of all.
int openWindow(int argc, char* argv[]) {
    std::error_code error;
    const std::filesystem::path executable = std::filesystem::read_symlink("/proc/self/exe", error);
    if (error) {
        std::fprintf(stderr, "zunova: cannot open the window: /proc/self/exe: %s\n",
                     error.message().c_str());
        return 1;
    }
    const std::string module =
        (executable.parent_path() / ZUNOVA_WINDOW_MODULE).lexically_normal().string();
    // Never closed: Qt's libraries keep state until the process ends. Bound as a program's
    // libraries are at its start, each as it was linked: the module and Qt at once, the others'
    // functions when first called, not every one of them before the window can open.
    void* const handle = ::dlopen(module.c_str(), RTLD_LAZY | RTLD_LOCAL);
    const auto run =
        handle ? reinterpret_cast<RunWindow>(::dlsym(handle, kRunWindowSymbol)) : nullptr;
    if (!run) {
        std::fprintf(stderr, "zunova: cannot open the window: %s\n", ::dlerror());
        return 1;
    }
    return run(&argc, argv);
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
