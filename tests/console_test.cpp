// The command line, run as the real program with no display at all.
#include "lookup/query.h"
#include "lookup/recordsource.h"
#include "lookup/writtennumber.h"
#include "runtime/datafile.h"
#include "runtime/runtimeerror.h"
#include "support/outcome.h"
#include "support/tempworkdir.h"
#include "support/workbookparts.h"
#include "zunova/version.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QProcessEnvironment>
#include <QRegularExpression>
#include <QStringEncoder>

#include <gtest/gtest.h>

#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstring>
#include <numeric>
#include <thread>
#include <vector>

#include <fcntl.h>
#include <poll.h>
#include <pty.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

using zunova::lookup::FileScan;
using zunova::runtime::ErrorNumber;
using zunova::runtime::RuntimeError;
using zunova::testing::TempWorkDir;

namespace {

const QString kExecutable = QStringLiteral(ZUNOVA_EXECUTABLE);
// The program as on a system whose iconv cannot convert Shift_JIS: a library preloaded in front of
// the C library's iconv_open refuses CP932 (the sanitizers' runtime is told not to mind).
const QStringList kWithoutShiftJis{QStringLiteral("LD_PRELOAD=" ZUNOVA_NO_SHIFT_JIS),
                                   QStringLiteral("ASAN_OPTIONS=verify_asan_link_order=0")};
// Long enough that only a hang runs out, however busy the machine: a test checks what a run
// did, never how fast.
constexpr int kTimeoutMs = 120'000;

// The program speaks the locale's language: every run is English unless a test asks otherwise.
[[maybe_unused]] const bool kEnglish = [] {
    for (const char* variable : {"LC_ALL", "LC_MESSAGES", "LANGUAGE"})
        qunsetenv(variable);
    return qputenv("LANG", "C.UTF-8");
}();

struct Result {
    bool finished = false;
    int status = -1; // -1: the program crashed
    QByteArray out;
    QByteArray err;

    QString outText() const { return QString::fromUtf8(out); }
    QString errText() const { return QString::fromUtf8(err); }
    QStringList errLines() const {
        QStringList lines = errText().split(u'\n');
        if (!lines.isEmpty() && lines.constLast().isEmpty())
            lines.removeLast();
        return lines;
    }
};

// Runs zunova in `workDir` (the test's own working directory when empty) with `input` on its
// standard input. Nothing may hang the suite: after `timeoutMs` the program is killed and the
// test fails.
Result runZunova(const QStringList& arguments, const QByteArray& input = {},
                 const QString& workDir = {}, int timeoutMs = kTimeoutMs,
                 QProcess::ProcessChannelMode channels = QProcess::SeparateChannels,
                 const QStringList& extraEnvironment = {}) {
    QProcess process;
    process.setProcessChannelMode(channels);
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    for (const QString& variable : extraEnvironment)
        env.insert(variable.section(u'=', 0, 0), variable.section(u'=', 1));
    // Nothing to show on: a QGuiApplication would fail here.
    env.remove(QStringLiteral("DISPLAY"));
    env.remove(QStringLiteral("WAYLAND_DISPLAY"));
    env.remove(QStringLiteral("QT_QPA_PLATFORM"));
    process.setProcessEnvironment(env);
    if (!workDir.isEmpty())
        process.setWorkingDirectory(workDir);
    process.start(kExecutable, arguments);
    Result result;
    if (!process.waitForStarted(timeoutMs)) {
        ADD_FAILURE() << "zunova did not start";
        return result;
    }
    process.write(input);
    process.closeWriteChannel();
    if (!process.waitForFinished(timeoutMs)) {
        process.kill();
        process.waitForFinished(5'000);
        ADD_FAILURE() << "zunova " << arguments.join(u' ').left(200).toStdString()
                      << " did not finish within " << timeoutMs << " ms";
        return result;
    }
    result.finished = true;
    result.status = process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
    result.out = process.readAllStandardOutput();
    result.err = process.readAllStandardError();
    return result;
}

QString errorText(ErrorNumber number) {
    return RuntimeError::errorText(number);
}

// k.dat: named and unnamed codes, a duplicate and an out-of-range key, then a malformed field on
// line 5 and a record no lookup ever reaches. p.dat: a record, then one cut short.
const QByteArray kFlawedK = "123,1,1,2,2,3,3,4,4,9,9\r\n"
                            "500,0,5,6,7,8,-1,&H7FFF,-32768,10,4\r\n"
                            "123,9,9,9,9,9,9,9,9,9,9\r\n"
                            "1000,1,1,1,1,1,1,1,1,1,1\r\n"
                            "600,1,x,1,1,1,1,1,1,1,1\r\n"
                            "777,1,1,1,1,1,1,1,1,1,1\r\n";
const QByteArray kFlawedP = "123,1,1,2,2,3,3,9,9,4,0\r\n5,1,1\r\n";

// What the window does with `number` pasted, in the current working directory, in the command
// line's words: the line on standard output and the messages on standard error.
struct Expected {
    QString line;
    QStringList messages;
};

Expected asPasted(const QString& number) {
    FileScan scan;
    const zunova::lookup::Answer answer =
        zunova::lookup::lookUp(zunova::lookup::digitsOfWrittenNumber(number), scan);
    if (const auto* carrier = std::get_if<zunova::lookup::Carrier>(&answer))
        return {number + u'\t' + carrier->name(), {}};
    QString why;
    if (const auto* warning = std::get_if<zunova::lookup::Warning>(&answer)) {
        why = zunova::lookup::fixedText(warning->text);
        // A mobile number no data file holds is said to be never looked up.
        if (number.startsWith(u"080") && number.size() == 11)
            why += QStringLiteral("; 080 numbers are not looked up: there is no data for them");
    } else {
        const auto& e = std::get<RuntimeError>(answer);
        if (!e.file().isEmpty())
            why = e.line() > 0 ? QStringLiteral("%1:%2: ").arg(e.file()).arg(e.line())
                               : e.file() + QStringLiteral(": ");
        why += QStringLiteral("error %1: %2").arg(static_cast<int>(e.number())).arg(e.text());
    }
    return {number + u'\t', {QStringLiteral("zunova: %1: %2").arg(number, why)}};
}

// The files a running process has mapped (/proc/PID/maps), one path each.
QStringList mappedFiles(qint64 pid) {
    QFile maps(QStringLiteral("/proc/%1/maps").arg(pid));
    QStringList files;
    if (!maps.open(QIODevice::ReadOnly))
        return files;
    for (const QByteArray& line : maps.readAll().split('\n'))
        if (const qsizetype path = line.indexOf(" /"); path >= 0)
            files.append(QString::fromLocal8Bit(line.mid(path + 1)));
    files.removeDuplicates();
    return files;
}

// Each test runs in a folder of its own holding the flawed k.dat above.
class CommandLine : public ::testing::Test {
protected:
    CommandLine() { dir.write("k.dat", kFlawedK); }
    Result invoke(const QStringList& arguments, const QByteArray& input = {},
                  int timeoutMs = kTimeoutMs) {
        return runZunova(arguments, input, dir.path(), timeoutMs);
    }
    TempWorkDir dir;
};
using CheckDataFile = CommandLine;

TEST_F(CommandLine, HelpAndVersionGoToStandardOutput) {
    for (const char* option : {"--help", "-h"}) {
        SCOPED_TRACE(option);
        const Result run = invoke({QString::fromLatin1(option)});
        EXPECT_EQ(run.status, 0);
        EXPECT_TRUE(run.outText().startsWith(QStringLiteral("Usage: zunova [options] ")))
            << run.out.toStdString();
        // Every mode and option is described.
        for (const char* text : {"--version", "zunova NUMBER...", "zunova -", "--check FILE...",
                                 "--kind <k|p>", "Exit status", "k.dat", "p.dat", "--csv <FILE>",
                                 "--column <N|NAME>", "--encoding <NAME>"})
            EXPECT_TRUE(run.outText().contains(QString::fromLatin1(text))) << text;
        EXPECT_EQ(run.err, QByteArray());
    }
    // Every line of the help fits a terminal of 80 columns, in both languages; a Japanese
    // character takes two.
    for (const char* language : {"LANG=en_US.UTF-8", "LANG=ja_JP.UTF-8"}) {
        const Result run = runZunova({"--help"}, {}, dir.path(), kTimeoutMs,
                                     QProcess::SeparateChannels, {language});
        ASSERT_EQ(run.outText().contains(QStringLiteral(u"書式")), language[5] == 'j');
        for (const QString& line : run.outText().split(u'\n')) {
            const auto columns = std::accumulate(line.begin(), line.end(), 0, [](int n, QChar c) {
                const char16_t u = c.unicode();
                const bool wide = (u >= 0x1100 && u <= 0x115F) || (u >= 0x2E80 && u <= 0xA4CF) ||
                                  (u >= 0xAC00 && u <= 0xD7A3) || (u >= 0xF900 && u <= 0xFAFF) ||
                                  (u >= 0xFF01 && u <= 0xFF60) || (u >= 0xFFE0 && u <= 0xFFE6);
                return n + (wide ? 2 : 1);
            });
            EXPECT_LT(columns, 80) << language << ": " << line.toStdString();
        }
    }
    // Started in a folder of the user's, the program loads no library from it.
    dir.write("libQt6Core.so.6", "not a library");
    const Result run = invoke({QStringLiteral("--version")});
    EXPECT_EQ(run.status, 0) << run.err.toStdString();
    EXPECT_EQ(run.outText(),
              QStringLiteral("zunova %1\n").arg(QString::fromLatin1(zunova::kVersionString)));
    EXPECT_EQ(run.err, QByteArray());
}

// The command line maps Qt Core and nothing a display needs, even while it is at work.
TEST_F(CommandLine, LoadsQtCoreOnly) {
    QProcess process;
    process.setWorkingDirectory(dir.path());
    process.start(kExecutable, {"-"});
    ASSERT_TRUE(process.waitForStarted(kTimeoutMs));
    // More answers than the output buffer holds: once some arrive, the program is answering,
    // and its standard input is still open.
    process.write(QByteArray("09012345678\n").repeated(10'000));
    ASSERT_TRUE(process.waitForReadyRead(kTimeoutMs));
    const QStringList files = mappedFiles(process.processId());
    process.closeWriteChannel();
    EXPECT_TRUE(process.waitForFinished(kTimeoutMs));
    EXPECT_EQ(process.exitCode(), 0);
    EXPECT_EQ(files.filter(QStringLiteral("/libQt6Core.so")).size(), 1)
        << files.join(u'\n').toStdString();
    for (const char* library : {"/libQt6Gui.", "/libQt6Widgets.", "/libX11.", "/libxcb.", "/libGL",
                                "/libEGL.", "/libfontconfig.", "/libfreetype.", "/window.so"})
        EXPECT_EQ(files.filter(QString::fromLatin1(library)), QStringList()) << library;
}

// Without arguments the window module is loaded from its place beside the program, never from
// the working directory; a program whose module is not there says so.
TEST_F(CommandLine, WindowComesFromBesideTheProgram) {
    for (const char* fake :
         {"libQt6Core.so.6", "libQt6Gui.so.6", "libQt6Widgets.so.6", "window.so"})
        dir.write(QString::fromLatin1(fake), "not a library");
    QProcess window;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    window.setProcessEnvironment(env);
    window.setWorkingDirectory(dir.path());
    window.start(kExecutable, {});
    ASSERT_TRUE(window.waitForStarted(kTimeoutMs));
    const QString module = QFileInfo(QStringLiteral(ZUNOVA_WINDOW_MODULE)).canonicalFilePath();
    QStringList files;
    for (int waited = 0; waited < kTimeoutMs && window.state() == QProcess::Running; waited += 50) {
        files = mappedFiles(window.processId());
        if (files.contains(module) && !files.filter(QStringLiteral("/libQt6Widgets.so")).isEmpty())
            break;
        window.waitForFinished(50);
    }
    EXPECT_EQ(window.state(), QProcess::Running) << window.readAllStandardError().toStdString();
    window.kill();
    window.waitForFinished(kTimeoutMs);
    EXPECT_TRUE(files.contains(module)) << files.join(u'\n').toStdString();
    EXPECT_EQ(files.filter(QStringLiteral("/libQt6Widgets.so")).size(), 1);
    EXPECT_EQ(files.filter(QFileInfo(dir.path()).canonicalFilePath()), QStringList());

    ASSERT_TRUE(QDir(dir.path()).mkdir(QStringLiteral("bin")));
    const QString moved = dir.path() + QStringLiteral("/bin/zunova");
    ASSERT_TRUE(QFile::copy(kExecutable, moved));
    QProcess alone;
    alone.setProcessEnvironment(env);
    alone.start(moved, {});
    ASSERT_TRUE(alone.waitForFinished(kTimeoutMs));
    EXPECT_EQ(alone.exitCode(), 1);
    EXPECT_TRUE(alone.readAllStandardError().startsWith("zunova: cannot open the window: "));
    EXPECT_EQ(alone.readAllStandardOutput(), QByteArray());
    // Nor the workbooks' module: the loader's reason is said.
    dir.write("book.xlsx", "PK\x03\x04");
    alone.setWorkingDirectory(dir.path());
    alone.start(moved, {QStringLiteral("--csv"), QStringLiteral("book.xlsx"), QStringLiteral("-o"),
                        QStringLiteral("copy.xlsx")});
    ASSERT_TRUE(alone.waitForFinished(kTimeoutMs));
    EXPECT_EQ(alone.exitCode(), 2);
    const QString said = QString::fromUtf8(alone.readAllStandardError());
    EXPECT_TRUE(
        said.startsWith(QStringLiteral("zunova: book.xlsx: workbooks cannot be read here")) &&
        said.contains(QStringLiteral("workbook.so: cannot open shared object file")))
        << said.toStdString();
}

TEST_F(CommandLine, UsageErrors) {
    const std::vector<QStringList> cases{
        {"--bogus"},
        {"-x"},
        {"--check"},
        {"--check", "--kind", "x", "k.dat"},
        {"--check", "--kind", "kp", "k.dat"},
        {"--kind", "p", "09012345678"},
        {"--"},
        {"--column", "2", "09012345678"},
        {"--csv", "list.csv", "09012345678"},
        {"--csv", "list.csv", "--check"},
        {"--csv", "list.csv", "--column", "0"},
        {"--csv", "list.csv", "--encoding", "latin1"},
    };
    for (const QStringList& arguments : cases) {
        SCOPED_TRACE(arguments.join(u' ').toStdString());
        const Result run = invoke(arguments);
        EXPECT_EQ(run.status, 2);
        EXPECT_EQ(run.out, QByteArray());
        // What went wrong, the usage line, and where to read more.
        const QStringList lines = run.errLines();
        ASSERT_EQ(lines.size(), 3) << run.err.toStdString();
        EXPECT_TRUE(lines[0].startsWith(QStringLiteral("zunova: ")));
        EXPECT_EQ(lines[1],
                  QStringLiteral("Usage: zunova [options] [NUMBER... | - | --check FILE... | "
                                 "--csv FILE]"));
        EXPECT_EQ(lines[2], QStringLiteral("Try 'zunova --help' for more information."));
    }
}

// The locale's language, read as gettext reads it: LC_ALL, LC_MESSAGES, LANG, then LANGUAGE's
// list, which the C locale ignores.
TEST_F(CommandLine, SpeaksTheLocalesLanguage) {
    const std::vector<std::pair<QStringList, bool>> cases{
        {{"LANG=ja_JP.UTF-8"}, true},
        {{"LANG=ja"}, true},
        {{"LANG=C", "LC_ALL=ja_JP.eucJP"}, true},
        {{"LANG=en_US.UTF-8", "LC_MESSAGES=ja_JP.UTF-8"}, true},
        {{"LANG=en_GB.UTF-8", "LANGUAGE=fr:ja"}, true},
        {{"LANG=ja_JP.UTF-8", "LC_ALL=C"}, false},
        {{"LANG=ja_JP.UTF-8", "LC_MESSAGES=POSIX"}, false},
        {{"LANG=ja_JP.UTF-8", "LANGUAGE=en:ja"}, false},
        {{"LANG=C.UTF-8", "LANGUAGE=ja"}, false},
        {{"LANG=en_US.UTF-8"}, false},
    };
    for (const auto& [environment, japanese] : cases) {
        SCOPED_TRACE(environment.join(u' ').toStdString());
        const Result run = runZunova({"--bogus"}, {}, dir.path(), kTimeoutMs,
                                     QProcess::SeparateChannels, environment);
        EXPECT_EQ(run.errLines().value(1).startsWith(QStringLiteral("Usage: zunova")), !japanese);
        EXPECT_EQ(run.errLines().value(1).startsWith(QStringLiteral(u"書式: zunova")), japanese);
    }
}

// Every message of the command line, under a Japanese and an English locale: in Japanese no
// English word is left but names (options, files, encodings, formats, the design's carriers), in
// English no Japanese but the design's own texts; the answers and a list's rows are the same
// bytes in both.
TEST_F(CommandLine, EveryMessageInTheLocalesLanguage) {
    dir.write("list.csv",
              "tel,name\r\n09012345678,a\r\n,b\r\n0901234,c,d\r\n9012345678,e\r\n\"0,f");
    dir.write("eof.dat", "123,1,1,2,2,3,3,4,4,9,9\r\n\x1a\r\n5,1\r\n");
    dir.write("utf16.csv", "\xff\xfe\x00\xd8\x30\x00");
    const std::vector<std::pair<QStringList, bool>> runs{
        // the arguments, and whether standard output is the same in both languages
        {{"--help"}, false},
        {{"--bogus"}, true},
        {{"-x", "-y"}, true},
        {{"--csv"}, true},
        {{"--help=x"}, true},
        {{"--"}, true},
        {{"--check"}, true},
        {{"--check", "--kind", "x", "k.dat"}, true},
        {{"--kind", "p", "0"}, true},
        {{"--column", "2", "0"}, true},
        {{"--csv", "list.csv", "0"}, true},
        {{"--csv", "list.csv", "--column", "0"}, true},
        {{"--csv", "list.csv", "--sheet", " "}, true},
        {{"--csv", "list.csv", "--encoding", "latin1"}, true},
        {{"--csv", ""}, true},
        {{"--csv", "list.csv", "-o", ""}, true},
        {{"--check", "k.dat", "eof.dat", "missing.dat", ""}, false},
        {{"0901234", "08012345678", "9012345678", "07012345678", "0901A345678", "09077705678",
          QString(60, u'1')},
         true},
        {{"--csv", "list.csv"}, true},
        {{"--csv", "utf16.csv"}, true},
        {{"--csv", "missing.csv"}, true},
    };
    // Japanese the design wrote, which every locale shows.
    QStringList designs{zunova::lookup::fixedText(zunova::lookup::kWrongLength.text),
                        zunova::lookup::fixedText(zunova::lookup::kNotMobile.text),
                        QStringLiteral(u"キャリア"), QStringLiteral(u"備考")};
    for (const int number : {6, 13, 53, 57, 62, 70, 75})
        designs << errorText(ErrorNumber(number));
    for (int network = 0; network < zunova::lookup::kNetworkCount; ++network)
        for (const auto& carrier : zunova::lookup::networkAt(network).carriers)
            designs << zunova::lookup::fixedText(carrier.name);
    const QRegularExpression japanese(QStringLiteral(u"[\u3000-\u9fff\uff00-\uffef]"));
    // Names of files and options, and what the user gave, quoted.
    const QRegularExpression names(
        QStringLiteral(u"\\S*[./]\\S*|(?<![[:alnum:]])--?[a-z][a-z-]*|「[^」]*」"));
    const QRegularExpression word(QStringLiteral("[A-Za-z][A-Za-z_]+"));
    const QStringList allowed{"zunova", "PHS",       "UTF",       "utf", "le",    "be",
                              "cp",     "shift_jis", "Shift_JIS", "RFC", "Excel", "CSV",
                              "xNN",    "Phone",     "TuKa",      "MiB", "Ctrl",  "DOS"};
    for (const auto& [arguments, sameOutput] : runs) {
        SCOPED_TRACE(arguments.join(u' ').toStdString());
        const Result english = invoke(arguments);
        const Result inJapanese = runZunova(arguments, {}, dir.path(), kTimeoutMs,
                                            QProcess::SeparateChannels, {"LANG=ja_JP.UTF-8"});
        EXPECT_EQ(english.status, inJapanese.status);
        EXPECT_TRUE(!sameOutput || english.out == inJapanese.out) << inJapanese.out.toStdString();
        EXPECT_NE(english.err + english.out, QByteArray());
        // Output the same in both is the answers and the list's rows, which the design's texts
        // and the list's notes fill in every locale.
        const QString englishOut = sameOutput ? QString() : english.outText();
        for (QString line : english.errLines() + englishOut.split(u'\n')) {
            for (const QString& design : designs)
                line.remove(design);
            EXPECT_FALSE(line.contains(japanese)) << line.toStdString();
        }
        // Standard output the same in both holds the answers and the list's rows: not words.
        const QString out = sameOutput ? QString() : inJapanese.outText();
        for (const QString& line : inJapanese.errLines() + out.split(u'\n')) {
            QRegularExpressionMatchIterator words = word.globalMatch(QString(line).remove(names));
            while (words.hasNext()) {
                const QString english = words.next().captured();
                EXPECT_TRUE(allowed.contains(english))
                    << english.toStdString() << " in " << line.toStdString();
            }
            int columns = 0; // --help fits a terminal; a wide character takes two columns
            for (const QChar c : line)
                columns += c.unicode() >= 0x1100 ? 2 : 1;
            EXPECT_TRUE(columns < 80 || arguments[0] != u"--help") << line.toStdString();
        }
    }
}

TEST_F(CommandLine, AnswersEachNumberAsTheWindowDoes) {
    dir.write("p.dat", kFlawedP);
    const QStringList numbers{
        "09012305678",
        "09012345678",
        "09050005678",
        "09050095678", // found, named or not
        "09077705678",
        "09060005678", // at or after the flaw
        "07012345678",
        "07000505678",
        "07099905678", // p.dat, then cut short
        "0901234567",
        "",
        "08012345678",
        "0901A345678", // refused or not a block
        QStringLiteral(u"090１２３４５６７８"),
        "090-1234-5678",
        QStringLiteral(u"（０９０）１２３４ー５６７８"), // as people write them
        "09012345678",                                   // again: the same answer
    };
    QString out;
    QStringList messages;
    QString log; // standard output and error in one file: each answer before its messages
    for (const QString& number : numbers) {
        const Expected expected = asPasted(number);
        out += expected.line + u'\n';
        messages += expected.messages;
        log += expected.line + u'\n' + expected.messages.join(u'\n') +
               (expected.messages.isEmpty() ? "" : "\n");
    }
    const Result run = invoke(numbers);
    EXPECT_EQ(run.status, 2); // k.dat cannot be read whole
    EXPECT_EQ(run.outText(), out);
    EXPECT_EQ(run.errLines(), messages);
    EXPECT_EQ(runZunova(numbers, {}, dir.path(), kTimeoutMs, QProcess::MergedChannels).outText(),
              log);

    // The shape scripts rely on, spelled out once.
    EXPECT_TRUE(run.outText().startsWith(QStringLiteral(u"09012305678\tＮＴＴドコモ\n"
                                                        u"09012345678\tJ-Phone\n"
                                                        u"09050005678\t不明\n"
                                                        u"09050095678\tTuKa\n"
                                                        u"09077705678\t\n")));
    EXPECT_TRUE(messages.contains(QStringLiteral("zunova: 09077705678: k.dat:5: error 13: ") +
                                  errorText(ErrorNumber::TypeMismatch)));
    EXPECT_TRUE(messages.contains(QStringLiteral("zunova: 0901A345678: error 13: ") +
                                  errorText(ErrorNumber::TypeMismatch)));
    EXPECT_TRUE(
        messages.contains(QStringLiteral(u"zunova: 0901234567: １１桁で入力してください。")));
}

// As grep and diff have them: 0 every number answered, or a list read and written whole with at
// least one row answered; 1 some number got a warning or had no number, or no row of a list got
// a carrier; 2 trouble (a usage error, a list or data file not read whole, output lost).
TEST_F(CommandLine, ExitStatusesScriptsCanUse) {
    dir.write("good.dat", "123,1,1,2,2,3,3,4,4,9,9\r\n");
    const QString list = QStringLiteral("tel,name\r\n");
    const std::vector<std::tuple<const char*, QStringList, QByteArray, int>> cases{
        // 不明 is an answer too; a missing p.dat does not matter while no 070 number is asked.
        {"every number answered", {"09012345678", "09050005678"}, {}, 0},
        {"a spreadsheet's lost zero put back", {"9012345678"}, {}, 0},
        {"a warning", {"09012345678", "0901234"}, {}, 1},
        {"a number's own error", {"0901A345678"}, {}, 1},
        {"an empty line", {"-"}, "09012345678\n\n", 1},
        {"a data file missing", {"07012345678", "09012345678"}, {}, 2},
        {"a data file flawed before the block", {"09077705678"}, {}, 2},
        {"no numbers on standard input", {"-"}, {}, 0},
        {"a usage error", {"--bogus"}, {}, 2},
        {"--check: clean", {"--check", "good.dat"}, {}, 0},
        {"--check: problems", {"--check", "k.dat"}, {}, 1},
        {"--check: a file missing", {"--check", "good.dat", "missing.dat"}, {}, 2},
        {"--csv: every row answered", {"--csv", "-"}, (list + "09012345678,a\r\n").toUtf8(), 0},
        {"--csv: a row without a number",
         {"--csv", "-"},
         (list + "09012345678,a\r\n,b\r\n").toUtf8(),
         0},
        {"--csv: a row with a warning",
         {"--csv", "-"},
         (list + "09012345678,a\r\n0901234,b\r\n").toUtf8(),
         0},
        {"--csv: no row answered", {"--csv", "-"}, (list + "08012345678,b\r\n,c\r\n").toUtf8(), 1},
        {"--csv: a data file missing: said once, stopped",
         {"--csv", "-"},
         (list + "07012345678,a\r\n07012345679,b\r\n").toUtf8(),
         2},
        {"--csv: a data file flawed", {"--csv", "-"}, (list + "09077705678,b\r\n").toUtf8(), 2},
        {"--csv: nothing to look up", {"--csv", "-"}, "", 1},
        {"--csv: not a list", {"--csv", "-"}, "a,b\r\nc,d\r\n", 2},
        {"--csv: a quote that never closes",
         {"--csv", "-"},
         (list + "09012345678,\"a\r\n09012345678,b\r\n").toUtf8(),
         2},
    };
    for (const auto& [name, arguments, input, status] : cases) {
        SCOPED_TRACE(name);
        EXPECT_EQ(invoke(arguments, input).status, status);
    }
}

struct InputCase {
    const char* name;
    QByteArray input;
    QString out;
    int messages;
};

TEST_F(CommandLine, ReadsNumbersFromStandardInput) {
    const std::vector<InputCase> cases{
        {"LF and CR LF", "09012345678\r\n09012305678\n",
         QStringLiteral(u"09012345678\tJ-Phone\n09012305678\tＮＴＴドコモ\n"), 0},
        {"last line without LF", "09012345678", "09012345678\tJ-Phone\n", 0},
        {"nothing after the final LF", "09012345678\n", "09012345678\tJ-Phone\n", 0},
        {"empty input", "", "", 0},
        {"an empty line is a number", "\n09012345678\n\n", "\t\n09012345678\tJ-Phone\n\t\n", 2},
        // Every number stays on one line of its own: control characters are spelled out.
        {"only one CR is dropped", "09012345678\r\r\n", "09012345678\\x0d\t\n", 1},
        {"a CR inside", "0901234\r678\n", "0901234\\x0d678\tJ-Phone\n", 0},
        {"a tab after the number", "09012345678\t\n", "09012345678\\x09\t\n", 1},
        {"a DEL after position 7", "0901234567\x7f\n", "0901234567\\x7f\tJ-Phone\n", 0},
        {"written with separators", "090-1234-5678\n", "090-1234-5678\tJ-Phone\n", 0},
        {"written in full-width digits", "０９０１２３４５６７８\n",
         QStringLiteral(u"０９０１２３４５６７８\tJ-Phone\n"), 0},
        {"byte-order mark",
         "\xEF\xBB\xBF"
         "09012345678\n",
         "09012345678\tJ-Phone\n", 0},
        {"NUL byte in the block",
         QByteArray("0901\0"
                    "345678\n",
                    12),
         "0901\\x00345678\t\n", 1},
        // Bytes that are not UTF-8 are shown as the bytes given, so output joins back to input.
        {"invalid UTF-8 in the block",
         "0901\xff"
         "345678\n",
         "0901\\xff345678\t\n", 1},
        {"invalid UTF-8 after position 7",
         "0901234\xc3\n"
         "09012345678\n",
         "0901234\\xc3\t\n09012345678\tJ-Phone\n", 1},
    };
    for (const InputCase& c : cases) {
        SCOPED_TRACE(c.name);
        const Result run = invoke({"-"}, c.input);
        EXPECT_EQ(run.status, c.messages == 0 ? 0 : 1);
        EXPECT_EQ(run.outText(), c.out);
        EXPECT_EQ(run.errLines().size(), c.messages) << run.err.toStdString();
    }

    // Numbers before, from and after standard input keep their order.
    const Result mixed = invoke({"09012305678", "-", "09050005678"}, "09012345678\n");
    EXPECT_EQ(mixed.outText(), QStringLiteral(u"09012305678\tＮＴＴドコモ\n09012345678\tJ-Phone\n"
                                              u"09050005678\t不明\n"));
}

TEST_F(CommandLine, MessagesShowAwkwardNumbersSafely) {
    // A control character would drive the terminal; a megabyte would flood it.
    const QByteArray escape = "090\x1b[2J34567\n";
    Result run = invoke({"-"}, escape);
    EXPECT_EQ(run.out, "090\\x1b[2J34567\t\n");
    ASSERT_EQ(run.errLines().size(), 1);
    EXPECT_TRUE(run.errLines()[0].startsWith(QStringLiteral("zunova: 090\\x1b[2J34567: ")))
        << run.err.toStdString();

    const QByteArray megabyte(1 << 20, '9');
    run = invoke({"-"}, megabyte + "\n09012345678\n");
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(run.out, megabyte + "\t\n09012345678\tJ-Phone\n");
    ASSERT_EQ(run.errLines().size(), 1);
    EXPECT_LT(run.err.size(), 200);
    EXPECT_TRUE(run.errText().endsWith(QStringLiteral(u"１１桁で入力してください。\n")));
}

TEST_F(CommandLine, EndlessLineKeepsMemoryBounded) {
    // Input without line ends (a device, a binary file): only the line's first 16 MiB are kept.
    constexpr qsizetype kept = 16 * 1024 * 1024;
    const QByteArray endless(kept + 4 * 1024 * 1024, '7');
    const Result run = invoke({"-"}, endless + "\n09012345678\n");
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(run.out.size(), kept + qsizetype(sizeof "\t\n09012345678\tJ-Phone\n") - 1);
    EXPECT_TRUE(run.out.startsWith(endless.left(kept) + "\t\n"));
    EXPECT_TRUE(run.out.endsWith("\n09012345678\tJ-Phone\n"));
    EXPECT_EQ(run.errLines().size(), 1);
}

TEST_F(CommandLine, StopsQuietlyWhenTheReaderGoesAway) {
    QByteArray list;
    for (int i = 0; i < 300'000; ++i)
        list += "09012345678\n";
    dir.write("list", list);
    // As typed, with zunova's own exit status; then with input that never ends, which only a
    // stop at the first failed write ends. `timeout` keeps a fault from outliving the test.
    const QStringList pipes{
        QStringLiteral(
            "timeout 60 \"$0\" - < list | head -n 1; echo \"status ${PIPESTATUS[0]}\" >&2"),
        QStringLiteral("yes 09012345678 | timeout 60 \"$0\" - | head -n 1; "
                       "echo \"status ${PIPESTATUS[1]}\" >&2"),
    };
    for (const QString& pipe : pipes) {
        SCOPED_TRACE(pipe.toStdString());
        QProcess shell;
        shell.setWorkingDirectory(dir.path());
        shell.start(QStringLiteral("bash"), {QStringLiteral("-c"), pipe, kExecutable});
        ASSERT_TRUE(shell.waitForFinished(kTimeoutMs)) << "the pipe did not end";
        EXPECT_EQ(shell.readAllStandardOutput(), QByteArray("09012345678\tJ-Phone\n"));
        // Exit 2 (output lost), no signal, and not a word on standard error.
        EXPECT_EQ(shell.readAllStandardError(), QByteArray("status 2\n"));
    }
}

// Output that never reaches its file is an error, whatever else went well; a closed standard
// stream is reported, never taken over by a file the program opened.
TEST_F(CommandLine, ReportsOutputThatNeverArrives) {
    const QString full = QStringLiteral("zunova: write error: No space left on device");
    const QString closedOut = QStringLiteral("zunova: standard output: Bad file descriptor");
    const std::vector<std::pair<QString, QStringList>> cases{
        {"\"$0\" --check k.dat 2>&1 >/dev/full | grep -v ^k.dat: >&2", {full}},
        {"\"$0\" --help >/dev/full", {full}},
        {"\"$0\" --version >/dev/full", {full}},
        {"\"$0\" 09012345678 >/dev/full", {full}},
        {"\"$0\" --version >&-", {closedOut}},
        {"\"$0\" 09012345678 >&-", {closedOut}},
        {"\"$0\" 090123 >&-",
         {QStringLiteral(u"zunova: 090123: １１桁で入力してください。"), closedOut}},
        {"\"$0\" - <&-", {"zunova: standard input: Bad file descriptor"}},
        {"\"$0\" --csv - <&-", {"zunova: standard input: Bad file descriptor"}},
        {"\"$0\" --csv - <<< 09012345678 >/dev/full", {full}},
    };
    for (const auto& [command, messages] : cases) {
        SCOPED_TRACE(command.toStdString());
        QProcess shell;
        shell.setWorkingDirectory(dir.path());
        shell.start(QStringLiteral("bash"),
                    {QStringLiteral("-c"),
                     command + QStringLiteral("; echo status ${PIPESTATUS[0]} >&2"), kExecutable});
        ASSERT_TRUE(shell.waitForFinished(kTimeoutMs));
        EXPECT_EQ(QString::fromUtf8(shell.readAllStandardError()).split(u'\n', Qt::SkipEmptyParts),
                  messages + QStringList{"status 2"});
    }
}

// Standard output on a terminal: each answer is there as soon as its line has been read, before
// standard input ends.
TEST_F(CommandLine, FlushesEachLineOnATerminal) {
    int master = -1;
    int slave = -1;
    ASSERT_EQ(openpty(&master, &slave, nullptr, nullptr, nullptr), 0);
    int input[2];
    ASSERT_EQ(pipe2(input, O_CLOEXEC), 0);

    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, input[0], 0);
    posix_spawn_file_actions_adddup2(&actions, slave, 1);
    posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
    const QByteArray program = QFile::encodeName(kExecutable);
    char dash[] = "-";
    char* argv[] = {const_cast<char*>(program.constData()), dash, nullptr};
    pid_t pid = -1;
    const int spawned = posix_spawn(&pid, program.constData(), &actions, nullptr, argv, environ);
    posix_spawn_file_actions_destroy(&actions);
    ::close(slave);
    ::close(input[0]);
    ASSERT_EQ(spawned, 0);

    const QByteArray number = "09012345678\n";
    ASSERT_EQ(::write(input[1], number.constData(), size_t(number.size())), number.size());
    // Standard input stays open: the answer must come without it ending.
    QByteArray seen;
    const QByteArray answer = QStringLiteral(u"09012345678\tJ-Phone").toUtf8();
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(kTimeoutMs);
    while (!seen.contains(answer) && std::chrono::steady_clock::now() < deadline) {
        pollfd watch{master, POLLIN, 0};
        if (::poll(&watch, 1, 100) > 0) {
            char buffer[256];
            const auto got = ::read(master, buffer, sizeof buffer);
            if (got <= 0)
                break;
            seen.append(buffer, got);
        }
    }
    EXPECT_TRUE(seen.contains(answer)) << "seen: " << seen.toStdString();

    ::close(input[1]);
    int status = 0;
    pid_t done = 0;
    for (int waited = 0; waited < kTimeoutMs && done == 0; waited += 100) {
        done = ::waitpid(pid, &status, WNOHANG);
        if (done == 0)
            std::this_thread::sleep_for(std::chrono::milliseconds(100));
    }
    if (done == 0) {
        ::kill(pid, SIGKILL);
        ::waitpid(pid, &status, 0);
        ADD_FAILURE() << "zunova did not end with its input";
    }
    ::close(master);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
}

struct ListCase {
    const char* name;
    QStringList arguments;
    QByteArray input; // standard input, or the file list.csv with "list.csv" among the arguments
    QByteArray out;
    QStringList messages;
    int status;
    bool withoutShiftJis = false; // run where iconv cannot convert Shift_JIS
};

QByteArray utf16(const QString& text, QStringConverter::Encoding encoding) {
    QStringEncoder encoder(encoding, QStringConverter::Flag::WriteBom);
    return encoder.encode(text);
}

TEST_F(CommandLine, AddsTheCarrierToEveryRowOfAList) {
    const QString lengthWarning = QStringLiteral(u"１１桁で入力してください。");
    const QString typeMismatch = errorText(ErrorNumber::TypeMismatch);
    const QByteArray sjisHeader = QByteArray("\x8e\x81\x96\xbc,tel\r\n"); // 氏名
    const std::vector<ListCase> cases{
        {"rows keep every byte; a header row gets the column's name",
         {"--csv", "-"},
         "name,tel,memo\r\n\"a, b\",090-1234-5678,\"x\r\ny\"\r\nc,\"09012305678\"\r\n",
         QStringLiteral(u"name,tel,memo,キャリア,備考\r\n\"a, b\",090-1234-5678,\"x\r\ny\","
                        u"\"J-Phone\",\r\nc,\"09012305678\",,\"ＮＴＴドコモ\",\"列の数が 2 "
                        u"です（ほとんどの行は 3）。\"\r\n")
             .toUtf8(),
         {},
         0},
        {"one number a line gets a tab",
         {"--csv", "list.csv"},
         "09012345678\n(090) 1230-5678\n",
         QStringLiteral(u"09012345678\tJ-Phone\t\n(090) 1230-5678\tＮＴＴドコモ\t\n").toUtf8(),
         {},
         0},
        {"each row's warning or error in its note, and said with --verbose; a data file missing "
         "is said once, where it was looked for, and stops the run",
         {"--csv", "-", "--verbose"},
         "a;09012345678\r\nb;0901234\r\nc;09077705678\r\nd;07012345678\r\n",
         (QStringLiteral(u"a;09012345678;J-Phone;\r\nb;0901234;;") + lengthWarning +
          QStringLiteral(u"\r\nc;09077705678;;実行時エラー '13': ") + typeMismatch +
          QStringLiteral(u" k.dat: 5 行目\r\n"))
             .toUtf8(),
         {QStringLiteral("zunova: standard input:2: 0901234: ") + lengthWarning,
          QStringLiteral("zunova: standard input:3: 09077705678: k.dat:5: error 13: ") +
              typeMismatch,
          QStringLiteral("zunova: p.dat: error 53: ") + errorText(ErrorNumber::FileNotFound) +
              QStringLiteral(" (looked for in DIR)")},
         2},
        {"Shift_JIS in, Shift_JIS out",
         {"--csv", "-"},
         sjisHeader + "x,09012345678\r\n",
         sjisHeader.chopped(2) + ",\x83\x4c\x83\x83\x83\x8a\x83\x41,\x94\xf5\x8d\x6c\r\n"
                                 "x,09012345678,J-Phone,\r\n",
         {},
         0},
        {"the column by its name",
         {"--csv", "-", "--column", "b"},
         "a,b\n09012305678,09012345678\n",
         QStringLiteral(u"a,b,キャリア,備考\n09012305678,09012345678,J-Phone,\n").toUtf8(),
         {},
         0},
        {"no number in any column",
         {"--csv", "-"},
         "a,b\nc,d\n",
         "",
         {QStringLiteral("zunova: standard input: no column holds a telephone number; choose one "
                         "with --column")},
         2},
        {"no column of that name",
         {"--csv", "-", "--column", "x"},
         "a,b\n",
         "",
         {QStringLiteral("zunova: standard input: no column is named 'x'")},
         2},
        {"empty",
         {"--csv", "list.csv"},
         "",
         "",
         {QStringLiteral("zunova: list.csv: no rows: nothing to look up")},
         1},
        {"binary",
         {"--csv", "-"},
         QByteArray("\x7f"
                    "ELF\2\1\1\0\0\0",
                    10),
         "",
         {QStringLiteral("zunova: standard input: not a text file (NUL or control bytes)")},
         2},
        // Workbooks that are not what they seem.
        {"a zip's first bytes and nothing more",
         {"--csv", "-", "-o", "out.xlsx"},
         QByteArray("PK\3\4\0\0\x14\0", 8),
         "",
         {QStringLiteral(
             "zunova: standard input: not an Excel workbook (not a zip, as an .xlsx is)")},
         2},
        {"a file named .xlsx that is text",
         {"--csv", "list.xlsx", "-o", "out.xlsx"},
         "09012345678\n",
         "",
         {QStringLiteral("zunova: list.xlsx: not an Excel workbook (not a zip, as an .xlsx is)")},
         2},
        {"the old binary .xls",
         {"--csv", "-", "-o", "out.xlsx"},
         QByteArray("\xD0\xCF\x11\xE0\xA1\xB1\x1A\xE1") + QByteArray(504, '\0'),
         "",
         {QStringLiteral("zunova: standard input: not an Excel workbook (no workbook in it)")},
         2},
        {"missing",
         {"--csv", "missing.csv"},
         "",
         "",
         {QStringLiteral("zunova: missing.csv: no such file or folder")},
         2},
        // Many read pieces: a UTF-16 character or line end may be cut between two.
        {"UTF-16LE longer than a read",
         {"--csv", "list.csv"},
         utf16(QStringLiteral(u"番号\r\n") + QStringLiteral(u"090-1234-5678\r\n").repeated(9'000),
               QStringConverter::Utf16LE),
         utf16(QStringLiteral(u"番号\tキャリア\t備考\r\n") +
                   QStringLiteral(u"090-1234-5678\tJ-Phone\t\r\n").repeated(9'000),
               QStringConverter::Utf16LE),
         {},
         0},
        {"UTF-16BE longer than a read",
         {"--csv", "-"},
         utf16(QStringLiteral(u"ｘ,09012305678\n").repeated(7'000), QStringConverter::Utf16BE),
         utf16(QStringLiteral(u"ｘ,09012305678,ＮＴＴドコモ,\n").repeated(7'000),
               QStringConverter::Utf16BE),
         {},
         0},
        {"Shift_JIS where iconv cannot convert it: refused, never read as UTF-8",
         {"--csv", "-"},
         sjisHeader + "x,09012345678\r\n",
         "",
         {QStringLiteral("zunova: standard input: Shift_JIS cannot be read or written on this "
                         "system (iconv has no CP932)")},
         2,
         true},
        {"UTF-8 where iconv cannot convert Shift_JIS: read as before",
         {"--csv", "-"},
         QStringLiteral(u"名前,tel\nx,09012345678\n").toUtf8(),
         QStringLiteral(u"名前,tel,キャリア,備考\nx,09012345678,J-Phone,\n").toUtf8(),
         {},
         0,
         true},
        // What lists really hold.
        {"a mobile column after a landline one; numbers as lists write them",
         {"--csv", "-"},
         QStringLiteral(u"会社電話,携帯電話,備考\r\n03-1234-5678,+81 90-1234-5678,\r\n"
                        u"03-1234-5679,9012305678,\r\n06-1234-5678,,\r\n"
                        u"03-1234-5670,TEL:090-1234-5678（本人）,\r\n")
             .toUtf8(),
         QStringLiteral(
             u"会社電話,携帯電話,備考,キャリア,備考2\r\n03-1234-5678,+81 90-1234-5678,,J-Phone,\r\n"
             u"03-1234-5679,9012305678,,ＮＴＴドコモ,表計算ソフトが落とした先頭の 0 "
             u"を補いました。\r\n"
             u"06-1234-5678,,,,番号がありません。\r\n"
             u"03-1234-5670,TEL:090-1234-5678（本人）,,J-Phone,\r\n")
             .toUtf8(),
         {QStringLiteral(u"zunova: standard input: numbers in column 2 (携帯電話), header on line "
                         u"1: cellular: ＮＴＴドコモ 1, J-Phone 2; without a number 1; 4 rows in "
                         u"all")},
         0},
        {"a list an earlier run wrote: carriers written again, a short row's note counts its own "
         "cells",
         {"--csv", "-"},
         QStringLiteral(u"name,tel,キャリア,備考\nx,09012345678,ａｕ,\ny,09012305678,,\nz\n")
             .toUtf8(),
         QStringLiteral(
             u"name,tel,キャリア,備考\nx,09012345678,J-Phone,\ny,09012305678,ＮＴＴドコモ,"
             u"\nz,,,番号がありません。 列の数が 1 です（ほとんどの行は 2）。\n")
             .toUtf8(),
         {QStringLiteral(
             u"zunova: standard input: numbers in column 2 (tel), header on line 1: "
             u"cellular: ＮＴＴドコモ 1, J-Phone 1; without a number 1; 3 rows in all")},
         0},
        {"a stray control byte in a short list: kept, and said with its line",
         {"--csv", "-", "--verbose"},
         "name,tel\nx,09012345678\ny\x01z,09012305678\n",
         QStringLiteral(u"name,tel,キャリア,備考\nx,09012345678,J-Phone,\ny\x01z,09012305678,"
                        u"ＮＴＴドコモ,行に制御文字があります（そのまま残しました）。\n")
             .toUtf8(),
         {QStringLiteral("zunova: standard input:3: a control character in the row, kept as it is"),
          QStringLiteral(u"zunova: standard input: numbers in column 2 (tel), header on line 1: "
                         u"cellular: ＮＴＴドコモ 1, J-Phone 1; 2 rows in all; 1 row holds a "
                         u"control character (on line 3), kept as it is")},
         0},
        {"of several numbers, the one answered got no carrier: said once, not as its carrier",
         {"--csv", "-", "--verbose"},
         "name,tel\nx,080-1234-5678 / 03-1234-5678\n",
         QStringLiteral(
             u"name,tel,キャリア,備考\nx,080-1234-5678 / 03-1234-5678,,移動電話の番号では"
             u"ありません。 080 の番号は調べられません（そのデータがありません）。 欄に番号"
             u"が複数あります。08012345678 についての結果です。\n")
             .toUtf8(),
         {QStringLiteral(u"zunova: standard input:2: 08012345678: 移動電話の番号ではありません。; "
                         u"080 numbers are not looked up: there is no data for them; the cell "
                         u"holds several numbers: this answers 08012345678"),
          QStringLiteral(u"zunova: standard input: numbers in column 2 (tel), header on line 1: "
                         u"warnings 1; 1 row in all")},
         1},
        {"a header row alone",
         {"--csv", "-"},
         "name,tel\r\n",
         "",
         {QStringLiteral("zunova: standard input: a header row alone: nothing to look up")},
         1},
        // Nothing lost without a word.
        {"a quote that never closes: its rows are written as they were, and said",
         {"--csv", "-"},
         "a,09012345678\nb,\"09012305678\nc,09012345678\nd,09012345678",
         "a,09012345678,J-Phone,\nb,\"09012305678\nc,09012345678\nd,09012345678",
         {QStringLiteral("zunova: standard input:2: a quote opened on this line never closes: the "
                         "3 lines from here to the end were read as one row, written as they are "
                         "without a carrier")},
         2},
        {"a quote that never closes within the cap: memory stays bounded",
         {"--csv", "-"},
         "x,09012345678\n\"" + QByteArray("a\n").repeated(9 * 1024 * 1024),
         "x,09012345678,J-Phone,\n",
         {QStringLiteral(
             "zunova: standard input:2: a quote opened on this line does not close "
             "within 16 MiB (it took in 8388608 lines); nothing from it on is written")},
         2},
        {"a line without line ends: memory stays bounded",
         {"--csv", "-"},
         "x,09012345678\n" + QByteArray(17 * 1024 * 1024, 'a'),
         "x,09012345678,J-Phone,\n",
         {QStringLiteral("zunova: standard input:2: a line longer than 16 MiB; nothing from it on "
                         "is written")},
         2},
        // A first megabyte of ASCII alone: a file is read ahead for the encoding; standard input
        // stops where its rows stop reading as UTF-8, before a carrier of another encoding.
        {"Shift_JIS after a megabyte of ASCII, from a file",
         {"--csv", "list.csv"},
         QByteArray("09012345678,x\r\n").repeated(80'000) + "09012305678,\x8e\x81\x96\xbc\r\n",
         QByteArray("09012345678,x,J-Phone,\r\n").repeated(80'000) +
             "09012305678,\x8e\x81\x96\xbc,\x82\x6d\x82\x73\x82\x73\x83\x68\x83\x52\x83\x82,\r\n",
         {},
         0},
        {"Shift_JIS after a megabyte of ASCII, from standard input",
         {"--csv", "-"},
         QByteArray("09012345678,x\r\n").repeated(80'000) + "09012305678,\x8e\x81\x96\xbc\r\n",
         QByteArray("09012345678,x,J-Phone,\r\n").repeated(80'000),
         {QStringLiteral("zunova: standard input:80001: from here on not UTF-8, which its start "
                         "was read in (it reads as Shift_JIS); nothing from here on is written; "
                         "give its encoding with --encoding")},
         2},
    };
    for (const ListCase& c : cases) {
        SCOPED_TRACE(c.name);
        const bool fromFile = c.arguments.contains(QStringLiteral("list.csv")) ||
                              c.arguments.contains(QStringLiteral("list.xlsx"));
        if (fromFile)
            dir.write(c.arguments.contains(QStringLiteral("list.xlsx")) ? "list.xlsx" : "list.csv",
                      c.input);
        const Result run =
            c.withoutShiftJis
                ? runZunova(c.arguments, fromFile ? QByteArray() : c.input, dir.path(), kTimeoutMs,
                            QProcess::SeparateChannels, kWithoutShiftJis)
                : invoke(c.arguments, fromFile ? QByteArray() : c.input);
        EXPECT_EQ(run.status, c.status);
        EXPECT_EQ(run.out.toStdString(), c.out.toStdString());
        // The run's one line of what it read and got, unless the case looks at it.
        QStringList said = run.errLines().replaceInStrings(dir.path(), QStringLiteral("DIR"));
        if (c.messages.filter(QStringLiteral("numbers in column")).isEmpty())
            said.removeIf(
                [](const QString& line) { return line.contains(u": numbers in column"); });
        EXPECT_EQ(said, c.messages);
    }
}

struct TargetCase {
    const char* name;
    const char* setUp; // in a folder of its own, which holds k.dat, list.csv (more than the first
                       // megabyte, from which the format is found) and book.xlsx
    const char* run;   // "$0" is the program; `opened PID` waits until its output is open
    QStringList err;   // standard error, "status N", then what else changed in the folder
    const char* changed = ""; // a file that may change
};

// -o writes a file whole or not at all, under any way out, and never over the list, a file its
// owner made read-only or under a name of the other format; a FIFO or a device is written
// through and never replaced. Temporary files unnamed (O_TMPFILE) or, as on a file system without
// them, named ($named).
TEST_F(CommandLine, WritesTheOutputFileWholeWhereItMay) {
    dir.write("list.csv", QByteArray("09012345678\n").repeated(100'000));
    dir.write("book.xlsx", "PK\3\4");
    const auto theList = [](const QString& target, const QString& list) {
        return QStringList{QStringLiteral("zunova: %1: the list itself (%2), which is never "
                                          "written over: give -o another name")
                               .arg(target, list),
                           "status 2"};
    };
    const std::vector<TargetCase> cases{
        {"over a file, its mode kept",
         "echo old > out.csv; chmod 640 out.csv",
         "\"$0\" --csv list.csv -o out.csv && wc -l < out.csv >&2 && stat -c %a out.csv >&2",
         {"100000", "640", "status 0"},
         "out.csv"},
        {"a new file through a symbolic link",
         "ln -s new.csv out.csv",
         "\"$0\" --csv list.csv -o out.csv && wc -l < new.csv >&2",
         {"100000", "status 0"},
         "new.csv"},
        {"a FIFO",
         "mkfifo fifo",
         "\"$0\" --csv list.csv -o fifo & timeout 60 cat fifo | wc -l >&2; wait $!",
         {"100000", "status 0"}},
        // As root, a node of its own: never the system's /dev/null.
        {"a device",
         "if [ $(id -u) = 0 ]; then mknod null c 1 3; else ln -s /dev/null null; fi",
         "\"$0\" --csv list.csv -o null",
         {"status 0"}},
        {"the list", "", "\"$0\" --csv list.csv -o list.csv", theList("list.csv", "list.csv")},
        {"the list as ./", "", "\"$0\" --csv list.csv -o ./list.csv",
         theList("./list.csv", "list.csv")},
        {"the list by a symbolic link", "ln -s list.csv l.csv", "\"$0\" --csv list.csv -o l.csv",
         theList("l.csv", "list.csv")},
        {"the list by a hard link", "ln list.csv l.csv", "\"$0\" --csv list.csv -o l.csv",
         theList("l.csv", "list.csv")},
        {"the list on standard input", "", "\"$0\" --csv - -o list.csv < list.csv",
         theList("list.csv", "standard input")},
        {"the workbook", "", "\"$0\" --csv book.xlsx -o ./book.xlsx",
         theList("./book.xlsx", "book.xlsx")},
        {"a workbook to a text list's name",
         "",
         "\"$0\" --csv book.xlsx -o copy.csv",
         {"zunova: copy.csv: a name for a text list, but book.xlsx is an Excel workbook, and so "
          "is its copy: give -o a name ending .xlsx or .xlsm",
          "status 2"}},
        {"a text list to a workbook's name",
         "",
         "\"$0\" --csv list.csv -o out.XLSX",
         {"zunova: out.XLSX: a name for an Excel workbook, but list.csv is a text list, and so is "
          "what is written: give -o a name ending .csv, .tsv or .txt",
          "status 2"}},
        {"a file its owner made read-only",
         "echo old > out.csv; chmod 444 out.csv",
         "\"$0\" --csv list.csv -o out.csv",
         {"zunova: out.csv: read-only (its owner may not write it): left as it is", "status 2"}},
        {"too large to write",
         "echo old > out.csv",
         "ulimit -f 1; $named \"$0\" --csv list.csv -o out.csv",
         {"zunova: out.csv: File too large", "status 2"}},
        // A list on a FIFO held open: the run waits for more.
        {"SIGTERM",
         "mkfifo in",
         "exec 3<> in; \"$0\" --csv - -o out.csv < in & cat list.csv >&3; opened $!; kill $!; "
         "wait $!",
         {"status 143"}},
        // Job control on, so a background job's SIGINT is not ignored; its notice left out.
        {"SIGINT over a file, named",
         "mkfifo in; echo old > out.csv",
         "set -m; exec 3<> in; $named \"$0\" --csv - -o out.csv < in & cat list.csv >&3; "
         "opened $!; kill -INT $!; wait $! 2>/dev/null",
         {"status 130"}},
        // Its warnings (-v: one a row) fill a FIFO nobody reads yet: the run waits there while the
        // list changes.
        {"the list changes",
         "(cat list.csv; yes 0901234 | head -n 4000) > l.csv; mkfifo err",
         "\"$0\" --csv l.csv -o out.csv -v 2<> err & opened $!; echo 09012345678 >> l.csv; "
         "tail -n 1 err >&2; wait $!",
         {"zunova: l.csv: it changed while it was read; the rows written may mix old and new "
          "contents",
          "status 2"},
         "l.csv"},
    };
    // snap: the folder's entries but one, each with its mode, inode, and a file's size and time.
    const QString helpers = QStringLiteral(
        "snap() { find . -mindepth 1 ! -name \"$1\" \\( -type p -printf '%p %M %i\\n' -o "
        "-printf '%p %M %i %s %T@\\n' \\) | sort; }; "
        "opened() { until find /proc/$1/fd -lname '*/#*' -o -lname '*out.csv.*' 2>/dev/null | "
        "grep -q .; do [ -d /proc/$1 ] || return; sleep 0.01; done; }; "
        "named='env LD_PRELOAD=" ZUNOVA_NO_TMPFILE " ASAN_OPTIONS=verify_asan_link_order=0'; ");
    for (std::size_t i = 0; i < cases.size(); ++i) {
        const TargetCase& c = cases[i];
        SCOPED_TRACE(c.name);
        QProcess shell;
        shell.setWorkingDirectory(dir.path());
        shell.start(QStringLiteral("bash"),
                    {QStringLiteral("-c"),
                     helpers + QStringLiteral("mkdir %1 && cp k.dat list.csv book.xlsx %1 && cd %1 "
                                              "&& %2 || exit; before=$(snap %3); %4; echo status "
                                              "$? >&2; snap %3 | diff <(echo \"$before\") - >&2")
                                   .arg(QString::number(i), *c.setUp ? c.setUp : ":",
                                        QString::fromUtf8(c.changed), c.run),
                     kExecutable});
        ASSERT_TRUE(shell.waitForFinished(kTimeoutMs));
        // What the run did (said of every list written to a file) is another test's.
        QStringList err =
            QString::fromUtf8(shell.readAllStandardError()).split(u'\n', Qt::SkipEmptyParts);
        err.removeIf([](const QString& line) { return line.contains(u": numbers in column"); });
        EXPECT_EQ(err, c.err);
    }
}

// What the bash completion asks the program for: the columns of the list given with --csv, as
// the program reads that list, and a workbook's sheets; nothing where there is no list to read.
TEST_F(CommandLine, CompletesTheColumnsAndSheetsOfTheList) {
    using zunova::testing::kMain;
    const QByteArray sheet = "<worksheet " + kMain + "><sheetData/></worksheet>";
    const QByteArray book = zunova::testing::zipOf(zunova::testing::workbookParts(
        {{QStringLiteral(u"名簿").toUtf8(), sheet}, {"Sheet 2", sheet}}, {}, {}));
    struct Case {
        const char* name;
        QStringList arguments; // after --complete; the list is list.csv or book.xlsx
        QByteArray list;
        QStringList values;
        int status;
    };
    const std::vector<Case> cases{
        {"a header: positions, then its names",
         {"column", "--csv", "list.csv"},
         "name, tel\n",
         {"1", "2", "name", "tel"},
         0},
        {"no header: positions alone",
         {"column", "--csv", "list.csv"},
         "x;09012345678;y\n",
         {"1", "2", "3"},
         0},
        {"a header in Shift_JIS",
         {"column", "--csv", "list.csv"},
         "\x8e\x81\x96\xbc,tel\r\nx,09012345678\r\n",
         {"1", "2", QStringLiteral(u"氏名"), "tel"},
         0},
        {"a header in UTF-16",
         {"column", "--encoding", "utf-16le", "--csv", "list.csv"},
         utf16(QStringLiteral(u"番号\t名前\r\n"), QStringConverter::Utf16LE),
         {"1", "2", QStringLiteral(u"番号"), QStringLiteral(u"名前")},
         0},
        {"a name that holds a line break is left out",
         {"column", "--csv", "list.csv"},
         "\"a\nb\",tel\n",
         {"1", "2", "tel"},
         0},
        {"a workbook's sheets",
         {"sheet", "--csv", "book.xlsx"},
         book,
         {"1", "2", QStringLiteral(u"名簿"), "Sheet 2"},
         0},
        {"no columns of a workbook", {"column", "--csv", "book.xlsx"}, book, {}, 0},
        {"no sheets of a text list", {"sheet", "--csv", "list.csv"}, "name,tel\n", {}, 0},
        {"standard input is never read", {"column", "--csv", "-"}, "name,tel\n", {}, 2},
        {"no list", {"column"}, {}, {}, 2},
        {"a missing list", {"column", "--csv", "missing.csv"}, {}, {}, 2},
        {"an option with no such values", {"kind", "--csv", "list.csv"}, "a,b\n", {}, 0},
        {"no such option", {"bogus", "--csv", "list.csv"}, "a,b\n", {}, 2},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const QString file = c.arguments.contains(QStringLiteral("book.xlsx"))
                                 ? QStringLiteral("book.xlsx")
                                 : QStringLiteral("list.csv");
        dir.write(file, c.list);
        const Result run = invoke(QStringList{QStringLiteral("--complete")} + c.arguments, c.list);
        EXPECT_EQ(run.status, c.status);
        QStringList values = run.outText().split(u'\n');
        EXPECT_EQ(values.takeLast(), QString()) << "every value ends its line";
        EXPECT_EQ(values, c.values);
        EXPECT_EQ(run.err, QByteArray());
    }
}

TEST_F(CheckDataFile, ReportsEveryProblemAndASummary) {
    const Result run = invoke({"--check", "k.dat"});
    EXPECT_EQ(run.status, 1);
    QStringList lines = run.errLines();
    ASSERT_EQ(lines.size(), 5) << run.err.toStdString();
    EXPECT_EQ(lines.takeFirst(), QStringLiteral("k.dat:2: \"&H7FFF\" read as 32767"));
    EXPECT_EQ(lines[0], QStringLiteral(u"k.dat:2: codes with no cellular carrier name (shown as "
                                       u"不明) in block 500: 0 for digit 0, 5 for digit 1, 6 for "
                                       u"digit 2, 7 for digit 3, 8 for digit 4, -1 for digit 5, "
                                       u"32767 for digit 6, -32768 for digit 7, 10 for digit 8"));
    EXPECT_EQ(lines[1], QStringLiteral("k.dat:3: key 123 again (first on line 1): this record is "
                                       "never used"));
    EXPECT_EQ(lines[2], QStringLiteral("k.dat:4: key 1000 is outside 0-999: no number reaches "
                                       "this record"));
    EXPECT_TRUE(lines[3].startsWith(QStringLiteral("k.dat:5: error 13: ") +
                                    errorText(ErrorNumber::TypeMismatch)))
        << lines[3].toStdString();
    EXPECT_EQ(run.outText(), QStringLiteral("k.dat (cellular): 4 records read\n"
                                            "  run-time errors: error 13 at line 5 (not read "
                                            "further: no lookup gets past it)\n"
                                            "  keys outside 0-999: 1\n"
                                            "  duplicate keys: 1\n"
                                            "  codes with no carrier name: 9\n"
                                            "  fields not written as plain decimal integers: 1\n"));
}

TEST_F(CheckDataFile, RunTimeErrorsAreTheOnesALookupMeets) {
    // Whatever line the reader gives a cut-short record or an overflow, the check names the same.
    const std::vector<QByteArray> files{
        "123,1,1,2,2,3,3,9,9,4,1\r\n5,1,1\r\n",
        "1,1,1,1,1,1,1,1,1,1,1\r\n2,2,99999,2,2,2,2,2,2,2,2\r\n",
        "1,1,1,1,1,1,1,1,1,1,1\r\n\r\n2,2\r\n\r\n",
    };
    for (const QByteArray& content : files) {
        SCOPED_TRACE(content.toStdString());
        dir.write("k.dat", content);
        const auto lookup =
            zunova::testing::outcomeOf([] { return FileScan().codeOf("k.dat", 999, 0); });
        ASSERT_NE(lookup.error, 0);
        const Result run = invoke({"--check", "k.dat"});
        EXPECT_EQ(run.status, 1);
        EXPECT_TRUE(run.outText().contains(
            QStringLiteral("  run-time errors: error %1 at line %2 (not read further")
                .arg(lookup.error)
                .arg(lookup.line)))
            << run.out.toStdString();
        ASSERT_EQ(run.errLines().size(), 1) << run.err.toStdString();
        EXPECT_TRUE(run.errLines()[0].startsWith(
            QStringLiteral("k.dat:%1: error %2: ").arg(lookup.line).arg(lookup.error)));
    }
}

TEST_F(CheckDataFile, KindFromTheNameUnlessGiven) {
    // Code 4 is TuKa for cellular numbers and nothing for PHS.
    const QByteArray content = "5,1,2,3,4,9,1,2,3,4,9\r\n";
    dir.write("p.dat", content);
    dir.write("other.dat", content);
    // Read as 9, but not written as the format writes numbers.
    dir.write("odd.dat", "5,1,2,3,4,9,1,2,3,4,&H9\r\n");
    struct Case {
        QStringList arguments;
        int status;
        QString firstLine;
    };
    const std::vector<Case> cases{
        {{"--check", "p.dat"}, 1, "p.dat (PHS): 1 records read"},
        {{"--check", "other.dat"}, 0, "other.dat (cellular): 1 records read"},
        {{"--check", "--kind", "p", "other.dat"}, 1, "other.dat (PHS): 1 records read"},
        {{"--check", "--kind", "k", "p.dat"}, 0, "p.dat (cellular): 1 records read"},
        {{"--check", "odd.dat"}, 1, "odd.dat (cellular): 1 records read"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.arguments.join(u' ').toStdString());
        const Result run = invoke(c.arguments);
        EXPECT_EQ(run.status, c.status);
        EXPECT_EQ(run.outText().section(u'\n', 0, 0), c.firstLine);
        EXPECT_EQ(run.errLines().size(), c.status == 0 ? 0 : 1) << run.err.toStdString();
    }
}

TEST_F(CheckDataFile, CleanFilesAndSeveralAtOnce) {
    // The layout the format allows is no problem: spaces, quotes, empty fields, leading zeros.
    dir.write(
        "k.dat",
        "123,1,1,2,2,3,3,4,4,9,9\r\n 124 ,\" 1\",\t1,0001,1,1,1,1,1,1,1\r\n,1,1,1,1,1,1,1,1,1,1");
    dir.write("empty.dat", "");
    const Result clean = invoke({"--check", "k.dat", "empty.dat"});
    EXPECT_EQ(clean.status, 0);
    EXPECT_EQ(clean.err, QByteArray());
    EXPECT_EQ(clean.outText(),
              QStringLiteral("k.dat (cellular): 3 records read\n"
                             "  run-time errors: none\n"
                             "  keys outside 0-999: 0\n"
                             "  duplicate keys: 0\n"
                             "  codes with no carrier name: 0\n"
                             "  fields not written as plain decimal integers: 0\n"
                             "empty.dat (cellular): 0 records read\n"
                             "  run-time errors: none\n"
                             "  keys outside 0-999: 0\n"
                             "  duplicate keys: 0\n"
                             "  codes with no carrier name: 0\n"
                             "  fields not written as plain decimal integers: 0\n"));
    // One bad file makes the run fail, and the files after it are still checked; in one log, a
    // file's summary comes before the next file's problems.
    const Result mixed = runZunova({"--check", "missing.dat", "k.dat", "missing.dat"}, {},
                                   dir.path(), kTimeoutMs, QProcess::MergedChannels);
    EXPECT_EQ(mixed.status, 2); // a file that cannot be read is trouble
    const QStringList lines = mixed.outText().split(u'\n');
    ASSERT_GE(lines.size(), 9);
    EXPECT_TRUE(lines[0].startsWith(QStringLiteral("zunova: missing.dat: error 53")));
    EXPECT_TRUE(lines[1].startsWith(QStringLiteral("missing.dat (cellular): not read")));
    EXPECT_EQ(lines[2], QStringLiteral("k.dat (cellular): 3 records read"));
    EXPECT_TRUE(lines[8].startsWith(QStringLiteral("zunova: missing.dat: error 53")));
}

// What the lookup itself says about a file it cannot open.
QString openError(const QString& path) {
    try {
        zunova::runtime::DataFile file(path);
    } catch (const RuntimeError& e) {
        return QStringLiteral("error %1: %2").arg(static_cast<int>(e.number())).arg(e.text());
    }
    return QStringLiteral("opened");
}

TEST_F(CheckDataFile, FilesThatCannotBeRead) {
    ASSERT_TRUE(QDir(dir.path()).mkdir(QStringLiteral("folder.dat")));
    for (const QString& name :
         {QStringLiteral("missing.dat"), QStringLiteral("folder.dat"), QString()}) {
        SCOPED_TRACE(name.toStdString());
        const QString error = openError(name);
        ASSERT_NE(error, QStringLiteral("opened"));
        const Result run = invoke({"--check", name});
        // An empty name is shown as the shell writes it.
        const QString shown = name.isEmpty() ? QStringLiteral("''") : name;
        EXPECT_EQ(run.status, 2);
        EXPECT_EQ(run.errLines(), QStringList{QStringLiteral("zunova: %1: %2").arg(shown, error)});
        EXPECT_EQ(run.outText(), QStringLiteral("%1 (cellular): not read: %2\n").arg(shown, error));
    }
}

// A 0x1A ends the data for every lookup: anything but blank space (or more marks, as old editors
// pad files) after it is data nobody reads.
TEST_F(CheckDataFile, DataAfterTheEndOfFileMark) {
    const QByteArray record = "123,1,1,2,2,3,3,4,4,9,9\r\n";
    const std::vector<std::pair<QByteArray, int>> cases{
        {record + "\x1A", 0},
        {record + "\x1A\x1A\x1A\r\n \t\r\n", 0},
        {record + "\x1A\r\n\r\n  124,1,1,1,1,1,1,1,1,1,1\r\n", 4},
        {record + "\x1A" + "124,1", 2},
    };
    for (const auto& [content, line] : cases) {
        SCOPED_TRACE(content.toStdString());
        dir.write("k.dat", content);
        const Result run = invoke({"--check", "k.dat"});
        EXPECT_EQ(run.status, line == 0 ? 0 : 1);
        if (line == 0) {
            EXPECT_EQ(run.err, QByteArray());
            continue;
        }
        EXPECT_EQ(run.errLines(), QStringList{QStringLiteral("k.dat:%1: data after the end-of-file "
                                                             "mark (Ctrl+Z) are never read")
                                                  .arg(line)});
        EXPECT_TRUE(run.outText().endsWith(
            QStringLiteral("  data after the end-of-file mark: from line %1, never read\n")
                .arg(line)));
    }
}

} // namespace
