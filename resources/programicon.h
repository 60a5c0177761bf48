#pragma once

#include <QIcon>

namespace zunova {

// The program icon, used by both windows and the version dialog's picture.
QIcon programIcon();

} // namespace zunova
