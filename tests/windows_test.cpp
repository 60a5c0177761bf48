#include "support/tempworkdir.h"
#include "windows/form1.h"
#include "windows/form2.h"
#include "windows/layout.h"
#include "windows/messagebox.h"

#include <QAccessible>
#include <QApplication>
#include <QClipboard>
#include <QDialog>
#include <QEventLoop>
#include <QFontDatabase>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMessageBox>
#include <QMimeData>
#include <QPushButton>
#include <QTimer>
#include <QtTest>

#include <functional>

using zunova::testing::TempWorkDir;
using zunova::windows::Form1;
using zunova::windows::Form2;
using zunova::windows::MessageBox;

const QString kWhereDataFilesAre =
    QStringLiteral(u"\n\nデータファイルは、このプログラムを起動したフォルダーから読み込みます。");
const QString kDigitsOnly =
    QStringLiteral(u"\n\n電話番号の４桁目から７桁目には数字を入力してください。");

namespace {

// What a modal box showed before it was closed.
struct SeenBox {
    QString title;
    QString text;
    QMessageBox::Icon icon = QMessageBox::NoIcon;
    int count = 0;
    bool allModal = true; // every box blocked the rest of the application
};

// The box or dialog now open: the active modal widget, or else any visible dialog, so a
// window that forgot to be modal is still answered (and seen as such) instead of hanging.
QWidget* openDialog() {
    if (QWidget* modal = QApplication::activeModalWidget())
        return modal;
    for (QWidget* w : QApplication::topLevelWidgets())
        if (qobject_cast<QDialog*>(w) && w->isVisible())
            return w;
    return nullptr;
}

// Answers every box that opens while `action` runs: message boxes are recorded and closed
// with OK; any other dialog is handed to `onDialog` (which must close it).
SeenBox answerModals(const std::function<void()>& action,
                     const std::function<void(QWidget*)>& onDialog = {}) {
    SeenBox seen;
    QTimer timer;
    timer.setInterval(10);
    QObject::connect(&timer, &QTimer::timeout, [&] {
        QWidget* dialog = openDialog();
        if (!dialog)
            return;
        if (auto* box = qobject_cast<QMessageBox*>(dialog)) {
            seen.title = box->windowTitle();
            seen.text = box->text();
            seen.icon = box->icon();
            ++seen.count;
            seen.allModal = seen.allModal && QApplication::activeModalWidget() == box &&
                            box->windowModality() == Qt::ApplicationModal;
            box->button(QMessageBox::Ok)->click();
        } else if (onDialog) {
            onDialog(dialog);
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
        // The focus cycle, with real Tab presses: Text1, 調査, Version, 終了, and round again.
        QStringList cycle{QApplication::focusWidget()->objectName()};
        for (int i = 0; i < 4; ++i) {
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
            cycle << QApplication::focusWidget()->objectName();
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
        // Typing is not filtered: separators and letters go in as typed.
        m_text1->clear();
        QTest::keyClicks(m_text1, "090-12 ab");
        QCOMPARE(m_text1->text(), QStringLiteral("090-12 ab"));
    }

    void pasteInsertsTheNumbersDigits_data() {
        QTest::addColumn<QString>("before");
        QTest::addColumn<QString>("pasted");
        QTest::addColumn<QString>("after");
        QTest::newRow("hyphens") << ""
                                 << "090-3001-2345"
                                 << "09030012345";
        QTest::newRow("spaces") << ""
                                << "070 1220 5678"
                                << "07012205678";
        QTest::newRow("full-width digits, ideographic space")
            << "" << QStringLiteral(u"０９０\u3000３００１\u3000２３４５") << "09030012345";
        QTest::newRow("parentheses and dots") << ""
                                              << "(090) 3001.2345"
                                              << "09030012345";
        QTest::newRow("full-width parentheses, long-vowel mark")
            << "" << QStringLiteral(u"（０９０）３００１ー２３４５") << "09030012345";
        QTest::newRow("U+2010 hyphens") << "" << QStringLiteral(u"090‐3001‐2345") << "09030012345";
        QTest::newRow("dashes and minus signs")
            << "" << QStringLiteral(u"090–3001—23−4５") << "09030012345";
        QTest::newRow("letters go in unchanged") << ""
                                                 << "tel 090-3001"
                                                 << "tel 090-300";
        QTest::newRow("fourteen digits cut to eleven") << ""
                                                       << "09030012345678"
                                                       << "09030012345";
        QTest::newRow("only what fits") << "0903"
                                        << "001-2345-678"
                                        << "09030012345";
        QTest::newRow("never half a character")
            << "" << QStringLiteral(u"0901234567😀") << "0901234567";
    }

    // A real clipboard, a real Ctrl+V.
    void pasteInsertsTheNumbersDigits() {
        QFETCH(QString, before);
        QFETCH(QString, pasted);
        QFETCH(QString, after);
        QTest::keyClicks(m_text1, before);
        QApplication::clipboard()->setText(pasted);
        QTest::keyClick(m_text1, Qt::Key_V, Qt::ControlModifier);
        QCOMPARE(m_text1->text(), after);
    }

    void everyWayOfPastingCounts_data() {
        QTest::addColumn<QString>("how");
        for (const char* how : {"Shift+Insert", "context menu", "drop", "middle click"})
            QTest::newRow(how) << QString::fromLatin1(how);
    }

    void everyWayOfPastingCounts() {
        QFETCH(QString, how);
        const QString number = QStringLiteral("090-3001-2345");
        if (how == "Shift+Insert") {
            QApplication::clipboard()->setText(number);
            QTest::keyClick(m_text1, Qt::Key_Insert, Qt::ShiftModifier);
        } else if (how == "context menu") {
            QApplication::clipboard()->setText(number);
            QContextMenuEvent event(QContextMenuEvent::Mouse, QPoint(5, 5),
                                    m_text1->mapToGlobal(QPoint(5, 5)));
            QApplication::sendEvent(m_text1, &event);
            auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
            QVERIFY(menu);
            const auto actions = menu->actions();
            const auto paste = std::find_if(actions.begin(), actions.end(), [](QAction* a) {
                return a->text().startsWith(QStringLiteral("&Paste"));
            });
            QVERIFY(paste != actions.end());
            (*paste)->trigger();
            menu->close();
        } else if (how == "drop") {
            QMimeData data;
            data.setText(number);
            const QPoint at(5, m_text1->height() / 2);
            QDragEnterEvent enter(at, Qt::CopyAction, &data, Qt::LeftButton, {});
            QApplication::sendEvent(m_text1, &enter);
            QDropEvent drop(at, Qt::CopyAction, &data, Qt::LeftButton, {});
            QApplication::sendEvent(m_text1, &drop);
            QVERIFY(drop.isAccepted());
        } else {
            if (!QApplication::clipboard()->supportsSelection())
                QSKIP("this platform has no selection clipboard");
            QApplication::clipboard()->setText(number, QClipboard::Selection);
            QTest::mouseClick(m_text1, Qt::MiddleButton);
        }
        QCOMPARE(m_text1->text(), QStringLiteral("09030012345"));
    }

    void typingAsksForPlainDigits() {
        // What an input method is told: the box takes no composition and wants Latin digits.
        QInputMethodQueryEvent query(Qt::ImEnabled | Qt::ImHints);
        QApplication::sendEvent(m_text1, &query);
        QCOMPARE(query.value(Qt::ImEnabled).toBool(), false);
        const auto hints = Qt::InputMethodHints(query.value(Qt::ImHints).toInt());
        QVERIFY(hints.testFlag(Qt::ImhPreferNumbers));
        QVERIFY(hints.testFlag(Qt::ImhLatinOnly));
    }

    void editingAfterAResultClearsIt() {
        MessageBox::setAnswerInAdvance(true);
        QTest::keyClicks(m_text1, "09012345678");
        QTest::keyClick(m_text1, Qt::Key_Return);
        QCOMPARE(m_label4->text(), QStringLiteral("J-Phone"));
        // One character less: the carrier goes at once, and the length warning leaves it empty.
        QTest::keyClick(m_text1, Qt::Key_Backspace);
        QCOMPARE(m_label4->text(), QString());
        QTest::keyClick(m_text1, Qt::Key_Return);
        const auto shown = MessageBox::takeShown();
        QCOMPARE(shown.size(), 1);
        QCOMPARE(shown[0].text, QStringLiteral(u"１１桁で入力してください。"));
        QCOMPARE(m_label4->text(), QString());
        // Typing, pasting and cutting count as well.
        for (const auto& edit : std::initializer_list<std::function<void()>>{
                 [&] {
                     QTest::keyClick(m_text1, Qt::Key_Left, Qt::ShiftModifier);
                     QTest::keyClick(m_text1, Qt::Key_9);
                 },
                 [&] {
                     m_text1->selectAll();
                     QApplication::clipboard()->setText(QStringLiteral("090-1234-5670"));
                     QTest::keyClick(m_text1, Qt::Key_V, Qt::ControlModifier);
                 },
                 [&] {
                     m_text1->selectAll();
                     QTest::keyClick(m_text1, Qt::Key_X, Qt::ControlModifier);
                 }}) {
            m_text1->setText(QStringLiteral("09012345678"));
            QTest::keyClick(m_text1, Qt::Key_Return);
            QCOMPARE(m_label4->text(), QStringLiteral("J-Phone"));
            edit();
            QCOMPARE(m_label4->text(), QString());
        }
    }

    void resultCanBeCopied() {
        QTest::keyClicks(m_text1, "07012305678");
        QTest::keyClick(m_text1, Qt::Key_Return);
        QCOMPARE(m_label4->text(), QStringLiteral(u"ドコモ"));
        const int y = m_label4->height() / 2;
        QTest::mousePress(m_label4, Qt::LeftButton, {}, QPoint(1, y));
        QTest::mouseMove(m_label4, QPoint(m_label4->width() - 1, y));
        QTest::mouseRelease(m_label4, Qt::LeftButton, {}, QPoint(m_label4->width() - 1, y));
        QCOMPARE(m_label4->selectedText(), QStringLiteral(u"ドコモ"));
        QApplication::clipboard()->clear();
        QTest::keyClick(m_label4, Qt::Key_C, Qt::ControlModifier);
        QCOMPARE(QApplication::clipboard()->text(), QStringLiteral(u"ドコモ"));
        if (QApplication::clipboard()->supportsSelection())
            QCOMPARE(QApplication::clipboard()->text(QClipboard::Selection),
                     QStringLiteral(u"ドコモ"));
        QVERIFY(m_label4->toolTip().contains(QStringLiteral(u"番号ポータビリティ")));
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
        QVERIFY(seen.allModal);
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
        QVERIFY(seen.allModal);
        QCOMPARE(seen.icon, QMessageBox::Critical);
        QCOMPARE(seen.title, QStringLiteral("Zunova"));
        // The full path of the file that was looked for, and where data files are read from.
        QCOMPARE(seen.text, QStringLiteral(u"実行時エラー '53':\n\nファイルが見つかりません。\n") +
                                QDir(m_dir->path()).filePath("p.dat") + kWhereDataFilesAre);
        QCOMPARE(m_label4->text(), QString());
        QCOMPARE(m_text1->text(), QStringLiteral("07012345678"));

        // A typo in the block is reported the same way; 090 numbers keep working.
        MessageBox::setAnswerInAdvance(true);
        m_text1->setText(QStringLiteral("0901A345678"));
        QTest::keyClick(m_text1, Qt::Key_Return);
        const auto shown = MessageBox::takeShown();
        QCOMPARE(shown.size(), 1);
        QCOMPARE(shown[0].text,
                 QStringLiteral(u"実行時エラー '13':\n\n型が一致しません。") + kDigitsOnly);
        m_text1->setText(QStringLiteral("09012305678"));
        QTest::keyClick(m_text1, Qt::Key_Return);
        QCOMPARE(m_label4->text(), QStringLiteral(u"ＮＴＴドコモ"));
        QVERIFY(m_form->isVisible());
    }

    void errorBoxesSayWhatAndWhere_data() {
        QTest::addColumn<QString>("number");
        QTest::addColumn<QByteArray>("kdat");  // empty: a directory named k.dat
        QTest::addColumn<QString>("expected"); // %1: the data file's full path
        QTest::newRow("missing") << "07012345678" << QByteArray("1")
                                 << QStringLiteral(
                                        u"実行時エラー '53':\n\nファイルが見つかりません。\n%1") +
                                        kWhereDataFilesAre;
        QTest::newRow("a directory")
            << "09012345678" << QByteArray()
            << QStringLiteral(u"実行時エラー '75':\n\nパス名が無効です。\n%1") + kWhereDataFilesAre;
        QTest::newRow("not digits")
            << "0901 345678" << QByteArray("1")
            << QStringLiteral(u"実行時エラー '13':\n\n型が一致しません。") + kDigitsOnly;
        // A fault in the content names the file and line as before; the user cannot type it away.
        QTest::newRow("cut short")
            << "09077705678" << QByteArray("1,2,3")
            << QStringLiteral(
                   u"実行時エラー '62':\n\nファイルにこれ以上データがありません。\nk.dat: 1 行目");
    }

    void errorBoxesSayWhatAndWhere() {
        QFETCH(QString, number);
        QFETCH(QByteArray, kdat);
        QFETCH(QString, expected);
        QVERIFY(QFile::remove(QDir(m_dir->path()).filePath("p.dat")));
        QVERIFY(QFile::remove(QDir(m_dir->path()).filePath("k.dat")));
        if (kdat.isEmpty())
            QVERIFY(QDir(m_dir->path()).mkdir("k.dat"));
        else
            m_dir->write("k.dat", kdat);
        MessageBox::setAnswerInAdvance(true);
        m_text1->setText(number);
        QTest::keyClick(m_text1, Qt::Key_Return);
        const auto shown = MessageBox::takeShown();
        QCOMPARE(shown.size(), 1);
        QCOMPARE(shown[0].icon, QMessageBox::Critical);
        const QString file = number[1] == u'7' ? "p.dat" : "k.dat";
        QCOMPARE(shown[0].text, expected.contains("%1")
                                    ? expected.arg(QDir(m_dir->path()).filePath(file))
                                    : expected);
    }

    // While the version dialog or a box is open, a click and a key sent to the main window
    // through the window system change nothing.
    void mainWindowTakesNoInputWhileModal() {
        m_text1->setText(QStringLiteral("0901234567"));
        auto* command1 = child<QPushButton>(m_form.get(), "Command1");
        QWindow* window = m_form->windowHandle();
        QVERIFY(window);
        const QPoint onCommand1 = command1->mapTo(m_form.get(), command1->rect().center());
        // With nothing open, the same key does arrive.
        QTest::keyClick(window, Qt::Key_5);
        QCOMPARE(m_text1->text(), QStringLiteral("09012345675"));
        QTest::keyClick(window, Qt::Key_Backspace);
        int attempts = 0;
        auto tryInput = [&] {
            ++attempts;
            m_text1->setFocus(); // the key would reach Text1 if the window took it
            QTest::keyClick(window, Qt::Key_5);
            QTest::mouseClick(window, Qt::LeftButton, {}, onCommand1);
        };
        // The version dialog: found as a visible window, modal or not, so a dialog that failed
        // to block would fail here rather than hang. Input that got through may raise a box of
        // its own; that one is dismissed too, so the failure shows as a wrong text, not a hang.
        int dismissed = 0;
        QTimer dismisser;
        dismisser.setInterval(50);
        QObject::connect(&dismisser, &QTimer::timeout, [&] {
            for (QWidget* w : QApplication::topLevelWidgets())
                if (auto* box = qobject_cast<QMessageBox*>(w); box && box->isVisible()) {
                    ++dismissed;
                    box->reject();
                }
        });
        dismisser.start();
        QTimer timer;
        timer.setInterval(10);
        QObject::connect(&timer, &QTimer::timeout, [&] {
            for (QWidget* w : QApplication::topLevelWidgets()) {
                if (auto* form2 = qobject_cast<Form2*>(w); form2 && form2->isVisible()) {
                    timer.stop();
                    tryInput();
                    QTest::mouseClick(child<QPushButton>(form2, "Command1"), Qt::LeftButton);
                }
            }
        });
        timer.start();
        QTest::mouseClick(child<QPushButton>(m_form.get(), "Command3"), Qt::LeftButton);
        dismisser.stop();
        QCOMPARE(m_text1->text(), QStringLiteral("0901234567"));
        QCOMPARE(dismissed, 0); // the click on 調査 raised no box
        // A warning box: the length warning for the ten digits.
        bool triedUnderBox = false;
        const SeenBox seen = answerModals([&] {
            QTimer::singleShot(0, [&] {
                tryInput();
                triedUnderBox = true;
            });
            QTest::keyClick(m_text1, Qt::Key_Return);
        });
        QCOMPARE(attempts, 2);
        QVERIFY(triedUnderBox);
        QCOMPARE(seen.count, 1); // the click on 調査 did not ask again
        QCOMPARE(m_text1->text(), QStringLiteral("0901234567"));
    }

    void fontsResolveToAJapaneseGothic() {
        const QStringList gothics{"IPAGothic",        "IPAPGothic", "Noto Sans Mono CJK JP",
                                  "Noto Sans CJK JP", "VL Gothic",  "VL PGothic"};
        const QStringList installed = QFontDatabase::families();
        if (std::none_of(gothics.begin(), gothics.end(),
                         [&](const QString& f) { return installed.contains(f); }))
            QSKIP("no Japanese Gothic font is installed");
        for (const char* name : {"Label1", "Label2", "Text1", "Command1", "Command2", "Command3"}) {
            const QString family = QFontInfo(child<QWidget>(m_form.get(), name)->font()).family();
            QVERIFY2(gothics.contains(family),
                     qPrintable(QString::fromLatin1(name) + ": " + family));
        }
    }

    void versionDialogReadableUnderADarkPalette() {
        const QPalette original = QApplication::palette();
        QPalette dark = original;
        dark.setColor(QPalette::Window, QColor(30, 30, 30));
        dark.setColor(QPalette::WindowText, QColor(255, 255, 255));
        dark.setColor(QPalette::Text, QColor(255, 255, 255));
        QApplication::setPalette(dark);
        int inked = 0;
        {
            Form2 dialog;
            dialog.show();
            QVERIFY(QTest::qWaitForWindowExposed(&dialog));
            const QImage image = dialog.grab().toImage();
            // Label3 (the version) and Label4 (the notice) have no colour of their own.
            for (const char* name : {"Label3", "Label4"}) {
                const QRect r = child<QLabel>(&dialog, name)->geometry();
                for (int y = r.top(); y <= r.bottom(); ++y)
                    for (int x = r.left(); x <= r.right(); ++x)
                        inked += QColor(image.pixel(x, y)).lightness() < 128;
            }
            QCOMPARE(QColor(image.pixel(2, 2)), QColor(Qt::white));
        }
        QApplication::setPalette(original);
        QVERIFY2(inked > 20, qPrintable(QString::number(inked)));
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
