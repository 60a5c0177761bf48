// The worst-case query (the block has no record, so every record is read) against the floor of
// reading the same file's bytes and counting its line ends.
#include "ratioreporter.h"

#include "lookup/recordsource.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <sys/resource.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <filesystem>

namespace {

// Records whose keys (1000 and up) no 3-digit block can match.
void writeDataFile(const QString& name, qint64 bytes) {
    QFile file(name);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate))
        std::abort();
    QByteArray chunk;
    for (int key = 1000; key < 2000; ++key)
        chunk += QByteArray::number(key) + ",1,1,2,2,3,3,4,4,9,9\r\n";
    for (qint64 written = 0; written < bytes; written += chunk.size())
        file.write(chunk);
}

long peakRssKiB() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss;
}

// Returns the seconds per lookup, measured alongside the library's own timing.
double lookup(benchmark::State& state, const QString& file) {
    zunova::lookup::FileScan scan;
    const auto start = std::chrono::steady_clock::now();
    for (auto _ : state) {
        auto code = scan.codeOf(file, 123, 4);
        benchmark::DoNotOptimize(code);
        if (code)
            state.SkipWithError("the block should have no record");
    }
    const std::chrono::duration<double> elapsed = std::chrono::steady_clock::now() - start;
    state.SetBytesProcessed(state.iterations() * QFile(file).size());
    return elapsed.count() / double(std::max<benchmark::IterationCount>(state.iterations(), 1));
}

void floor(benchmark::State& state, const QString& name) {
    std::vector<char> buffer(64 * 1024);
    for (auto _ : state) {
        QFile file(name);
        if (!file.open(QIODevice::ReadOnly | QIODevice::Unbuffered))
            state.SkipWithError("cannot open");
        qint64 lines = 0;
        for (qint64 got; (got = file.read(buffer.data(), qint64(buffer.size()))) > 0;)
            for (qint64 i = 0; i < got; ++i)
                lines += buffer[std::size_t(i)] == '\n';
        benchmark::DoNotOptimize(lines);
    }
    state.SetBytesProcessed(state.iterations() * QFile(name).size());
}

void BM_Lookup1000Records(benchmark::State& state) {
    lookup(state, "k.dat");
}
void BM_Floor1000Records(benchmark::State& state) {
    floor(state, "k.dat");
}
void BM_Floor100MB(benchmark::State& state) {
    floor(state, "big.dat");
}

void BM_Lookup100MB(benchmark::State& state) {
    const long before = peakRssKiB();
    const double seconds = lookup(state, "big.dat");
    // Streaming: the process's peak memory must not grow with the file.
    state.counters["peak_rss_growth_KiB"] = double(peakRssKiB() - before);
    state.counters["ms_per_MB"] = seconds * 1e3 / (double(QFile("big.dat").size()) / (1 << 20));
}

BENCHMARK(BM_Floor1000Records);
BENCHMARK(BM_Lookup1000Records);
BENCHMARK(BM_Floor100MB)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Lookup100MB)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv) {
    QTemporaryDir dir;
    if (!dir.isValid())
        return 1;
    std::filesystem::current_path(dir.path().toStdString());
    writeDataFile("k.dat", 1); // one chunk: exactly 1,000 records
    writeDataFile("big.dat", 100LL * 1024 * 1024);
    const int rc = zunova::bench::runWithRatios(
        argc, argv,
        {{"BM_Lookup1000Records", "BM_Floor1000Records"}, {"BM_Lookup100MB", "BM_Floor100MB"}});
    std::filesystem::current_path(QDir::tempPath().toStdString());
    return rc;
}
