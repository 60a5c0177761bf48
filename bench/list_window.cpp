// The list window as a whole process, for tools/bench-list.sh: starts the application's main
// window, opens the list in FILE from it as Ctrl+O does once a file is chosen, waits until its
// table is there, saves it as OUT through the file dialog's seam and ends. Exit 0 when both went
// through.
// Usage: list_window FILE OUT (in the folder that holds k.dat and p.dat)
#include "windows/filedialog.h"
#include "windows/layout.h"
#include "windows/listmodel.h"
#include "windows/listwindow.h"
#include "windows/mainwindow.h"
#include "windows/messagebox.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QWindow>

#include <cstdio>

using namespace zunova::windows;

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    const QStringList arguments = QApplication::arguments();
    if (arguments.size() != 3)
        return 2;
    setUpApplication();
    MessageBox::setAnswerInAdvance(true);
    FileDialog::setAnswerInAdvance(true);
    FileDialog::queueAnswer(arguments[2]);
    MainWindow owner;
    owner.show();
    // Timed from the running application, its window on screen: a list is opened from there.
    QElapsedTimer starting;
    starting.start();
    while (!owner.windowHandle() || !owner.windowHandle()->isExposed()) {
        if (starting.hasExpired(10000))
            return 1;
        QApplication::processEvents();
    }
    QApplication::processEvents();
    QElapsedTimer opened;
    opened.start();
    ListWindow* window = ListWindow::openFile(arguments[1], &owner);
    int done = 0;
    qint64 shown = 0;
    QObject::connect(window, &ListWindow::workDone, [&] {
        if (++done == 1 && window->model()->rowCount() > 0) {
            shown = opened.elapsed();
            QMetaObject::invokeMethod(window->findChild<QWidget*>(QStringLiteral("save")), "click");
        } else {
            const bool saved = MessageBox::takeShown().isEmpty() && done == 2;
            // From opening the list to its saved copy, the application's own start left out;
            // only for a list that was shown and saved.
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
