// Reads a data file through the program's own reader, record by record, as the lookup does.
// Prints "records N" and exits 0, or prints the run-time error report and exits 1.
#include "runtime/datafile.h"
#include "runtime/runtimeerror.h"
#include "runtime/sequentialreader.h"

#include <array>
#include <cstdio>

int main(int argc, char* argv[]) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: read_data_file FILE\n");
        return 2;
    }
    const QString name = QString::fromLocal8Bit(argv[1]);
    try {
        zunova::runtime::DataFile file(name);
        zunova::runtime::SequentialReader reader(file.device(), name);
        std::array<qint16, 11> record{};
        long records = 0;
        for (; !reader.atEndOfData(); ++records)
            reader.readInt16s(record);
        std::printf("records %ld\n", records);
        return 0;
    } catch (const zunova::runtime::RuntimeError& e) {
        std::printf("%s\n", e.report().toLocal8Bit().constData());
        return 1;
    }
}
