#pragma once

#include <QDialog>

namespace zunova::windows {

// The version dialog.
class Form2 : public QDialog {
    Q_OBJECT

public:
    explicit Form2(QWidget* parent = nullptr);

    // "ﾊﾞｰｼﾞｮﾝ " followed by major.minor in plain decimal.
    static QString versionText(int major, int minor);

protected:
    void showEvent(QShowEvent* event) override;
};

} // namespace zunova::windows
