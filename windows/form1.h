#pragma once

#include "lookup/carrierlookup.h"
#include "lookup/windowops.h"

#include <QWidget>

class QLabel;
class QPushButton;

namespace zunova::runtime {
class RuntimeError;
}

namespace zunova::windows {

class NumberEdit;

// The error box's text: the report, with an open failure's full path and a plain word on what
// to do where the user can act on it.
QString errorBoxText(const runtime::RuntimeError& error);

// The main window: the number entry, the result label and the three buttons. It owns the
// carrier lookup and gives it the four window operations it may use.
class Form1 : public QWidget, public lookup::WindowOps {
    Q_OBJECT

public:
    explicit Form1(QWidget* parent = nullptr);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void showEvent(QShowEvent* event) override;

private slots:
    void query();
    void clearResult();
    void endProgram();
    void showVersion();

private:
    // The query's window operations; it reaches them through WindowOps& only.
    QString text1Text() const override;
    void setText1Text(const QString& text) override;
    void setLabel4Caption(const QString& caption) override;
    void showWarning(const QString& text) override;

    NumberEdit* m_text1;
    QLabel* m_label4;
    lookup::CarrierLookup m_lookup{*this};
    bool m_centred = false;
};

} // namespace zunova::windows
