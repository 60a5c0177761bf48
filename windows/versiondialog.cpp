#include "versiondialog.h"

#include "layout.h"

#include "resources/programicon.h"
#include "zunova/version.h"

#include <QLabel>
#include <QPushButton>

namespace zunova::windows {

VersionDialog::VersionDialog(QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                          Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint) {
    setObjectName(QStringLiteral("Form2"));
    setWindowTitle(QStringLiteral(u"バージョン情報"));
    setWindowModality(Qt::ApplicationModal);
    resize(fromTwips(3945), fromTwips(2400));
    // White with its own text colours, so a dark desktop palette never puts white text on it.
    QPalette white = palette();
    white.setColor(QPalette::Window, Qt::white);
    white.setColor(QPalette::WindowText, Qt::black);
    setPalette(white);
    setAutoFillBackground(true);

    auto* icon = new QLabel(this);
    place(icon, "picIcon", twipsRect(240, 240, 780, 780));
    icon->setPixmap(programIcon().pixmap(48, 48));
    icon->setAlignment(Qt::AlignCenter);
    icon->setAccessibleName(QStringLiteral("Zunova"));

    auto* title = new QLabel(QStringLiteral("Zunova"), this);
    place(title, "Label1", twipsRect(1560, 240, 2055, 495), designFont(kGothic, 24));
    setTextColor(title, QColor(0, 0, 255));

    // Written at load: the dialog is built for every showing.
    auto* version = new QLabel(versionText(kVersionMajor, kVersionMinor), this);
    place(version, "Label3", twipsRect(1320, 720, 2175, 375), designFont(kGothic, 12));

    auto* separator = new QWidget(this);
    // From (0, 1320) to (3960, 1320): one pixel past the right edge, as designed.
    place(separator, "Line1", twipsRect(0, 1320, 3960, 15));
    QPalette teal = separator->palette();
    teal.setColor(QPalette::Window, QColor(0, 128, 128));
    separator->setPalette(teal);
    separator->setAutoFillBackground(true);

    auto* notice = new QLabel(QStringLiteral(u"© %1 Zunova").arg(kCopyrightYear), this);
    place(notice, "Label4", twipsRect(120, 1440, 2535, 255), designFont(kGothic, 14.25));

    auto* backButton = new QPushButton(QStringLiteral(u"戻る"), this);
    place(backButton, "Command1", twipsRect(2880, 1440, 975, 375), designFont(kGothic, 12));

    auto* address = new QLabel(QString::fromLatin1(kHomepage), this);
    place(address, "Label5", twipsRect(120, 1800, 2655, 255));
    address->setTextFormat(Qt::PlainText);

    auto* credit = new QLabel(
        QStringLiteral(u"Qt %1 で作られています").arg(QString::fromLatin1(qVersion())), this);
    place(credit, "Label2", twipsRect(120, 2040, 3615, 255));

    backButton->setFocus();

    connect(backButton, &QPushButton::clicked, this, &QDialog::accept);
}

QString VersionDialog::versionText(int major, int minor) {
    return QStringLiteral(u"ﾊﾞｰｼﾞｮﾝ ") + QString::number(major) + u'.' + QString::number(minor);
}

void VersionDialog::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    centreOnScreen(this);
}

} // namespace zunova::windows
