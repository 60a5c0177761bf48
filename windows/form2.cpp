#include "form2.h"

#include "layout.h"

#include "resources/programicon.h"
#include "zunova/version.h"

#include <QLabel>
#include <QPushButton>

namespace zunova::windows {

Form2::Form2(QWidget* parent)
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

    auto* picIcon = new QLabel(this);
    place(picIcon, "picIcon", twipsRect(240, 240, 780, 780));
    picIcon->setPixmap(programIcon().pixmap(48, 48));
    picIcon->setAlignment(Qt::AlignCenter);
    picIcon->setAccessibleName(QStringLiteral("Zunova"));

    auto* label1 = new QLabel(QStringLiteral("Zunova"), this);
    place(label1, "Label1", twipsRect(1560, 240, 2055, 495), designFont(kGothic, 24));
    setTextColor(label1, QColor(0, 0, 255));

    // Written at load: the dialog is built for every showing.
    auto* label3 = new QLabel(versionText(kVersionMajor, kVersionMinor), this);
    place(label3, "Label3", twipsRect(1320, 720, 2175, 375), designFont(kGothic, 12));

    auto* line1 = new QWidget(this);
    // From (0, 1320) to (3960, 1320): one pixel past the right edge, as designed.
    place(line1, "Line1", twipsRect(0, 1320, 3960, 15));
    QPalette teal = line1->palette();
    teal.setColor(QPalette::Window, QColor(0, 128, 128));
    line1->setPalette(teal);
    line1->setAutoFillBackground(true);

    auto* label4 = new QLabel(QStringLiteral(u"© 2026 Zunova"), this);
    place(label4, "Label4", twipsRect(120, 1440, 2535, 255), designFont(kGothic, 14.25));

    auto* command1 = new QPushButton(QStringLiteral(u"戻る"), this);
    place(command1, "Command1", twipsRect(2880, 1440, 975, 375), designFont(kGothic, 12));

    auto* label5 = new QLabel(QStringLiteral("https://zunova.example.org/"), this);
    place(label5, "Label5", twipsRect(120, 1800, 2655, 255));
    label5->setTextFormat(Qt::PlainText);

    auto* label2 =
        new QLabel(QStringLiteral("Built with Qt %1").arg(QString::fromLatin1(qVersion())), this);
    place(label2, "Label2", twipsRect(120, 2040, 3615, 255));

    command1->setFocus();

    connect(command1, &QPushButton::clicked, this, &QDialog::accept);
}

QString Form2::versionText(int major, int minor) {
    return QStringLiteral(u"ﾊﾞｰｼﾞｮﾝ ") + QString::number(major) + u'.' + QString::number(minor);
}

void Form2::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    centreOnScreen(this);
}

} // namespace zunova::windows
