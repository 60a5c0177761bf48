#pragma once

#include <QString>

namespace zunova::lookup {

// Everything the query may do to the main window.
class WindowOps {
public:
    virtual ~WindowOps() = default;

    virtual QString text1Text() const = 0;
    virtual void setText1Text(const QString& text) = 0;
    virtual void setLabel4Caption(const QString& caption) = 0;
    // Modal: returns once the user has closed the box.
    virtual void showWarning(const QString& text) = 0;
};

} // namespace zunova::lookup
