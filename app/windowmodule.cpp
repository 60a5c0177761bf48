#include "windowmodule.h"

#include "windows/layout.h"
#include "windows/mainwindow.h"

#include "zunova/version.h"

#include <QApplication>

extern "C" int zunova_run_window(int* argc, char** argv) {
    QApplication app(*argc, argv);
    QApplication::setApplicationName(QStringLiteral("Zunova"));
    QApplication::setApplicationVersion(QString::fromLatin1(zunova::kVersionString));
    zunova::windows::setUpApplication();

    zunova::windows::MainWindow window;
    window.show();
    return QApplication::exec();
}
