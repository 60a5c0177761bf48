// The list window as a whole process, for tools/bench-list.sh: starts the application's main
// window, opens the list in FILE from it as Ctrl+O does once a file is chosen, waits until its
// table is there, saves it as OUT through the file dialog's seam and ends. Exit 0 when both went
// through.
// With --answers it times instead how long the window goes without answering: a timer on the GUI
// thread ticks every 5 ms, and its longest gap is taken while the list is read, copied (a list of
// up to ListWindow::kMaxCopiedRows rows) and saved, each up to the first tick after the window has
// shown the result; then, as the floor, the same timer's longest gap on the window left idle for
// as long as that work took.
// Usage: list_window [--answers] FILE OUT (in the folder that holds k.dat and p.dat)
#include "windows/filedialog.h"
#include "windows/layout.h"
#include "windows/listmodel.h"
#include "windows/listwindow.h"
#include "windows/mainwindow.h"
#include "windows/messagebox.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QPointer>
#include <QTimer>
#include <QWindow>

#include <cstdio>
#include <utility>

using namespace zunova::windows;

namespace {

// The main window on screen, as a user who opens a list has it; false if it never shows.
bool showMainWindow(MainWindow& owner) {
    owner.show();
    QElapsedTimer starting;
    starting.start();
    while (!owner.windowHandle() || !owner.windowHandle()->isExposed()) {
        if (starting.hasExpired(10000))
            return false;
        QApplication::processEvents();
    }
    QApplication::processEvents();
    return true;
}

// From opening the list to its saved copy, the application's own start left out.
int timeOpenAndSave(MainWindow& owner, const QString& file) {
    QElapsedTimer opened;
    opened.start();
    ListWindow* window = ListWindow::openFile(file, &owner);
    int done = 0;
    qint64 shown = 0;
    QObject::connect(window, &ListWindow::workDone, [&] {
        if (++done == 1 && window->model()->rowCount() > 0) {
            shown = opened.elapsed();
            QMetaObject::invokeMethod(window->findChild<QWidget*>(QStringLiteral("save")), "click");
        } else {
            const bool saved = MessageBox::takeShown().isEmpty() && done == 2;
            // Only for a list that was shown and saved.
            if (saved)
                std::fprintf(stderr,
                             "list_window: opened, shown and saved in %lld ms (shown in %lld ms, "
                             "saved in %lld ms)\n",
                             opened.elapsed(), shown, opened.elapsed() - shown);
            QApplication::exit(saved ? 0 : 1);
        }
    });
    return QApplication::exec();
}

// The longest the window went without answering while it read, copied and saved the list, and
// on the window idle; -1 for a copy the window refused (a list too long to copy).
int timeAnswers(MainWindow& owner, const QString& file) {
    enum Phase { Reading, Copying, Saving, Idle, Phases };
    qint64 longest[Phases] = {-1, -1, -1, -1};
    int phase = Reading;
    bool finished = false; // the phase's work is done; the next tick ends the phase
    QElapsedTimer clock;
    qint64 last = 0;
    qint64 gap = 0;
    qint64 idleUntil = 0;
    QPointer<ListWindow> window;
    auto press = [&](const char* button) {
        QMetaObject::invokeMethod(window->findChild<QWidget*>(QString::fromLatin1(button)),
                                  "click");
        return window->isWorking(); // else refused, with a box
    };
    QTimer ticks;
    ticks.setInterval(5);
    auto end = [&](int status) {
        ticks.stop();
        QApplication::exit(status);
    };
    QObject::connect(&ticks, &QTimer::timeout, [&] {
        gap = std::max(gap, clock.elapsed() - last);
        last = clock.elapsed();
        if (!finished && !(phase == Idle && last >= idleUntil))
            return;
        longest[phase] = std::exchange(gap, 0);
        finished = false;
        if (!window || !MessageBox::takeShown().isEmpty()) // the list was not read or saved
            return end(1);
        ++phase;
        if (phase == Copying && !press("copy")) {
            MessageBox::takeShown(); // too long to copy: passed over
            ++phase;
        }
        if (phase == Saving && !press("save"))
            return end(1);
        if (phase == Idle)
            idleUntil = 2 * last; // idle as long as the work took
        if (phase == Phases)
            end(0);
    });
    clock.start();
    ticks.start();
    window = ListWindow::openFile(file, &owner);
    QObject::connect(window, &ListWindow::workDone, [&] { finished = true; });
    if (QApplication::exec() != 0)
        return 1;
    std::fprintf(stderr,
                 "list_window: longest without an answer: reading %lld ms, copying %lld ms, "
                 "saving %lld ms; idle %lld ms\n",
                 longest[Reading], longest[Copying], longest[Saving], longest[Idle]);
    return 0;
}

} // namespace

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    QStringList arguments = QApplication::arguments();
    const bool answers = arguments.size() > 1 && arguments[1] == QStringLiteral("--answers");
    if (answers)
        arguments.removeAt(1);
    if (arguments.size() != 3)
        return 2;
    setUpApplication();
    MessageBox::setAnswerInAdvance(true);
    FileDialog::setAnswerInAdvance(true);
    FileDialog::queueAnswer(arguments[2]);
    MainWindow owner;
    // Timed from the running application, its window on screen: a list is opened from there.
    if (!showMainWindow(owner))
        return 1;
    return answers ? timeAnswers(owner, arguments[1]) : timeOpenAndSave(owner, arguments[1]);
}
