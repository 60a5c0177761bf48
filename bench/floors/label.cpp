// Floor for `zunova` showing its window: a Qt Widgets application whose window, the main
// window's size, shows one Japanese label.
#include <QApplication>
#include <QLabel>

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    QLabel label(QStringLiteral(u"携帯電話のキャリア"));
    label.resize(293, 173);
    label.show();
    return QApplication::exec();
}
