#include "support/tempworkdir.h"
#include "windows/form1.h"
#include "windows/form2.h"
#include "windows/layout.h"
#include "windows/messagebox.h"

#include <QAccessible>
#include <QApplication>
#include <QClipboard>
#include <QEventLoop>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QTimer>
#include <QtTest>

#include <functional>

using zunova::testing::TempWorkDir;
using zunova::windows::Form1;
using zunova::windows::Form2;
using zunova::windows::MessageBox;

namespace {

// What a modal box showed before it was closed.
struct SeenBox {
    QString title;
    QString text;
    QMessageBox::Icon icon = QMessageBox::NoIcon;
    int count = 0;
};

// Answers every modal box that opens while `action` runs: message boxes are recorded and
// closed with OK; any other modal window is handed to `onDialog` (which must close it).
SeenBox answerModals(const std::function<void()>& action,
                     const std::function<void(QWidget*)>& onDialog = {}) {
    SeenBox seen;
    QTimer timer;
    timer.setInterval(10);
    QObject::connect(&timer, &QTimer::timeout, [&] {
        QWidget* modal = QApplication::activeModalWidget();
        if (!modal)
            return;
        if (auto* box = qobject_cast<QMessageBox*>(modal)) {
            seen.title = box->windowTitle();
            seen.text = box->text();
            seen.icon = box->icon();
            ++seen.count;
            box->button(QMessageBox::Ok)->click();
        } else if (onDialog) {
            onDialog(modal);
        }
    });
    timer.start();
    action();
    return seen;
}

} // namespace

class WindowsTest : public QObject {
    Q_OBJECT

private:
    template <typename T> T* child(QWidget* parent, const char* name) {
        auto* w = parent->findChild<T*>(QString::fromLatin1(name));
        if (!w)
            qFatal("no control %s", name);
        return w;
    }

    std::unique_ptr<TempWorkDir> m_dir;
    std::unique_ptr<Form1> m_form;
    QLineEdit* m_text1 = nullptr;
    QLabel* m_label4 = nullptr;

private slots:
    void initTestCase() { zunova::windows::setUpApplication(); }

    void init() {
        MessageBox::setAnswerInAdvance(false);
        m_dir = std::make_unique<TempWorkDir>();
        m_dir->write("k.dat", "123,1,1,2,2,3,3,4,4,9,9\r\n");
        m_dir->write("p.dat", "123,1,1,2,2,3,3,9,9,0,0\r\n");
        m_form = std::make_unique<Form1>();
        m_form->show();
        QVERIFY(QTest::qWaitForWindowExposed(m_form.get()));
        m_text1 = child<QLineEdit>(m_form.get(), "Text1");
        m_label4 = child<QLabel>(m_form.get(), "Label4");
    }

    void cleanup() {
        MessageBox::setAnswerInAdvance(false);
        m_form.reset();
        m_dir.reset();
    }

    void mainWindowControls_data() {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("text");
        QTest::addColumn<QRect>("geometry");
        QTest::addColumn<QString>("family");
        QTest::addColumn<qreal>("points");
        // Pixels at 96 dpi: the designed twips divided by 15.
        const QString g = zunova::windows::kGothic;
        QTest::newRow("Label2") << "Label2" << QStringLiteral(u"数字のみで１１桁入力してください。")
                                << QRect(16, 8, 257, 17) << g << 11.25;
        QTest::newRow("Label1") << "Label1" << QStringLiteral(u"番  号") << QRect(24, 40, 65, 25)
                                << g << 14.25;
        QTest::newRow("Text1") << "Text1" << QString() << QRect(104, 40, 153, 28) << g << 14.25;
        QTest::newRow("Label3") << "Label3" << QStringLiteral(u"キャリア") << QRect(8, 80, 81, 25)
                                << g << 14.25;
        QTest::newRow("Label4") << "Label4" << QString() << QRect(112, 80, 161, 25) << g << 14.25;
        QTest::newRow("Command1") << "Command1" << QStringLiteral(u"調査") << QRect(8, 128, 81, 33)
                                  << g << 14.25;
        QTest::newRow("Command3") << "Command3" << QStringLiteral("Version")
                                  << QRect(104, 128, 81, 33) << zunova::windows::kPGothic << 14.25;
        QTest::newRow("Command2") << "Command2" << QStringLiteral(u"終了")
                                  << QRect(200, 128, 81, 33) << g << 14.25;
    }

    void mainWindowControls() {
        QFETCH(QString, name);
        QFETCH(QString, text);
        QFETCH(QRect, geometry);
        QFETCH(QString, family);
        QFETCH(qreal, points);
        auto* w = m_form->findChild<QWidget*>(name);
        QVERIFY(w);
        QCOMPARE(w->geometry(), geometry);
        QCOMPARE(w->font().family(), family);
        QCOMPARE(w->font().pointSizeF(), points);
        QCOMPARE(w->property("text").toString(), text);
    }

    void mainWindowFrameAndFocus() {
        QCOMPARE(m_form->windowTitle(), QStringLiteral("Zunova"));
        QCOMPARE(m_form->size(), QSize(293, 173));
        QCOMPARE(m_form->minimumSize(), m_form->maximumSize());
        QVERIFY(!(m_form->windowFlags() & Qt::WindowMinimizeButtonHint));
        QVERIFY(!(m_form->windowFlags() & Qt::WindowMaximizeButtonHint));
        QVERIFY(m_form->windowFlags() & Qt::WindowCloseButtonHint);
        QVERIFY(!m_form->windowIcon().isNull());
        QCOMPARE(child<QLabel>(m_form.get(), "Label2")->palette().color(QPalette::WindowText),
                 QColor(255, 0, 0));
        QCOMPARE(m_text1->maxLength(), 11);
        QCOMPARE(QApplication::focusWidget(), m_text1);
        // The focus cycle: Text1, 調査, Version, 終了, and round again.
        QStringList cycle;
        QWidget* w = m_text1;
        for (int i = 0; i < 5; ++i, w = w->nextInFocusChain()) {
            while (w->focusPolicy() == Qt::NoFocus)
                w = w->nextInFocusChain();
            cycle << w->objectName();
        }
        QCOMPARE(cycle, QStringList({"Text1", "Command1", "Command3", "Command2", "Text1"}));
        for (const char* name : {"Command1", "Command2", "Command3"}) {
            auto* b = child<QPushButton>(m_form.get(), name);
            QVERIFY(!b->isDefault() && !b->autoDefault());
        }
        QCOMPARE(m_label4->accessibleDescription(), QStringLiteral(u"キャリア"));
    }

    void screenReaderNames() {
        auto nameOf = [](QWidget* w) {
            return QAccessible::queryAccessibleInterface(w)->text(QAccessible::Name);
        };
        QCOMPARE(nameOf(m_text1), QStringLiteral(u"電話番号"));
        m_text1->setText(QStringLiteral("09012345678"));
        QTest::keyClick(m_text1, Qt::Key_Return);
        QCOMPARE(nameOf(m_label4), QStringLiteral("J-Phone")); // the result is what is read
        for (QWidget* w : m_form->findChildren<QWidget*>())
            QVERIFY2(!nameOf(w).isEmpty(), qPrintable(w->objectName()));
    }

    void entryHoldsElevenCharacters() {
        QTest::keyClicks(m_text1, "090123456789");
        QCOMPARE(m_text1->text(), QStringLiteral("09012345678"));
        m_text1->clear();
        QApplication::clipboard()->setText(QStringLiteral("0701234567890123"));
        m_text1->paste();
        QCOMPARE(m_text1->text(), QStringLiteral("07012345678"));
    }

    void enterAndClickAgree_data() {
        QTest::addColumn<int>("how"); // 0 click, 1 Return, 2 keypad Enter, 3 Ctrl+M
        QTest::newRow("click") << 0;
        QTest::newRow("Return") << 1;
        QTest::newRow("keypad Enter") << 2;
        QTest::newRow("Ctrl+M") << 3;
    }

    void enterAndClickAgree() {
        QFETCH(int, how);
        auto ask = [&] {
            switch (how) {
            case 0:
                QTest::mouseClick(child<QPushButton>(m_form.get(), "Command1"), Qt::LeftButton);
                break;
            case 1:
                QTest::keyClick(m_text1, Qt::Key_Return);
                break;
            case 2:
                QTest::keyClick(m_text1, Qt::Key_Enter, Qt::KeypadModifier);
                break;
            default:
                QTest::keyClick(m_text1, Qt::Key_M, Qt::ControlModifier);
            }
        };
        MessageBox::setAnswerInAdvance(true);
        QTest::keyClicks(m_text1, "09012345678");
        ask();
        QCOMPARE(MessageBox::takeShown().size(), 0);
        QCOMPARE(m_label4->text(), QStringLiteral("J-Phone"));
        QCOMPARE(m_text1->text(), QStringLiteral("09012345678"));

        m_text1->setText(QStringLiteral("07012305678"));
        ask();
        QCOMPARE(m_label4->text(), QStringLiteral(u"ドコモ"));

        // The length warning leaves both the entry and the result.
        m_text1->setText(QStringLiteral("0701230567"));
        ask();
        const auto shown = MessageBox::takeShown();
        QCOMPARE(shown.size(), 1);
        QCOMPARE(shown[0].text, QStringLiteral(u"１１桁で入力してください。"));
        QCOMPARE(shown[0].icon, QMessageBox::Warning);
        QCOMPARE(m_text1->text(), QStringLiteral("0701230567"));
        QCOMPARE(m_label4->text(), QStringLiteral(u"ドコモ"));
    }

    void warningBoxIsModalAndClearsAfterwards() {
        m_text1->setText(QStringLiteral("07012305678"));
        QTest::keyClick(m_text1, Qt::Key_Return);
        QCOMPARE(m_label4->text(), QStringLiteral(u"ドコモ"));

        // The prefix warning empties both, once the box is closed.
        m_text1->setText(QStringLiteral("08012345678"));
        QString labelWhileBoxOpen;
        const SeenBox seen = answerModals([&] {
            QTimer::singleShot(0, [&] { labelWhileBoxOpen = m_label4->text(); });
            QTest::keyClick(m_text1, Qt::Key_Return);
        });
        QCOMPARE(seen.count, 1);
        QCOMPARE(seen.title, QStringLiteral("Zunova"));
        QCOMPARE(seen.text, QStringLiteral(u"移動電話の番号ではありません。"));
        QCOMPARE(seen.icon, QMessageBox::Warning);
        QCOMPARE(labelWhileBoxOpen, QStringLiteral(u"ドコモ"));
        QCOMPARE(m_text1->text(), QString());
        QCOMPARE(m_label4->text(), QString());
    }

    void runTimeErrorIsReportedAndTheProgramGoesOn() {
        QTest::keyClicks(m_text1, "09012345678");
        QTest::keyClick(m_text1, Qt::Key_Return);
        QCOMPARE(m_label4->text(), QStringLiteral("J-Phone"));

        QVERIFY(QFile::remove(QDir(m_dir->path()).filePath("p.dat")));
        m_text1->setText(QStringLiteral("07012345678"));
        const SeenBox seen = answerModals([&] { QTest::keyClick(m_text1, Qt::Key_Return); });
        QCOMPARE(seen.count, 1);
        QCOMPARE(seen.icon, QMessageBox::Critical);
        QCOMPARE(seen.title, QStringLiteral("Zunova"));
        QCOMPARE(seen.text, QStringLiteral(u"実行時エラー '53':\n\nファイルが見つかりません。\n") +
                                QDir(m_dir->path()).canonicalPath() + QStringLiteral("/p.dat"));
        QCOMPARE(m_label4->text(), QString());
        QCOMPARE(m_text1->text(), QStringLiteral("07012345678"));

        // A typo in the block is reported the same way; 090 numbers keep working.
        MessageBox::setAnswerInAdvance(true);
        m_text1->setText(QStringLiteral("0901A345678"));
        QTest::keyClick(m_text1, Qt::Key_Return);
        const auto shown = MessageBox::takeShown();
        QCOMPARE(shown.size(), 1);
        QCOMPARE(shown[0].text, QStringLiteral(u"実行時エラー '13':\n\n型が一致しません。"));
        m_text1->setText(QStringLiteral("09012305678"));
        QTest::keyClick(m_text1, Qt::Key_Return);
        QCOMPARE(m_label4->text(), QStringLiteral(u"ＮＴＴドコモ"));
        QVERIFY(m_form->isVisible());
    }

    void versionDialogTwice() {
        auto* version = child<QPushButton>(m_form.get(), "Command3");
        for (int round = 0; round < 2; ++round) {
            QString label3;
            QString title;
            bool mainBlocked = false;
            answerModals([&] { QTest::mouseClick(version, Qt::LeftButton); },
                         [&](QWidget* dialog) {
                             auto* form2 = qobject_cast<Form2*>(dialog);
                             QVERIFY(form2);
                             label3 = child<QLabel>(form2, "Label3")->text();
                             title = form2->windowTitle();
                             mainBlocked = QApplication::activeModalWidget() == form2 &&
                                           form2->windowModality() == Qt::ApplicationModal;
                             QTest::mouseClick(child<QPushButton>(form2, "Command1"),
                                               Qt::LeftButton);
                         });
            QCOMPARE(label3, QStringLiteral(u"ﾊﾞｰｼﾞｮﾝ 1.4"));
            QCOMPARE(title, QStringLiteral(u"バージョン情報"));
            QVERIFY(mainBlocked);
            for (QWidget* w : QApplication::topLevelWidgets())
                QVERIFY2(!qobject_cast<Form2*>(w), "the dialog outlived its closing");
        }
    }

    void versionDialogLayout() {
        Form2 dialog;
        QCOMPARE(dialog.size(), QSize(263, 160));
        QCOMPARE(dialog.palette().color(QPalette::Window), QColor(Qt::white));
        QVERIFY(!(dialog.windowFlags() & Qt::WindowMinimizeButtonHint));
        QVERIFY(!(dialog.windowFlags() & Qt::WindowMaximizeButtonHint));
        QVERIFY(dialog.windowFlags() & Qt::WindowCloseButtonHint);
        QCOMPARE(child<QLabel>(&dialog, "Label1")->text(), QStringLiteral("Zunova"));
        QCOMPARE(child<QLabel>(&dialog, "Label1")->palette().color(QPalette::WindowText),
                 QColor(0, 0, 255));
        QCOMPARE(child<QLabel>(&dialog, "Label1")->font().pointSizeF(), 24.0);
        QCOMPARE(child<QWidget>(&dialog, "Line1")->geometry(), QRect(0, 88, 264, 1));
        QCOMPARE(child<QWidget>(&dialog, "Line1")->palette().color(QPalette::Window),
                 QColor(0, 128, 128));
        QCOMPARE(child<QLabel>(&dialog, "picIcon")->geometry(), QRect(16, 16, 52, 52));
        QVERIFY(!child<QLabel>(&dialog, "picIcon")->pixmap().isNull());
        QCOMPARE(child<QPushButton>(&dialog, "Command1")->text(), QStringLiteral(u"戻る"));
        QVERIFY(child<QLabel>(&dialog, "Label2")->text().contains(QString::fromLatin1(qVersion())));
        QCOMPARE(Form2::versionText(1, 10), QStringLiteral(u"ﾊﾞｰｼﾞｮﾝ 1.10"));
    }

    void versionDialogClosesFromItsFrame() {
        Form2 dialog;
        QTimer::singleShot(0, &dialog, &QWidget::close);
        QCOMPARE(dialog.exec(), int(QDialog::Rejected));
        QVERIFY(!dialog.isVisible());
    }

    void quitEndsTheEventLoop() {
        m_label4->setText(QStringLiteral("J-Phone"));
        QEventLoop loop;
        QTimer::singleShot(0, [&] {
            QTest::mouseClick(child<QPushButton>(m_form.get(), "Command2"), Qt::LeftButton);
        });
        QTimer::singleShot(5000, [&] { loop.exit(1); }); // a guard, should the click not quit
        QCOMPARE(loop.exec(), 0);
        QCOMPARE(QApplication::activeModalWidget(), nullptr); // nothing was asked
    }
};

QTEST_MAIN(WindowsTest)
#include "windows_test.moc"
