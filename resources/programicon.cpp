#include "programicon.h"

namespace zunova {

QIcon programIcon() {
    return QIcon(QStringLiteral(":/zunova.xpm"));
}

} // namespace zunova
