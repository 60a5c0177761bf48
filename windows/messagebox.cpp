#include "messagebox.h"

namespace zunova::windows {
namespace {

bool g_answerInAdvance = false;
QList<MessageBox::Shown> g_shown;

} // namespace

void MessageBox::warning(QWidget* parent, const QString& text) {
    show(parent, QMessageBox::Warning, text);
}

void MessageBox::error(QWidget* parent, const QString& text) {
    show(parent, QMessageBox::Critical, text);
}

void MessageBox::setAnswerInAdvance(bool on) {
    g_answerInAdvance = on;
    g_shown.clear();
}

QList<MessageBox::Shown> MessageBox::takeShown() {
    return std::exchange(g_shown, {});
}

void MessageBox::show(QWidget* parent, QMessageBox::Icon icon, const QString& text) {
    const QString title = QStringLiteral("Zunova");
    if (g_answerInAdvance) {
        g_shown.append({icon, title, text});
        return;
    }
    QMessageBox box(icon, title, text, QMessageBox::Ok, parent);
    box.setWindowModality(Qt::ApplicationModal);
    box.exec();
}

} // namespace zunova::windows
