// Start-up: a fresh application that builds and shows the main window, against a fresh
// application that builds and shows a bare Qt window. Also the window alone, rebuilt in a
// running application, for information.
#include "ratioreporter.h"

#include "windows/layout.h"
#include "windows/mainwindow.h"

#include <QApplication>
#include <QLabel>

namespace {

int g_argc = 1;
char g_name[] = "startup_bench";
char* g_argv[] = {g_name, nullptr};

void showBare() {
    QWidget window;
    window.resize(293, 173);
    window.show();
    QCoreApplication::processEvents();
}

// A bare window with one line of text: the first text a process draws loads the font database,
// a cost every window with a label pays.
void showLabelWindow() {
    QWidget window;
    window.resize(293, 173);
    QLabel label(QStringLiteral("Zunova"), &window);
    window.show();
    QCoreApplication::processEvents();
}

void showMainWindow() {
    zunova::windows::MainWindow window;
    window.show();
    QCoreApplication::processEvents();
}

// Each iteration is a whole start: application, window, first paint, and shut-down.
template <void (*Show)()> void startUp(benchmark::State& state) {
    for (auto _ : state) {
        QApplication app(g_argc, g_argv);
        Show();
    }
}

void BM_StartBareWindow(benchmark::State& state) {
    startUp<showBare>(state);
}
void BM_StartLabelWindow(benchmark::State& state) {
    startUp<showLabelWindow>(state);
}
void BM_StartMainWindow(benchmark::State& state) {
    startUp<showMainWindow>(state);
}

void BM_RebuildBareWindow(benchmark::State& state) {
    QApplication app(g_argc, g_argv);
    for (auto _ : state)
        showBare();
}

void BM_RebuildMainWindow(benchmark::State& state) {
    QApplication app(g_argc, g_argv);
    for (auto _ : state)
        showMainWindow();
}

BENCHMARK(BM_StartBareWindow)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_StartLabelWindow)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_StartMainWindow)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_RebuildBareWindow)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_RebuildMainWindow)->Unit(benchmark::kMicrosecond);

} // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    return zunova::bench::runWithRatios(argc, argv,
                                        {{"BM_StartMainWindow", "BM_StartBareWindow"},
                                         {"BM_StartMainWindow", "BM_StartLabelWindow"},
                                         {"BM_RebuildMainWindow", "BM_RebuildBareWindow"}});
}
