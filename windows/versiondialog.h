#pragma once

#include <QDialog>

namespace zunova::windows {

// The version dialog: the program's name, icon, version, notice and address.
class VersionDialog : public QDialog {
    Q_OBJECT

public:
    explicit VersionDialog(QWidget* parent = nullptr);

    // "ﾊﾞｰｼﾞｮﾝ " followed by major.minor in plain decimal.
    static QString versionText(int major, int minor);

protected:
    void showEvent(QShowEvent* event) override;
};

} // namespace zunova::windows
