#pragma once

#include "runtime/runtimeerror.h"
#include "support/tempworkdir.h"

#include <QTemporaryDir>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <initializer_list>

namespace zunova::fuzz {

// Stops the run with a message: libFuzzer saves the input that got here.
[[noreturn]] inline void violated(const char* property) {
    std::fprintf(stderr, "property violated: %s\n", property);
    std::abort();
}

inline void require(bool holds, const char* property) {
    if (!holds)
        violated(property);
}

// The error numbers the lookup may raise.
inline bool isDocumentedError(const runtime::RuntimeError& e) {
    const int n = static_cast<int>(e.number());
    for (int allowed : {6, 13, 53, 62, 70, 75})
        if (n == allowed)
            return true;
    return false;
}

// Data files are opened by bare name, so every target works in a directory of its own.
inline void enterScratchDirectory() {
    static QTemporaryDir dir;
    if (!dir.isValid())
        violated("scratch directory");
    std::filesystem::current_path(dir.path().toStdString());
}

using testing::DescriptorCount;

} // namespace zunova::fuzz
