#include "console/commandline.h"
#include "windows/layout.h"
#include "windows/mainwindow.h"

#include "zunova/version.h"

#include <QApplication>

int main(int argc, char* argv[]) {
    const zunova::console::ClosedStreams closed = zunova::console::reopenClosedStandardStreams();
    // Any argument means the command line, which must work without a display.
    if (argc > 1) {
        QCoreApplication app(argc, argv);
        return zunova::console::run(argc, argv, closed);
    }

    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Zunova"));
    QApplication::setApplicationVersion(QString::fromLatin1(zunova::kVersionString));
    zunova::windows::setUpApplication();

    zunova::windows::MainWindow window;
    window.show();
    return QApplication::exec();
}
