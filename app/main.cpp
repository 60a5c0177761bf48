#include "windows/form1.h"
#include "windows/layout.h"

#include "programicon.h"
#include "zunova/version.h"

#include <QApplication>

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Zunova"));
    QApplication::setApplicationVersion(QString::fromLatin1(zunova::kVersionString));
    QApplication::setWindowIcon(zunova::programIcon());
    zunova::windows::installFontSubstitutions();

    zunova::windows::Form1 form1;
    form1.show();
    return QApplication::exec();
}
