// Reads a data file through the program's own record reader, as every lookup does.
// Prints "records N" and exits 0, or prints the run-time error report and exits 1.
#include "runtime/recordreader.h"
#include "runtime/runtimeerror.h"

#include <cstdio>

int main(int argc, char* argv[]) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: read_data_file FILE\n");
        return 2;
    }
    try {
        zunova::runtime::RecordReader records(QString::fromLocal8Bit(argv[1]));
        long count = 0;
        while (records.next())
            ++count;
        std::printf("records %ld\n", count);
        return 0;
    } catch (const zunova::runtime::RuntimeError& e) {
        std::printf("%s\n", e.report().toLocal8Bit().constData());
        return 1;
    }
}
