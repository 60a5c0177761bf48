#pragma once

#include <QString>

namespace zunova::runtime {

// What loading a module's entry point gave: its address, or why there is none.
struct ModuleEntry {
    void* address = nullptr;
    QString error;
};

// Loads one of the program's own modules and finds its entry point `symbol`. The module is
// found by its place relative to the program's own folder (`fromProgram`, fixed when the build
// was configured, the same in the build tree and installed), never through a search path or
// the working directory. Bound as a program's libraries are at its start, each as it was
// linked: the module's own functions at once where it was linked so, others when first called.
// Never unloaded: its code and Qt's state live as long as the process.
ModuleEntry loadModule(const char* fromProgram, const char* symbol);

} // namespace zunova::runtime
