#include "messagebox.h"

#include "runtimeerror.h"

#include <QMessageBox>

namespace zunova::runtime::MessageBox {
namespace {

void show(QWidget* parent, QMessageBox::Icon icon, const QString& text) {
    QMessageBox box(icon, QStringLiteral("Zunova"), text, QMessageBox::Ok, parent);
    box.setWindowModality(Qt::ApplicationModal);
    box.exec();
}

} // namespace

void warning(QWidget* parent, const QString& text) {
    show(parent, QMessageBox::Warning, text);
}

void runtimeError(QWidget* parent, const RuntimeError& error) {
    show(parent, QMessageBox::Critical, error.report());
}

} // namespace zunova::runtime::MessageBox
