#pragma once

#include <QString>

class QWidget;

namespace zunova::runtime {

class RuntimeError;

// The program's two kinds of message box. Both are application-modal, titled "Zunova", have a
// single OK button and return once the user has closed them.
namespace MessageBox {

void warning(QWidget* parent, const QString& text);
void runtimeError(QWidget* parent, const RuntimeError& error);

} // namespace MessageBox

} // namespace zunova::runtime
