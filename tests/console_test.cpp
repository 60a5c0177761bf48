// The command line, run as the real program with no display at all.
#include "zunova/version.h"

#include <QProcess>
#include <QProcessEnvironment>

#include <gtest/gtest.h>

namespace {

struct Result {
    int status = -1;
    QString out;
    QString err;
};

Result runZunova(const QStringList& arguments) {
    QProcess process;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    // Nothing to show on: a QGuiApplication would fail here.
    env.remove(QStringLiteral("DISPLAY"));
    env.remove(QStringLiteral("WAYLAND_DISPLAY"));
    env.remove(QStringLiteral("QT_QPA_PLATFORM"));
    process.setProcessEnvironment(env);
    process.start(QStringLiteral(ZUNOVA_EXECUTABLE), arguments);
    if (!process.waitForFinished(30'000))
        return {};
    return {process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1,
            QString::fromUtf8(process.readAllStandardOutput()),
            QString::fromUtf8(process.readAllStandardError())};
}

TEST(CommandLine, HelpAndVersionGoToStandardOutput) {
    for (const char* option : {"--help", "-h"}) {
        SCOPED_TRACE(option);
        const Result run = runZunova({QString::fromLatin1(option)});
        EXPECT_EQ(run.status, 0);
        EXPECT_TRUE(run.out.startsWith(QStringLiteral("Usage: "))) << run.out.toStdString();
        EXPECT_TRUE(run.out.contains(QStringLiteral("--version")));
        EXPECT_EQ(run.err, QString());
    }
    const Result run = runZunova({QStringLiteral("--version")});
    EXPECT_EQ(run.status, 0);
    EXPECT_EQ(run.out,
              QStringLiteral("zunova %1\n").arg(QString::fromLatin1(zunova::kVersionString)));
    EXPECT_EQ(run.err, QString());
}

TEST(CommandLine, UnknownOptionIsAUsageError) {
    for (const char* option : {"--bogus", "-x"}) {
        SCOPED_TRACE(option);
        const Result run = runZunova({QString::fromLatin1(option)});
        EXPECT_EQ(run.status, 2);
        EXPECT_EQ(run.out, QString());
        EXPECT_TRUE(run.err.startsWith(QStringLiteral("zunova: "))) << run.err.toStdString();
        // The whole usage, options included, so the user need not run it again with --help.
        EXPECT_TRUE(run.err.contains(QStringLiteral("\nUsage: "))) << run.err.toStdString();
        EXPECT_TRUE(run.err.contains(QStringLiteral("--version")));
    }
}

} // namespace
