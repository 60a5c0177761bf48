// The one-by-one scan as a process, to set against the parser floor: lookup::FileScan once
// over FILE for KEY, printing the code in COLUMN as the floor does.
// Usage: scan_file FILE KEY COLUMN
#include "lookup/recordsource.h"
#include "runtime/runtimeerror.h"

#include <cstdio>
#include <cstdlib>

int main(int argc, char* argv[]) {
    if (argc != 4)
        return 2;
    try {
        const auto code = zunova::lookup::FileScan().codeOf(QString::fromLocal8Bit(argv[1]),
                                                            std::atoi(argv[2]), std::atoi(argv[3]));
        if (code)
            std::printf("%d\n", int(*code));
        else
            std::printf("none\n");
    } catch (const zunova::runtime::RuntimeError& error) {
        std::fprintf(stderr, "scan_file: %s\n", qPrintable(error.report()));
        return 1;
    }
    return 0;
}
