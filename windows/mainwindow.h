#pragma once

#include "lookup/recordsource.h"

#include <QWidget>

class QLabel;

namespace zunova::runtime {
class RuntimeError;
}

namespace zunova::windows {

class NumberField;

// The error box's text: the report, with an open failure's full path and a plain word on what
// to do where the user can act on it.
QString errorBoxText(const runtime::RuntimeError& error);

// The main window: the number field, the carrier label and the three buttons. A query reads the
// data file afresh each time, so a changed file is seen at once.
class MainWindow : public QWidget {
    Q_OBJECT

public:
    explicit MainWindow(QWidget* parent = nullptr);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dropEvent(QDropEvent* event) override;

private slots:
    void query();
    void clearResult();
    void endProgram();
    void showVersion();
    void openListFile();
    void openFiles(const QStringList& paths);
    void openText(const QString& text);

private:
    NumberField* m_numberField;
    QLabel* m_carrierLabel;
    lookup::FileScan m_records;
    bool m_centred = false;
};

} // namespace zunova::windows
