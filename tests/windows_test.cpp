#include "support/tempworkdir.h"
#include "support/workbookparts.h"
#include "textlist/textcodec.h"
#include "windows/filedialog.h"
#include "windows/itemslabel.h"
#include "windows/layout.h"
#include "windows/listmodel.h"
#include "windows/listwindow.h"
#include "windows/mainwindow.h"
#include "windows/messagebox.h"
#include "windows/versiondialog.h"

#include <QAccessible>
#include <QApplication>
#include <QClipboard>
#include <QComboBox>
#include <QDeadlineTimer>
#include <QDialog>
#include <QEventLoop>
#include <QFileDialog>
#include <QFontDatabase>
#include <QLabel>
#include <QLibraryInfo>
#include <QLineEdit>
#include <QMenu>
#include <QMessageBox>
#include <QMimeData>
#include <QPushButton>
#include <QTableView>
#include <QTimer>
#include <QTreeView>
#include <QtTest>

#include <functional>

#include <csignal>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

using zunova::testing::TempWorkDir;
using zunova::windows::FileDialog;
using zunova::windows::ItemsLabel;
using zunova::windows::ListWindow;
using zunova::windows::MainWindow;
using zunova::windows::MessageBox;
using zunova::windows::VersionDialog;

const QString kWhereDataFilesAre =
    QStringLiteral(u"\n\nデータファイルは、このプログラムを起動したフォルダーから読み込みます。");
const QString kDigitsOnly =
    QStringLiteral(u"\n\n電話番号の４桁目から７桁目には数字を入力してください。");

namespace {

// How long a test waits for the state it needs before it fails: long enough that only a hang runs
// out, however busy the machine. A test checks what happens, never how fast.
constexpr int kHang = 300'000;

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

// Answers every box that opens while `action` runs. Each dialog found open is first handed to
// `onDialog` (which must close a dialog that is not a message box); message boxes are then
// recorded and closed with OK.
SeenBox answerModals(const std::function<void()>& action,
                     const std::function<void(QWidget*)>& onDialog = {}) {
    SeenBox seen;
    QTimer timer;
    timer.setInterval(10);
    QObject::connect(&timer, &QTimer::timeout, [&] {
        QWidget* dialog = openDialog();
        if (!dialog)
            return;
        if (onDialog)
            onDialog(dialog);
        if (auto* box = qobject_cast<QMessageBox*>(dialog)) {
            seen.title = box->windowTitle();
            seen.text = box->text();
            seen.icon = box->icon();
            ++seen.count;
            seen.allModal = seen.allModal && QApplication::activeModalWidget() == box &&
                            box->windowModality() == Qt::ApplicationModal;
            box->button(QMessageBox::Ok)->click();
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
    std::unique_ptr<MainWindow> m_window;
    QLineEdit* m_numberField = nullptr;
    QLabel* m_carrierLabel = nullptr;

private slots:
    void initTestCase() { zunova::windows::setUpApplication(); }

    void init() {
        MessageBox::setAnswerInAdvance(false);
        m_dir = std::make_unique<TempWorkDir>();
        m_dir->write("k.dat", "123,1,1,2,2,3,3,4,4,9,9\r\n");
        m_dir->write("p.dat", "123,1,1,2,2,3,3,9,9,0,0\r\n");
        m_window = std::make_unique<MainWindow>();
        m_window->show();
        QVERIFY(QTest::qWaitForWindowExposed(m_window.get(), kHang));
        m_numberField = child<QLineEdit>(m_window.get(), "Text1");
        m_carrierLabel = child<QLabel>(m_window.get(), "Label4");
    }

    void cleanup() {
        MessageBox::setAnswerInAdvance(false);
        m_window.reset();
        m_dir.reset();
    }

    void mainWindowControls_data() {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("text");
        QTest::addColumn<QRect>("geometry");
        QTest::addColumn<bool>("proportional"); // ＭＳ Ｐゴシック, else ＭＳ ゴシック
        QTest::addColumn<qreal>("points");
        // Pixels at 96 dpi: the designed twips divided by 15.
        QTest::newRow("Label2") << "Label2" << QStringLiteral(u"数字のみで１１桁入力してください。")
                                << QRect(16, 8, 257, 17) << false << 11.25;
        QTest::newRow("Label1") << "Label1" << QStringLiteral(u"番  号") << QRect(24, 40, 65, 25)
                                << false << 14.25;
        QTest::newRow("Text1") << "Text1" << QString() << QRect(104, 40, 153, 28) << false << 14.25;
        QTest::newRow("Label3") << "Label3" << QStringLiteral(u"キャリア") << QRect(8, 80, 81, 25)
                                << false << 14.25;
        QTest::newRow("Label4") << "Label4" << QString() << QRect(112, 80, 161, 25) << false
                                << 14.25;
        QTest::newRow("Command1") << "Command1" << QStringLiteral(u"調査") << QRect(8, 128, 81, 33)
                                  << false << 14.25;
        QTest::newRow("Command3") << "Command3" << QStringLiteral("Version")
                                  << QRect(104, 128, 81, 33) << true << 14.25;
        QTest::newRow("Command2") << "Command2" << QStringLiteral(u"終了")
                                  << QRect(200, 128, 81, 33) << false << 14.25;
    }

    void mainWindowControls() {
        QFETCH(QString, name);
        QFETCH(QString, text);
        QFETCH(QRect, geometry);
        QFETCH(bool, proportional);
        QFETCH(qreal, points);
        auto* w = m_window->findChild<QWidget*>(name);
        QVERIFY(w);
        QCOMPARE(w->geometry(), geometry);
        QCOMPARE(w->font().pointSizeF(), points);
        QCOMPARE(w->property("text").toString(), text);
        // What is drawn: the designed family, or where it is missing a Japanese Gothic of the
        // same kind.
        const QStringList kind = proportional
                                     ? QStringList{QStringLiteral(u"ＭＳ Ｐゴシック"), "IPAPGothic",
                                                   "Noto Sans CJK JP", "VL PGothic"}
                                     : QStringList{QStringLiteral(u"ＭＳ ゴシック"), "IPAGothic",
                                                   "Noto Sans Mono CJK JP", "VL Gothic"};
        const QStringList installed = QFontDatabase::families();
        if (std::none_of(kind.begin(), kind.end(),
                         [&](const QString& f) { return installed.contains(f); }))
            QSKIP("no Japanese Gothic font of this kind is installed");
        const QString drawn = QFontInfo(w->font()).family();
        QVERIFY2(kind.contains(drawn), qPrintable(drawn));
    }

    void mainWindowFrameAndFocus() {
        QCOMPARE(m_window->windowTitle(), QStringLiteral("Zunova"));
        QCOMPARE(m_window->size(), QSize(293, 173));
        QCOMPARE(m_window->minimumSize(), m_window->maximumSize());
        QVERIFY(!(m_window->windowFlags() & Qt::WindowMinimizeButtonHint));
        QVERIFY(!(m_window->windowFlags() & Qt::WindowMaximizeButtonHint));
        QVERIFY(m_window->windowFlags() & Qt::WindowCloseButtonHint);
        QVERIFY(!m_window->windowIcon().isNull());
        QCOMPARE(child<QLabel>(m_window.get(), "Label2")->palette().color(QPalette::WindowText),
                 QColor(255, 0, 0));
        QCOMPARE(m_numberField->maxLength(), 11);
        QCOMPARE(QApplication::focusWidget(), m_numberField);
        // The focus cycle, with real Tab presses: Text1, 調査, Version, 終了, and round again.
        QStringList cycle{QApplication::focusWidget()->objectName()};
        for (int i = 0; i < 4; ++i) {
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
            cycle << QApplication::focusWidget()->objectName();
        }
        QCOMPARE(cycle, QStringList({"Text1", "Command1", "Command3", "Command2", "Text1"}));
        for (const char* name : {"Command1", "Command2", "Command3"}) {
            auto* b = child<QPushButton>(m_window.get(), name);
            QVERIFY(!b->isDefault() && !b->autoDefault());
        }
        QCOMPARE(m_carrierLabel->accessibleDescription(), QStringLiteral(u"キャリア"));
    }

    void screenReaderNames() {
        auto nameOf = [](QWidget* w) {
            return QAccessible::queryAccessibleInterface(w)->text(QAccessible::Name);
        };
        QCOMPARE(nameOf(m_numberField), QStringLiteral(u"電話番号"));
        m_numberField->setText(QStringLiteral("09012345678"));
        QTest::keyClick(m_numberField, Qt::Key_Return);
        QCOMPARE(nameOf(m_carrierLabel), QStringLiteral("J-Phone")); // the result is what is read
        for (QWidget* w : m_window->findChildren<QWidget*>())
            QVERIFY2(!nameOf(w).isEmpty(), qPrintable(w->objectName()));
    }

    void entryHoldsElevenCharacters() {
        QTest::keyClicks(m_numberField, "090123456789");
        QCOMPARE(m_numberField->text(), QStringLiteral("09012345678"));
        // Typing is not filtered: separators and letters go in as typed.
        m_numberField->clear();
        QTest::keyClicks(m_numberField, "090-12 ab");
        QCOMPARE(m_numberField->text(), QStringLiteral("090-12 ab"));
    }

    void pasteInsertsTheNumbersDigits_data() {
        QTest::addColumn<QString>("before");
        QTest::addColumn<QString>("pasted");
        QTest::addColumn<QString>("after");
        QTest::newRow("hyphens") << ""
                                 << "090-3001-2345"
                                 << "09030012345";
        QTest::newRow("letters go in unchanged") << ""
                                                 << "tel 090-3001"
                                                 << "tel 090-300";
        QTest::newRow("fourteen digits cut to eleven") << ""
                                                       << "09030012345678"
                                                       << "09030012345";
        QTest::newRow("only what fits") << "0903"
                                        << "001-2345-678"
                                        << "09030012345";
        QTest::newRow("international") << ""
                                       << "+81 (0)90 3001 2345"
                                       << "09030012345";
        QTest::newRow("a label around it") << ""
                                           << "TEL:090-3001-2345 (本人)"
                                           << "09030012345";
        QTest::newRow("a lost zero is not put back here") << ""
                                                          << "9030012345"
                                                          << "9030012345";
        QTest::newRow("never half a character")
            << "" << QStringLiteral(u"0901234567😀") << "0901234567";
    }

    // A real clipboard, a real Ctrl+V.
    void pasteInsertsTheNumbersDigits() {
        QFETCH(QString, before);
        QFETCH(QString, pasted);
        QFETCH(QString, after);
        QTest::keyClicks(m_numberField, before);
        QApplication::clipboard()->setText(pasted);
        QTest::keyClick(m_numberField, Qt::Key_V, Qt::ControlModifier);
        QCOMPARE(m_numberField->text(), after);
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
            QTest::keyClick(m_numberField, Qt::Key_Insert, Qt::ShiftModifier);
        } else if (how == "context menu") {
            QApplication::clipboard()->setText(number);
            QContextMenuEvent event(QContextMenuEvent::Mouse, QPoint(5, 5),
                                    m_numberField->mapToGlobal(QPoint(5, 5)));
            QApplication::sendEvent(m_numberField, &event);
            auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
            QVERIFY(menu);
            const auto actions = menu->actions();
            const auto paste = std::find_if(actions.begin(), actions.end(), [](QAction* a) {
                return a->text().startsWith(QLineEdit::tr("&Paste"));
            });
            QVERIFY(paste != actions.end());
            (*paste)->trigger();
            menu->close();
        } else if (how == "drop") {
            QMimeData data;
            data.setText(number);
            const QPoint at(5, m_numberField->height() / 2);
            QDragEnterEvent enter(at, Qt::CopyAction, &data, Qt::LeftButton, {});
            QApplication::sendEvent(m_numberField, &enter);
            QDropEvent drop(at, Qt::CopyAction, &data, Qt::LeftButton, {});
            QApplication::sendEvent(m_numberField, &drop);
            QVERIFY(drop.isAccepted());
        } else {
            if (!QApplication::clipboard()->supportsSelection())
                QSKIP("this platform has no selection clipboard");
            QApplication::clipboard()->setText(number, QClipboard::Selection);
            QTest::mouseClick(m_numberField, Qt::MiddleButton);
        }
        QCOMPARE(m_numberField->text(), QStringLiteral("09030012345"));
    }

    void typingAsksForPlainDigits() {
        // What an input method is told: the box takes no composition and wants Latin digits.
        QInputMethodQueryEvent query(Qt::ImEnabled | Qt::ImHints);
        QApplication::sendEvent(m_numberField, &query);
        QCOMPARE(query.value(Qt::ImEnabled).toBool(), false);
        const auto hints = Qt::InputMethodHints(query.value(Qt::ImHints).toInt());
        QVERIFY(hints.testFlag(Qt::ImhPreferNumbers));
        QVERIFY(hints.testFlag(Qt::ImhLatinOnly));
    }

    void editingAfterAResultClearsIt() {
        MessageBox::setAnswerInAdvance(true);
        QTest::keyClicks(m_numberField, "09012345678");
        QTest::keyClick(m_numberField, Qt::Key_Return);
        QCOMPARE(m_carrierLabel->text(), QStringLiteral("J-Phone"));
        // One character less: the carrier goes at once, and the length warning leaves it empty.
        QTest::keyClick(m_numberField, Qt::Key_Backspace);
        QCOMPARE(m_carrierLabel->text(), QString());
        QTest::keyClick(m_numberField, Qt::Key_Return);
        const auto shown = MessageBox::takeShown();
        QCOMPARE(shown.size(), 1);
        QCOMPARE(shown[0].text, QStringLiteral(u"１１桁で入力してください。"));
        QCOMPARE(m_carrierLabel->text(), QString());
        // Typing, pasting and cutting count as well.
        for (const auto& edit : std::initializer_list<std::function<void()>>{
                 [&] {
                     QTest::keyClick(m_numberField, Qt::Key_Left, Qt::ShiftModifier);
                     QTest::keyClick(m_numberField, Qt::Key_9);
                 },
                 [&] {
                     m_numberField->selectAll();
                     QApplication::clipboard()->setText(QStringLiteral("090-1234-5670"));
                     QTest::keyClick(m_numberField, Qt::Key_V, Qt::ControlModifier);
                 },
                 [&] {
                     m_numberField->selectAll();
                     QTest::keyClick(m_numberField, Qt::Key_X, Qt::ControlModifier);
                 }}) {
            m_numberField->setText(QStringLiteral("09012345678"));
            QTest::keyClick(m_numberField, Qt::Key_Return);
            QCOMPARE(m_carrierLabel->text(), QStringLiteral("J-Phone"));
            edit();
            QCOMPARE(m_carrierLabel->text(), QString());
        }
    }

    void resultCanBeCopied() {
        QTest::keyClicks(m_numberField, "07012305678");
        QTest::keyClick(m_numberField, Qt::Key_Return);
        QCOMPARE(m_carrierLabel->text(), QStringLiteral(u"ドコモ"));
        const int y = m_carrierLabel->height() / 2;
        QTest::mousePress(m_carrierLabel, Qt::LeftButton, {}, QPoint(1, y));
        QTest::mouseMove(m_carrierLabel, QPoint(m_carrierLabel->width() - 1, y));
        QTest::mouseRelease(m_carrierLabel, Qt::LeftButton, {},
                            QPoint(m_carrierLabel->width() - 1, y));
        QCOMPARE(m_carrierLabel->selectedText(), QStringLiteral(u"ドコモ"));
        QApplication::clipboard()->clear();
        QTest::keyClick(m_carrierLabel, Qt::Key_C, Qt::ControlModifier);
        QCOMPARE(QApplication::clipboard()->text(), QStringLiteral(u"ドコモ"));
        if (QApplication::clipboard()->supportsSelection())
            QCOMPARE(QApplication::clipboard()->text(QClipboard::Selection),
                     QStringLiteral(u"ドコモ"));
        QVERIFY(m_carrierLabel->toolTip().contains(QStringLiteral(u"番号ポータビリティ")));
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
                QTest::mouseClick(child<QPushButton>(m_window.get(), "Command1"), Qt::LeftButton);
                break;
            case 1:
                QTest::keyClick(m_numberField, Qt::Key_Return);
                break;
            case 2:
                QTest::keyClick(m_numberField, Qt::Key_Enter, Qt::KeypadModifier);
                break;
            default:
                QTest::keyClick(m_numberField, Qt::Key_M, Qt::ControlModifier);
            }
        };
        MessageBox::setAnswerInAdvance(true);
        QTest::keyClicks(m_numberField, "09012345678");
        ask();
        QCOMPARE(MessageBox::takeShown().size(), 0);
        QCOMPARE(m_carrierLabel->text(), QStringLiteral("J-Phone"));
        QCOMPARE(m_numberField->text(), QStringLiteral("09012345678"));

        m_numberField->setText(QStringLiteral("07012305678"));
        ask();
        QCOMPARE(m_carrierLabel->text(), QStringLiteral(u"ドコモ"));

        // The length warning leaves both the entry and the result.
        m_numberField->setText(QStringLiteral("0701230567"));
        ask();
        const auto shown = MessageBox::takeShown();
        QCOMPARE(shown.size(), 1);
        QCOMPARE(shown[0].text, QStringLiteral(u"１１桁で入力してください。"));
        QCOMPARE(shown[0].icon, QMessageBox::Warning);
        QCOMPARE(m_numberField->text(), QStringLiteral("0701230567"));
        QCOMPARE(m_carrierLabel->text(), QStringLiteral(u"ドコモ"));
    }

    void warningBoxIsModalAndClearsAfterwards() {
        m_numberField->setText(QStringLiteral("07012305678"));
        QTest::keyClick(m_numberField, Qt::Key_Return);
        QCOMPARE(m_carrierLabel->text(), QStringLiteral(u"ドコモ"));

        // The prefix warning empties both, once the box is closed.
        m_numberField->setText(QStringLiteral("08012345678"));
        QString labelWhileBoxOpen;
        QString entryWhileBoxOpen;
        const SeenBox seen = answerModals([&] { QTest::keyClick(m_numberField, Qt::Key_Return); },
                                          [&](QWidget*) {
                                              labelWhileBoxOpen = m_carrierLabel->text();
                                              entryWhileBoxOpen = m_numberField->text();
                                          });
        QCOMPARE(seen.count, 1);
        QCOMPARE(seen.title, QStringLiteral("Zunova"));
        QCOMPARE(seen.text, QStringLiteral(u"移動電話の番号ではありません。"));
        QCOMPARE(seen.icon, QMessageBox::Warning);
        QVERIFY(seen.allModal);
        QCOMPARE(labelWhileBoxOpen, QStringLiteral(u"ドコモ"));
        QCOMPARE(entryWhileBoxOpen, QStringLiteral("08012345678"));
        QCOMPARE(m_numberField->text(), QString());
        QCOMPARE(m_carrierLabel->text(), QString());
    }

    void runTimeErrorIsReportedAndTheProgramGoesOn() {
        QTest::keyClicks(m_numberField, "09012345678");
        QTest::keyClick(m_numberField, Qt::Key_Return);
        QCOMPARE(m_carrierLabel->text(), QStringLiteral("J-Phone"));

        QVERIFY(QFile::remove(QDir(m_dir->path()).filePath("p.dat")));
        m_numberField->setText(QStringLiteral("07012345678"));
        const SeenBox seen = answerModals([&] { QTest::keyClick(m_numberField, Qt::Key_Return); });
        QCOMPARE(seen.count, 1);
        QVERIFY(seen.allModal);
        QCOMPARE(seen.icon, QMessageBox::Critical);
        QCOMPARE(seen.title, QStringLiteral("Zunova"));
        QVERIFY(seen.text.startsWith(QStringLiteral(u"実行時エラー '53':")));
        QCOMPARE(m_carrierLabel->text(), QString());
        QCOMPARE(m_numberField->text(), QStringLiteral("07012345678"));

        // 090 numbers keep working.
        m_numberField->setText(QStringLiteral("09012305678"));
        QTest::keyClick(m_numberField, Qt::Key_Return);
        QCOMPARE(m_carrierLabel->text(), QStringLiteral(u"ＮＴＴドコモ"));
        QVERIFY(m_window->isVisible());
    }

    void errorBoxesSayWhatAndWhere_data() {
        QTest::addColumn<QString>("number");
        QTest::addColumn<QByteArray>("kdat");
        QTest::addColumn<QString>("expected"); // %1: the data file's full path
        QTest::newRow("missing") << "07012345678" << QByteArray("1")
                                 << QStringLiteral(
                                        u"実行時エラー '53':\n\nファイルが見つかりません。\n%1") +
                                        kWhereDataFilesAre;
        QTest::newRow("not digits")
            << "0901 345678" << QByteArray("1")
            << QStringLiteral(u"実行時エラー '13':\n\n型が一致しません。") + kDigitsOnly;
        // A fault in the content names the file and line as before; the user cannot type it away.
        QTest::newRow("cut short")
            << "09077705678" << QByteArray("1,2,3")
            << QStringLiteral(
                   u"実行時エラー '62':\n\nファイルにこれ以上データがありません。\nk.dat: 1 行目");
        // A field that is not a number is the file's fault, not the number's.
        QTest::newRow("not a number in the file")
            << "09077705678" << QByteArray("1,x")
            << QStringLiteral(u"実行時エラー '13':\n\n型が一致しません。\nk.dat: 1 行目");
    }

    void errorBoxesSayWhatAndWhere() {
        QFETCH(QString, number);
        QFETCH(QByteArray, kdat);
        QFETCH(QString, expected);
        QVERIFY(QFile::remove(QDir(m_dir->path()).filePath("p.dat")));
        QVERIFY(QFile::remove(QDir(m_dir->path()).filePath("k.dat")));
        m_dir->write("k.dat", kdat);
        MessageBox::setAnswerInAdvance(true);
        m_numberField->setText(number);
        QTest::keyClick(m_numberField, Qt::Key_Return);
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
        // Keys reach a window only once it is active, which a loaded machine takes a while to do.
        QVERIFY(QTest::qWaitForWindowActive(m_window.get(), kHang));
        m_numberField->setText(QStringLiteral("0901234567"));
        auto* command1 = child<QPushButton>(m_window.get(), "Command1");
        QWindow* window = m_window->windowHandle();
        QVERIFY(window);
        const QPoint onCommand1 = command1->mapTo(m_window.get(), command1->rect().center());
        // With nothing open, the same key does arrive.
        QTest::keyClick(window, Qt::Key_5);
        QCOMPARE(m_numberField->text(), QStringLiteral("09012345675"));
        QTest::keyClick(window, Qt::Key_Backspace);
        int attempts = 0;
        auto tryInput = [&] {
            ++attempts;
            m_numberField->setFocus(); // the key would reach Text1 if the window took it
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
                if (auto* dialog = qobject_cast<VersionDialog*>(w); dialog && dialog->isVisible()) {
                    timer.stop();
                    tryInput();
                    QTest::mouseClick(child<QPushButton>(dialog, "Command1"), Qt::LeftButton);
                }
            }
        });
        timer.start();
        QTest::mouseClick(child<QPushButton>(m_window.get(), "Command3"), Qt::LeftButton);
        dismisser.stop();
        QCOMPARE(m_numberField->text(), QStringLiteral("0901234567"));
        QCOMPARE(dismissed, 0); // the click on 調査 raised no box
        // A warning box, the length warning for the ten digits: tried while it is open.
        const SeenBox seen = answerModals([&] { QTest::keyClick(m_numberField, Qt::Key_Return); },
                                          [&](QWidget*) { tryInput(); });
        QCOMPARE(attempts, 2);
        QCOMPARE(seen.count, 1); // the click on 調査 did not ask again
        QCOMPARE(m_numberField->text(), QStringLiteral("0901234567"));
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
            VersionDialog dialog;
            dialog.show();
            QVERIFY(QTest::qWaitForWindowExposed(&dialog, kHang));
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
        auto* version = child<QPushButton>(m_window.get(), "Command3");
        for (int round = 0; round < 2; ++round) {
            QString versionText;
            QString title;
            bool mainBlocked = false;
            answerModals([&] { QTest::mouseClick(version, Qt::LeftButton); },
                         [&](QWidget* dialog) {
                             auto* shown = qobject_cast<VersionDialog*>(dialog);
                             QVERIFY(shown);
                             versionText = child<QLabel>(shown, "Label3")->text();
                             title = shown->windowTitle();
                             mainBlocked = QApplication::activeModalWidget() == shown &&
                                           shown->windowModality() == Qt::ApplicationModal;
                             QTest::mouseClick(child<QPushButton>(shown, "Command1"),
                                               Qt::LeftButton);
                         });
            QCOMPARE(versionText, QStringLiteral(u"ﾊﾞｰｼﾞｮﾝ 1.4"));
            QCOMPARE(title, QStringLiteral(u"バージョン情報"));
            QVERIFY(mainBlocked);
            for (QWidget* w : QApplication::topLevelWidgets())
                QVERIFY2(!qobject_cast<VersionDialog*>(w), "the dialog outlived its closing");
        }
    }

    void versionDialogLayout() {
        VersionDialog dialog;
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
        QCOMPARE(VersionDialog::versionText(1, 10), QStringLiteral(u"ﾊﾞｰｼﾞｮﾝ 1.10"));
    }

    // Qt's own texts, in the number field's menu and the file dialog, are Japanese whatever the
    // locale (CTest runs this once more under LANG=C); a missing translation is passed over
    // without a word.
    void qtTextsAreJapanese() {
        if (!QFile::exists(QLibraryInfo::path(QLibraryInfo::TranslationsPath) +
                           QStringLiteral("/qtbase_ja.qm")))
            QSKIP("Qt's Japanese translation (qt6-translations-l10n) is not installed");
        QStringList english;
        const auto read = [&english](const QString& text) {
            const bool japanese = std::any_of(text.begin(), text.end(), [](QChar c) {
                return c.unicode() >= 0x3040 && c.unicode() <= 0x9fff; // kana and kanji
            });
            if (!text.isEmpty() && !japanese)
                english << text;
        };

        QContextMenuEvent event(QContextMenuEvent::Mouse, QPoint(5, 5),
                                m_numberField->mapToGlobal(QPoint(5, 5)));
        QApplication::sendEvent(m_numberField, &event);
        auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
        QVERIFY(menu);
        int entries = 0;
        for (QAction* action : menu->actions()) {
            if (!action->isSeparator()) {
                ++entries;
                read(action->text().section(u'\t', 0, 0)); // the shortcut stays as it is
            }
        }
        menu->close();
        QCOMPARE(entries, 7);

        // The real dialog, not the seam: its labels, buttons, tooltips, column headers, and a
        // file's size and date.
        FileDialog::setAnswerInAdvance(false);
        m_dir->write("list.csv", "09012345678\n");
        m_dir->write("book.xlsx", "PK\x03\x04"); // workbooks are lists too
        m_dir->write("notes.pdf", "%PDF");
        QString size;
        QString date;
        QStringList listed;
        const QDeadlineTimer folderRead(kHang);
        answerModals([] { FileDialog::openList(nullptr); },
                     [&](QWidget* shown) {
                         auto* dialog = qobject_cast<QFileDialog*>(shown);
                         if (!dialog) {
                             shown->close();
                             return;
                         }
                         // The detail view, whatever model it shows the folder through.
                         auto* view = dialog->findChild<QTreeView*>();
                         const QAbstractItemModel* model = view->model();
                         listed.clear();
                         for (int r = 0; r < model->rowCount(view->rootIndex()); ++r) {
                             const QModelIndex name = model->index(r, 0, view->rootIndex());
                             listed << name.data().toString();
                             if (name.data().toString() == QStringLiteral("list.csv")) {
                                 size = name.siblingAtColumn(1).data().toString();
                                 date = name.siblingAtColumn(3).data().toString();
                             }
                         }
                         if (date.isEmpty() && !folderRead.hasExpired()) // read meanwhile
                             return;
                         for (int column = 0; column < model->columnCount(); ++column)
                             read(model->headerData(column, Qt::Horizontal).toString());
                         for (QWidget* w : dialog->findChildren<QWidget*>()) {
                             if (!w->isVisible())
                                 continue;
                             read(w->toolTip());
                             if (auto* label = qobject_cast<QLabel*>(w))
                                 read(label->text());
                             if (auto* button = qobject_cast<QAbstractButton*>(w))
                                 read(button->text());
                         }
                         dialog->reject();
                     });
        QCOMPARE(english, QStringList());
        QCOMPARE(size, QStringLiteral(u"12 バイト"));
        listed.sort();
        QCOMPARE(listed, QStringList({QStringLiteral("book.xlsx"), QStringLiteral("list.csv")}));
        QVERIFY2(!date.isEmpty() && !date.contains(QRegularExpression(QStringLiteral("[A-Za-z]"))),
                 qPrintable(date));

        const QTemporaryDir noTranslation;
        QTest::failOnWarning(QRegularExpression(QStringLiteral(".")));
        QVERIFY(!zunova::windows::useQtJapanese(noTranslation.path()));
    }

    // A pasted list opens its own window; the keyboard alone reaches every control, copies,
    // saves and closes; a save that fails leaves nothing under the target's name.
    void listWindowByKeyboardAndSaveFailure() {
        MessageBox::setAnswerInAdvance(true);
        FileDialog::setAnswerInAdvance(true);
        m_numberField->setText(QStringLiteral("0901"));
        // A line that ends in CR alone, saved as it came.
        QApplication::clipboard()->setText(QStringLiteral("tel\n090-1234-5678\r09012305678\n"));
        QTest::keyClick(m_numberField, Qt::Key_V, Qt::ControlModifier);
        QCOMPARE(m_numberField->text(), QStringLiteral("0901"));
        const QPointer<ListWindow> list = m_window->findChild<ListWindow*>();
        QVERIFY(list);
        QTRY_VERIFY_WITH_TIMEOUT(!list->isWorking(), kHang);
        QCOMPARE(list->focusWidget(), child<QWidget>(list, "table"));
        QStringList cycle;
        for (int i = 0; i < 6; ++i) {
            QTest::keyClick(list->focusWidget(), Qt::Key_Tab);
            cycle << list->focusWidget()->objectName();
        }
        // The encoding may be chosen again, as for a file.
        QCOMPARE(cycle,
                 QStringList({"copy", "save", "close", "encodingBox", "columnBox", "table"}));

        QTest::keyClick(list->focusWidget(), Qt::Key_Tab);
        QTest::keyClick(list->focusWidget(), Qt::Key_Return); // コピー
        QTRY_VERIFY_WITH_TIMEOUT(!list->isWorking(), kHang);
        QCOMPARE(QApplication::clipboard()->text(),
                 QStringLiteral(u"tel\tキャリア\t備考\n090-1234-5678\tJ-Phone\t\n"
                                u"09012305678\tＮＴＴドコモ\t\n"));

        // A disk that fills up: the first write fails.
        const QString target = QDir(m_dir->path()).filePath(QStringLiteral("out.csv"));
        FileDialog::queueAnswer(target);
        rlimit limit{};
        getrlimit(RLIMIT_FSIZE, &limit);
        const rlimit full{8, limit.rlim_max};
        const auto oldSignal = std::signal(SIGXFSZ, SIG_IGN);
        setrlimit(RLIMIT_FSIZE, &full);
        QTest::keyClick(list->focusWidget(), Qt::Key_Tab);
        QCOMPARE(list->focusWidget()->objectName(), QStringLiteral("save"));
        QTest::keyClick(list->focusWidget(), Qt::Key_Return); // 保存
        QTRY_VERIFY_WITH_TIMEOUT(!list->isWorking(), kHang);
        setrlimit(RLIMIT_FSIZE, &limit);
        std::signal(SIGXFSZ, oldSignal);
        QCOMPARE(
            FileDialog::takeShown(),
            QList<QString>{QDir(QDir::homePath()).filePath(QStringLiteral(u"一覧_キャリア.csv"))});
        auto shown = MessageBox::takeShown();
        QCOMPARE(shown.size(), 1);
        QCOMPARE(shown[0].icon, QMessageBox::Critical);
        // The file, and the system's reason in Japanese.
        QVERIFY2(shown[0].text.contains(target) &&
                     shown[0].text.endsWith(QStringLiteral(u"ファイルが大きすぎます。")),
                 qPrintable(shown[0].text));
        QCOMPARE(QDir(m_dir->path()).entryList(QDir::Files), QStringList({"k.dat", "p.dat"}));

        // Then with room: UTF-8 with a byte-order mark, the rows as pasted, the carrier added.
        FileDialog::queueAnswer(target);
        QTest::keyClick(list->focusWidget(), Qt::Key_Return);
        QTRY_VERIFY_WITH_TIMEOUT(!list->isWorking(), kHang);
        QCOMPARE(MessageBox::takeShown().size(), 0);
        QFile saved(target);
        QVERIFY(saved.open(QIODevice::ReadOnly));
        QCOMPARE(saved.readAll(),
                 QStringLiteral(u"\uFEFFtel\tキャリア\t備考\n090-1234-5678\tJ-Phone\t\r"
                                u"09012305678\tＮＴＴドコモ\t\n")
                     .toUtf8());

        // Escape closes the window; the main window's field still has what it had.
        QTest::keyClick(list->focusWidget(), Qt::Key_Escape);
        QTRY_VERIFY_WITH_TIMEOUT(list.isNull(), kHang);
        QCOMPARE(m_numberField->text(), QStringLiteral("0901"));
        FileDialog::setAnswerInAdvance(false);
    }

    // A save that cannot be made says why, in Japanese, and leaves nothing behind; a save that
    // fails while it writes (a file too large) is above.
    void listSaveFailuresSayWhy_data() {
        QTest::addColumn<QString>("target");
        QTest::addColumn<QString>("reason");
        QTest::newRow("no folder")
            << "missing/out.csv" << QStringLiteral(u"保存先のフォルダーがありません。");
        QTest::newRow("a folder") << "folder.csv" << QStringLiteral(u"フォルダーです。");
        QTest::newRow("no permission")
            << "locked/out.csv" << QStringLiteral(u"書き込む権限がありません。");
    }

    void listSaveFailuresSayWhy() {
        QFETCH(QString, target);
        QFETCH(QString, reason);
        if (target.startsWith(QStringLiteral("locked/")) && geteuid() == 0)
            QSKIP("root writes everywhere");
        const QDir dir(m_dir->path());
        QVERIFY(dir.mkdir(QStringLiteral("folder.csv")) && dir.mkdir(QStringLiteral("locked")));
        QVERIFY(QFile::setPermissions(dir.filePath(QStringLiteral("locked")),
                                      QFileDevice::ReadOwner | QFileDevice::ExeOwner));
        MessageBox::setAnswerInAdvance(true);
        FileDialog::setAnswerInAdvance(true);
        const QPointer<ListWindow> list =
            ListWindow::openText(QStringLiteral("09012345678\n07012305678\n"), m_window.get());
        QTRY_VERIFY_WITH_TIMEOUT(!list->isWorking(), kHang);
        FileDialog::queueAnswer(dir.filePath(target));
        QTest::mouseClick(child<QPushButton>(list, "save"), Qt::LeftButton);
        QTRY_VERIFY_WITH_TIMEOUT(!list->isWorking(), kHang);
        FileDialog::setAnswerInAdvance(false);
        const auto shown = MessageBox::takeShown();
        QCOMPARE(shown.size(), 1);
        QCOMPARE(
            shown[0].text,
            QStringLiteral(u"保存できませんでした。\n%1\n%2").arg(dir.filePath(target), reason));
        QCOMPARE(dir.entryList(QDir::Files), QStringList({"k.dat", "p.dat"}));
        QCOMPARE(QDir(dir.filePath(QStringLiteral("locked")))
                     .entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot),
                 QStringList());
        list->close();
    }

    // A list that cannot be read gets one box saying why, and its window goes.
    void listFilesThatCannotBeRead_data() {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("reason");
        QTest::newRow("missing") << "missing.csv" << QStringLiteral(u"ファイルが見つかりません。");
        QTest::newRow("a folder") << "folder.csv" << QStringLiteral(u"フォルダーです。");
        QTest::newRow("a FIFO") << "fifo.csv"
                                << QStringLiteral(u"普通のファイルではありません（FIFO、デバイス"
                                                  u"またはソケットです）。");
        QTest::newRow("over the cap")
            << "large.csv"
            << QStringLiteral(u"一度に読み込める一覧は 256 MB までです。大きなテキストの一覧には、"
                              u"コマンドラインの zunova --csv を使ってください。");
        // A file whose size says nothing of what it holds, as one cut or grown while read.
        QTest::newRow("changes while read")
            << "/proc/self/status"
            << QStringLiteral(u"読み込んでいる間にファイルが変わりました。保存し終わってから、もう"
                              u"一度開いてください。");
    }

    void listFilesThatCannotBeRead() {
        QFETCH(QString, name);
        QFETCH(QString, reason);
        const QDir dir(m_dir->path());
        QVERIFY(dir.mkdir(QStringLiteral("folder.csv")));
        QCOMPARE(::mkfifo(QFile::encodeName(dir.filePath(QStringLiteral("fifo.csv"))), 0600), 0);
        QFile large(dir.filePath(QStringLiteral("large.csv")));
        QVERIFY(large.open(QIODevice::WriteOnly) && large.resize(ListWindow::kMaxBytes + 1));
        large.close();
        MessageBox::setAnswerInAdvance(true);
        const QString path = dir.filePath(name);
        const QPointer<ListWindow> list = ListWindow::openFile(path, m_window.get());
        QTRY_VERIFY_WITH_TIMEOUT(list.isNull(), kHang);
        const auto shown = MessageBox::takeShown();
        QCOMPARE(shown.size(), 1);
        QCOMPARE(shown[0].text, QStringLiteral(u"一覧を開けません。\n%1\n%2").arg(path, reason));
    }

    // Work stopped or left: nothing is shown or asked, and a save leaves no file behind.
    void listWorkStoppedOrLeft_data() {
        QTest::addColumn<bool>("saving");
        QTest::addColumn<bool>("closing");
        QTest::newRow("中止 while reading") << false << false;
        QTest::newRow("closing while reading") << false << true;
        QTest::newRow("closing while saving") << true << true;
        QTest::newRow("中止 while saving") << true << false;
    }

    void listWorkStoppedOrLeft() {
        QFETCH(bool, saving);
        QFETCH(bool, closing);
        m_dir->write("long.csv", QByteArray("09012345678\n").repeated(1'500'000));
        MessageBox::setAnswerInAdvance(true);
        FileDialog::setAnswerInAdvance(true);
        const QString target = QDir(m_dir->path()).filePath(QStringLiteral("out.csv"));
        const QPointer<ListWindow> list = ListWindow::openFile(
            QDir(m_dir->path()).filePath(QStringLiteral("long.csv")), m_window.get());
        QVERIFY(list->isWorking());
        if (saving) {
            QTRY_VERIFY_WITH_TIMEOUT(!list->isWorking(), kHang);
            FileDialog::queueAnswer(target);
            QTest::mouseClick(child<QPushButton>(list, "save"), Qt::LeftButton);
            QVERIFY(list->isWorking());
        }
        if (closing)
            list->close();
        else
            QTest::mouseClick(child<QPushButton>(list, "cancel"), Qt::LeftButton);
        // Nothing was read to show, or the window was closed: it goes; a save stopped leaves the
        // list shown.
        if (saving && !closing)
            QTRY_VERIFY_WITH_TIMEOUT(!list->isWorking() && list->isVisible(), kHang);
        else
            QTRY_VERIFY_WITH_TIMEOUT(list.isNull(), kHang);
        QCOMPARE(MessageBox::takeShown().size(), 0);
        QCOMPARE(QDir(m_dir->path()).entryList(QDir::Files),
                 QStringList({"k.dat", "long.csv", "p.dat"}));
        if (list)
            list->close();
        FileDialog::setAnswerInAdvance(false);
    }

    // Another encoding or column reads the list again in place of the one shown; one that does
    // not read says so and the list comes back as it was.
    void listReadAgainWithOtherChoices() {
        m_dir->write("list.csv", zunova::textlist::Codec(zunova::textlist::Encoding::ShiftJis)
                                     .encode(QStringLiteral(u"名前,番号A,番号B\r\n"
                                                            u"田中,09012345678,07012305678\r\n")));
        MessageBox::setAnswerInAdvance(true);
        const QPointer<ListWindow> list = ListWindow::openFile(
            QDir(m_dir->path()).filePath(QStringLiteral("list.csv")), m_window.get());
        QTRY_VERIFY_WITH_TIMEOUT(!list->isWorking(), kHang);
        auto* model = list->model();
        auto carrier = [&] {
            return model->index(0, model->carrierColumn()).data().toString();
        };
        QCOMPARE(model->headerData(0, Qt::Horizontal, Qt::DisplayRole).toString(),
                 QStringLiteral(u"名前"));
        QCOMPARE(carrier(), QStringLiteral("J-Phone"));
        auto choose = [&](const char* box, int index) {
            auto* combo = child<QComboBox>(list, box);
            combo->setCurrentIndex(index);
            emit combo->activated(index);
            // The table shown goes first: two whole lists are never held at once.
            QCOMPARE(model->document(), nullptr);
            QTRY_VERIFY_WITH_TIMEOUT(!list->isWorking(), kHang);
        };
        choose("columnBox", 2);
        QCOMPARE(carrier(), QStringLiteral(u"ドコモ"));
        choose("encodingBox", int(zunova::textlist::Encoding::Utf8));
        QVERIFY(model->headerData(0, Qt::Horizontal, Qt::DisplayRole).toString() !=
                QStringLiteral(u"名前"));
        QCOMPARE(carrier(), QStringLiteral(u"ドコモ")); // the column chosen stays
        QCOMPARE(MessageBox::takeShown().size(), 0);
        choose("encodingBox", int(zunova::textlist::Encoding::Utf16LE));
        QTRY_VERIFY_WITH_TIMEOUT(!list->isWorking() && model->document(), kHang);
        const auto shown = MessageBox::takeShown();
        QCOMPARE(shown.size(), 1);
        QVERIFY2(shown[0].text.startsWith(QStringLiteral(u"一覧を開けません。")),
                 qPrintable(shown[0].text));
        QCOMPARE(child<QComboBox>(list, "encodingBox")->currentData().toInt(),
                 int(zunova::textlist::Encoding::Utf8));
        QCOMPARE(carrier(), QStringLiteral(u"ドコモ"));
        list->close();
    }

    // 保存 writes every row back with the carrier field, in the list's own quoting, and never over
    // the list itself.
    void listSavedAsTheCommandLineWritesIt() {
        const QByteArray original = "\"name\",\"tel\"\r\n\"a\",\"09012345678\"\r\nb\r\n"
                                    "\"c\",\"07012305678\",x\r\n";
        m_dir->write("list.csv", original);
        const QString path = QDir(m_dir->path()).filePath(QStringLiteral("list.csv"));
        const QString target = QDir(m_dir->path()).filePath(QStringLiteral("out.csv"));
        MessageBox::setAnswerInAdvance(true);
        FileDialog::setAnswerInAdvance(true);
        const QPointer<ListWindow> list = ListWindow::openFile(path, m_window.get());
        QTRY_VERIFY_WITH_TIMEOUT(!list->isWorking(), kHang);
        FileDialog::queueAnswer(path);
        QTest::mouseClick(child<QPushButton>(list, "save"), Qt::LeftButton);
        auto shown = MessageBox::takeShown();
        QCOMPARE(shown.size(), 1);
        QCOMPARE(shown[0].text,
                 QStringLiteral(u"元の一覧には保存できません。別の名前を選んでください。\n") +
                     path);
        QCOMPARE(
            FileDialog::takeShown(),
            QList<QString>{QDir(m_dir->path()).filePath(QStringLiteral(u"list_キャリア.csv"))});
        FileDialog::queueAnswer(target);
        QTest::mouseClick(child<QPushButton>(list, "save"), Qt::LeftButton);
        QTRY_VERIFY_WITH_TIMEOUT(!list->isWorking(), kHang);
        QCOMPARE(MessageBox::takeShown().size(), 0);
        QFile saved(target);
        QVERIFY(saved.open(QIODevice::ReadOnly));
        // The header gets the columns' names; a quoted last field a quoted carrier; a short row
        // empty fields first; a row longer than most its carrier after its own last field; each
        // row its note, as the table shows it.
        QCOMPARE(saved.readAll(),
                 QStringLiteral(
                     u"\"name\",\"tel\",\"キャリア\",\"備考\"\r\n"
                     u"\"a\",\"09012345678\",\"J-Phone\",\r\n"
                     u"b,,,番号がありません。 列の数が 1 です（ほとんどの行は 2）。\r\n"
                     u"\"c\",\"07012305678\",x,ドコモ,列の数が 3 です（ほとんどの行は 2）。\r\n")
                     .toUtf8());
        QFile kept(path);
        QVERIFY(kept.open(QIODevice::ReadOnly));
        QCOMPARE(kept.readAll(), original);
        list->close();
        FileDialog::setAnswerInAdvance(false);
    }

    // A workbook opens at its first sheet with numbers, another sheet can be chosen (one without
    // numbers leaves the list as it was), and 保存 writes the workbook beside it with the carrier
    // and note cells added, every other part as it was.
    void listWorkbookByItsSheetAndSavedBesideIt() {
        using zunova::testing::kMain;
        const QByteArray memo = "<worksheet " + kMain +
                                "><sheetData><row r=\"1\"><c "
                                "t=\"inlineStr\"><is><t>memo</t></is></c></row></sheetData>"
                                "</worksheet>";
        const QByteArray names =
            "<worksheet " + kMain +
            "><sheetData><row r=\"1\"><c t=\"inlineStr\"><is><t>氏名</t></is></c><c "
            "t=\"inlineStr\"><is><t>携帯</t></is></c></row><row r=\"2\"><c t=\"inlineStr\"><is>"
            "<t>田中</t></is></c><c><v>9012345678</v></c></row></sheetData></worksheet>";
        const zunova::testing::Parts parts =
            zunova::testing::workbookParts({{"メモ", memo}, {"名簿", names}}, {}, {});
        const QByteArray original = zunova::testing::zipOf(parts);
        m_dir->write("book.xlsx", original);
        const QString path = QDir(m_dir->path()).filePath(QStringLiteral("book.xlsx"));
        MessageBox::setAnswerInAdvance(true);
        FileDialog::setAnswerInAdvance(true);
        const QPointer<ListWindow> list = ListWindow::openFile(path, m_window.get());
        QTRY_VERIFY_WITH_TIMEOUT(!list->isWorking(), kHang);
        auto* sheets = child<QComboBox>(list, "sheetBox");
        QVERIFY(sheets->isVisible());
        QCOMPARE(sheets->count(), 2);
        QCOMPARE(sheets->currentText(), QStringLiteral(u"名簿"));
        auto* model = list->model();
        QCOMPARE(model->index(0, model->carrierColumn()).data().toString(),
                 QStringLiteral("J-Phone"));

        sheets->setCurrentIndex(0);
        emit sheets->activated(0);
        QTRY_VERIFY_WITH_TIMEOUT(!list->isWorking() && model->document(), kHang);
        QCOMPARE(MessageBox::takeShown().size(), 1);
        QCOMPARE(sheets->currentText(), QStringLiteral(u"名簿"));
        QCOMPARE(model->index(0, model->carrierColumn()).data().toString(),
                 QStringLiteral("J-Phone"));

        const QString target = QDir(m_dir->path()).filePath(QStringLiteral("out.xlsx"));
        FileDialog::queueAnswer(target);
        QTest::mouseClick(child<QPushButton>(list, "save"), Qt::LeftButton);
        QTRY_VERIFY_WITH_TIMEOUT(!list->isWorking(), kHang);
        QCOMPARE(MessageBox::takeShown().size(), 0);
        QCOMPARE(
            FileDialog::takeShown(),
            QList<QString>{QDir(m_dir->path()).filePath(QStringLiteral(u"book_キャリア.xlsx"))});
        QFile saved(target);
        QVERIFY(saved.open(QIODevice::ReadOnly));
        zunova::testing::Parts written = zunova::testing::partsOf(saved.readAll());
        const QByteArray sheet = written["xl/worksheets/sheet1.xml"];
        QVERIFY2(sheet.contains(QStringLiteral(u"<t>キャリア</t>").toUtf8()) &&
                     sheet.contains("<t>J-Phone</t>") &&
                     sheet.contains(QStringLiteral(u"<t>備考</t>").toUtf8()),
                 sheet.constData());
        written.erase("xl/worksheets/sheet1.xml");
        zunova::testing::Parts others = parts;
        others.erase("xl/worksheets/sheet1.xml");
        QVERIFY(written == others);
        QFile kept(path);
        QVERIFY(kept.open(QIODevice::ReadOnly));
        QCOMPARE(kept.readAll(), original);
        list->close();
        FileDialog::setAnswerInAdvance(false);
    }

    // The carrier and the note stand beside the number; the counts come in one order; a lost
    // zero, a row without a number and a quote left open are all said.
    void listShowsWhatMattersFirst() {
        m_dir->write("list.csv", QStringLiteral(u"氏名,携帯,備考\r\n田中,07012305678,\r\n"
                                                u"佐藤,9012345678,\r\n鈴木,,\r\n高橋,0901234,\r\n"
                                                u"渡辺,09012305678,\r\n伊藤,09012305678,\"x\r\n")
                                     .toUtf8());
        MessageBox::setAnswerInAdvance(true);
        const QPointer<ListWindow> list = ListWindow::openFile(
            QDir(m_dir->path()).filePath(QStringLiteral("list.csv")), m_window.get());
        QTRY_VERIFY_WITH_TIMEOUT(!list->isWorking(), kHang);
        auto* model = list->model();
        QStringList header;
        for (int column = 0; column < model->columnCount(); ++column)
            header << model->headerData(column, Qt::Horizontal, Qt::DisplayRole).toString();
        QCOMPARE(header, QStringList({QStringLiteral(u"氏名"), QStringLiteral(u"携帯"),
                                      QStringLiteral(u"キャリア"), QStringLiteral(u"備考2"),
                                      QStringLiteral(u"備考")}));
        auto row = [&](int r) {
            return QStringList{model->index(r, 2).data().toString(),
                               model->index(r, 3).data().toString()};
        };
        QCOMPARE(row(0), QStringList({QStringLiteral(u"ドコモ"), QString()}));
        QCOMPARE(row(1),
                 QStringList({QStringLiteral("J-Phone"),
                              QStringLiteral(u"表計算ソフトが落とした先頭の 0 を補いました。")}));
        QCOMPARE(row(2), QStringList({QString(), QStringLiteral(u"番号がありません。")}));
        QCOMPARE(row(3), QStringList({QString(), QStringLiteral(u"１１桁で入力してください。")}));
        QCOMPARE(row(5)[0], QString()); // a quote left open: nothing added
        // By network, then the rest, and the total; a line breaks only between two of them.
        auto* counts = child<ItemsLabel>(list, "counts");
        const QString whole =
            QStringLiteral(u"携帯電話: ＮＴＴドコモ 1件、J-Phone 1件　PHS: ドコモ "
                           u"1件　警告 1件　番号なし 1件　計 5件");
        counts->resize(2000, counts->height());
        QCOMPARE(counts->text(), whole);
        // However narrow, a line breaks only between two of them or after a "、", never inside
        // "1件".
        for (int width = 10; width < 400; width += 7) {
            counts->resize(width, counts->height());
            const QStringList lines = counts->text().split(u'\n');
            QVERIFY2(lines.size() > 1 || width > 150, qPrintable(counts->text()));
            QString joined = lines.first();
            for (const QString& line : lines.sliced(1))
                joined += (joined.endsWith(u'、') ? QString() : QStringLiteral(u"　")) + line;
            QCOMPARE(joined, whole);
        }
        QVERIFY(child<QLabel>(list, "doubt")->isVisible());
        QVERIFY2(child<QLabel>(list, "doubt")
                     ->text()
                     .startsWith(QStringLiteral(u"7 行目: この行で開いた引用符が閉じていません。")),
                 qPrintable(child<QLabel>(list, "doubt")->text()));
        QCOMPARE(MessageBox::takeShown().size(), 0);
        list->close();
    }

    // The window answers while it reads and while it copies a long table: its event loop turns,
    // again and again, while the work is under way. How long it goes without an answer is
    // measured by the benchmark (bench/list_window.cpp), not here.
    void listWindowAnswersThroughout() {
        QPointer<ListWindow> list;
        int answers = 0; // timer ticks handled while the window was at work
        QTimer ticks;
        ticks.setInterval(5);
        QObject::connect(&ticks, &QTimer::timeout, [&] { answers += list && list->isWorking(); });
        const QString text =
            QStringLiteral("090-1234-5678\n").repeated(int(ListWindow::kMaxCopiedRows));
        ticks.start();
        list = ListWindow::openText(text, m_window.get());
        QTRY_VERIFY_WITH_TIMEOUT(!list->isWorking(), kHang);
        const int whileReading = std::exchange(answers, 0);
        QTest::mouseClick(child<QPushButton>(list, "copy"), Qt::LeftButton);
        QTRY_VERIFY_WITH_TIMEOUT(!list->isWorking(), kHang);
        ticks.stop();
        QCOMPARE(QApplication::clipboard()->text().count(u'\n'), ListWindow::kMaxCopiedRows + 1);
        // More than once: work that held the thread would let one late tick through at most.
        QVERIFY2(whileReading > 1, qPrintable(QString::number(whileReading)));
        QVERIFY2(answers > 1, qPrintable(QString::number(answers)));
        list->close();
    }

    // A long list reaches the table a hundred thousand rows at a time, as it is scrolled to;
    // コピー takes every row.
    void longListFetchedAsTheTableScrolls() {
        const QString text = QStringLiteral("09012345678\n").repeated(120'000);
        const QPointer<ListWindow> list = ListWindow::openText(text, m_window.get());
        QTRY_VERIFY_WITH_TIMEOUT(!list->isWorking(), kHang);
        auto* table = child<QTableView>(list, "table");
        QCOMPARE(table->model()->rowCount(), 100'000);
        QTest::keyClick(child<QPushButton>(list, "copy"), Qt::Key_Space);
        QTRY_VERIFY_WITH_TIMEOUT(!list->isWorking(), kHang);
        QCOMPARE(QApplication::clipboard()->text().count(u'\n'), 120'001);
        // The first key gives the table its current cell, the second goes to the last row.
        QTest::keyClick(table, Qt::Key_End, Qt::ControlModifier);
        QTest::keyClick(table, Qt::Key_End, Qt::ControlModifier);
        QTRY_COMPARE_WITH_TIMEOUT(table->model()->rowCount(), 120'000, kHang);
        list->close();
        QTRY_VERIFY_WITH_TIMEOUT(list.isNull(), kHang);
    }

    void quitEndsTheEventLoop() {
        m_carrierLabel->setText(QStringLiteral("J-Phone"));
        QEventLoop loop;
        QTimer::singleShot(0, [&] {
            QTest::mouseClick(child<QPushButton>(m_window.get(), "Command2"), Qt::LeftButton);
        });
        QTimer::singleShot(kHang, [&] { loop.exit(1); }); // a guard, should the click not quit
        QCOMPARE(loop.exec(), 0);
        QCOMPARE(QApplication::activeModalWidget(), nullptr); // nothing was asked
    }
};

QTEST_MAIN(WindowsTest)
#include "windows_test.moc"
