#include "programicon.h"

#include <QPixmap>

namespace zunova {
namespace {

// The picture itself: XPM is C, so it is compiled in and read without a file, a resource or a
// search through the image-format plugins.
#include "zunova.xpm"

} // namespace

QIcon programIcon() {
    return QIcon(QPixmap(zunova));
}

} // namespace zunova
