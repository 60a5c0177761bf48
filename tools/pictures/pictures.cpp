// A Qt generic plugin that takes the manual's pictures of the real program: loaded into `zunova`
// (QT_QPA_GENERIC_PLUGINS=zunovapictures, this build folder's plugins in QT_PLUGIN_PATH), it
// uses the windows as a user would, through their controls: types a number into the main
// window and presses 調査, grabs the window, drops a list file on it, waits for the list window
// to finish and grabs that too, then ends the program. The program itself carries nothing for
// it. tools/pictures.sh runs it; it reads what to do from the environment:
//   ZUNOVA_PICTURES_DIR     the folder the pictures are written to
//   ZUNOVA_PICTURES_NUMBER  the number to type
//   ZUNOVA_PICTURES_LIST    the list file to drop
// The program ends with status 1, and says why, when a picture cannot be taken.
#include <QApplication>
#include <QDir>
#include <QGenericPlugin>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QMimeData>
#include <QPointer>
#include <QPushButton>
#include <QTimer>
#include <QUrl>
#include <QWindow>

#include <cstdio>

namespace {

// Long enough for a slow machine, short enough that a hang fails the check.
constexpr int kTimeoutMs = 60'000;

QWidget* topLevel(const char* objectName) {
    for (QWidget* widget : QApplication::topLevelWidgets())
        if (widget->objectName() == QLatin1String(objectName) && widget->isVisible() &&
            widget->windowHandle() && widget->windowHandle()->isExposed())
            return widget;
    return nullptr;
}

class Photographer : public QObject {
    Q_OBJECT

public:
    Photographer() {
        m_out = QDir(qEnvironmentVariable("ZUNOVA_PICTURES_DIR"));
        m_number = qEnvironmentVariable("ZUNOVA_PICTURES_NUMBER");
        m_list = qEnvironmentVariable("ZUNOVA_PICTURES_LIST");
        auto* timeout = new QTimer(this);
        timeout->setSingleShot(true);
        connect(timeout, &QTimer::timeout, this,
                [this] { fail("the windows did not get there in time"); });
        timeout->start(kTimeoutMs);
        // A box would wait for a click that never comes.
        auto* boxes = new QTimer(this);
        connect(boxes, &QTimer::timeout, this, [this] {
            if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget()))
                fail(qPrintable(QStringLiteral("the program showed a box: ") + box->text()));
        });
        boxes->start(100);
        // Created with the application; its windows come once the event loop runs.
        QTimer::singleShot(0, this, &Photographer::waitForMainWindow);
    }

private slots:
    // The list window's work is done: it has its table.
    void listDone() {
        // After the layout its rows call for.
        QTimer::singleShot(0, this, [this] { photographList(); });
    }

private:
    // Says why once, and ends the program (every event loop it runs, a box's too).
    void fail(const char* why) {
        if (!m_failed)
            std::fprintf(stderr, "pictures: %s\n", why);
        m_failed = true;
        QCoreApplication::exit(1);
    }

    bool save(QWidget* window, const char* name) {
        const QString path = m_out.filePath(QString::fromLatin1(name));
        if (window->grab().save(path, "PNG"))
            return true;
        fail(qPrintable(QStringLiteral("cannot write ") + path));
        return false;
    }

    void waitForMainWindow() {
        QWidget* window = topLevel("Form1");
        if (!window) {
            QTimer::singleShot(10, this, &Photographer::waitForMainWindow);
            return;
        }
        auto* field = window->findChild<QLineEdit*>(QStringLiteral("Text1"));
        auto* query = window->findChild<QPushButton*>(QStringLiteral("Command1"));
        auto* carrier = window->findChild<QLabel*>(QStringLiteral("Label4"));
        if (!field || !query || !carrier)
            return fail("the main window has no Text1, Command1 or Label4");
        field->setFocus();
        for (const QChar c : m_number) {
            QKeyEvent press(QEvent::KeyPress, Qt::Key_unknown, Qt::NoModifier, QString(c));
            QCoreApplication::sendEvent(field, &press);
            QKeyEvent release(QEvent::KeyRelease, Qt::Key_unknown, Qt::NoModifier, QString(c));
            QCoreApplication::sendEvent(field, &release);
        }
        query->click();
        if (field->text() != m_number || carrier->text().isEmpty())
            return fail("the number typed got no carrier");
        if (!save(window, "main-window.png"))
            return;

        // Dropped as a file manager drops a file.
        QMimeData data;
        data.setUrls({QUrl::fromLocalFile(QDir::current().absoluteFilePath(m_list))});
        const QPointF at(window->width() / 2.0, window->height() / 2.0);
        QDragEnterEvent enter(at.toPoint(), Qt::CopyAction, &data, Qt::LeftButton, {});
        QCoreApplication::sendEvent(window, &enter);
        QDropEvent drop(at, Qt::CopyAction, &data, Qt::LeftButton, {});
        QCoreApplication::sendEvent(window, &drop);
        if (!drop.isAccepted())
            return fail("the main window took no list file");
        // The list window reads on a worker thread and says when it is done.
        QWidget* list = nullptr;
        for (QWidget* widget : QApplication::topLevelWidgets())
            if (widget->objectName() == QLatin1String("ListWindow"))
                list = widget;
        if (!list || !connect(list, SIGNAL(workDone()), this, SLOT(listDone())))
            return fail("no list window opened");
        m_listWindow = list;
    }

    void photographList() {
        if (!m_listWindow || !m_listWindow->isVisible())
            return fail("the list window closed");
        if (!m_listWindow->windowHandle() || !m_listWindow->windowHandle()->isExposed()) {
            QTimer::singleShot(10, this, [this] { photographList(); });
            return;
        }
        if (save(m_listWindow, "list-window.png") && !m_failed)
            QCoreApplication::exit(0);
    }

    QDir m_out;
    QString m_number;
    QString m_list;
    QPointer<QWidget> m_listWindow;
    bool m_failed = false;
};

} // namespace

class PicturesPlugin : public QGenericPlugin {
    Q_OBJECT
    Q_PLUGIN_METADATA(IID QGenericPluginFactoryInterface_iid FILE "pictures.json")

public:
    // The application owns what a generic plugin creates and deletes it as it ends.
    QObject* create(const QString&, const QString&) override { return new Photographer; }
};

#include "pictures.moc"
