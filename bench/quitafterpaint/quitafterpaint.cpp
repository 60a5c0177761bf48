// A Qt generic plugin that ends the application once its first window has been painted, so a
// window's whole start (loading, first paint, shut-down) can be timed as a process. Loaded by
// any Qt GUI program started with QT_QPA_GENERIC_PLUGINS=quitafterpaint and this folder's
// parent in QT_PLUGIN_PATH: the program measured and its floor pay for it alike, and the
// program itself carries nothing for the benchmark.
#include <QCoreApplication>
#include <QEvent>
#include <QGenericPlugin>

namespace {

class QuitAfterFirstPaint : public QObject {
public:
    QuitAfterFirstPaint() { QCoreApplication::instance()->installEventFilter(this); }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::Paint) {
            QCoreApplication::instance()->removeEventFilter(this);
            // Queued: the paint under way, and the others of the same update, finish first.
            QMetaObject::invokeMethod(QCoreApplication::instance(), &QCoreApplication::quit,
                                      Qt::QueuedConnection);
        }
        return QObject::eventFilter(watched, event);
    }
};

} // namespace

class QuitAfterPaintPlugin : public QGenericPlugin {
    Q_OBJECT
    Q_PLUGIN_METADATA(IID QGenericPluginFactoryInterface_iid FILE "quitafterpaint.json")

public:
    // The application owns what a generic plugin creates and deletes it as it ends.
    QObject* create(const QString&, const QString&) override { return new QuitAfterFirstPaint; }
};

#include "quitafterpaint.moc"
