#pragma once

#include <QList>
#include <QMessageBox>
#include <QString>

class QWidget;

namespace zunova::windows {

// The program's message boxes: application-modal, titled "Zunova", a single OK button; each call
// returns once the user has closed the box.
//
// Tests may answer boxes in advance: while answering is on, a box is not shown but recorded and
// closed with OK at once, so a test reads back what would have been shown without a modal loop.
class MessageBox {
public:
    struct Shown {
        QMessageBox::Icon icon;
        QString title;
        QString text;
    };

    static void warning(QWidget* parent, const QString& text);
    static void error(QWidget* parent, const QString& text);

    static void setAnswerInAdvance(bool on);
    // What was shown since the last call, oldest first.
    static QList<Shown> takeShown();

private:
    static void show(QWidget* parent, QMessageBox::Icon icon, const QString& text);
};

} // namespace zunova::windows
