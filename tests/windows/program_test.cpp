// The sluice program itself, run as a user runs it, without a display.
#include <gtest/gtest.h>

#include <QProcess>
#include <QProcessEnvironment>
#include <algorithm>
#include <filesystem>
#include <string>

#include "app/windows/usage.h"
#include "platform/charset.h"
#include "tests/foundation/scratch_folder.h"

namespace {

struct ProgramRun {
    int exitCode = -1;
    std::string out;
    std::string err;
};

// The line the program writes when it cannot load its windows.
constexpr char kNoWindowsLine[] = "sluice: cannot load the windows (";

// Runs program with DISPLAY set to display (none when empty).
ProgramRun RunProgram(const QString& program, const QString& display, const QStringList& args) {
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.remove(QStringLiteral("DISPLAY"));
    if (!display.isEmpty()) environment.insert(QStringLiteral("DISPLAY"), display);
    environment.remove(QStringLiteral("WAYLAND_DISPLAY"));
    environment.remove(QStringLiteral("QT_QPA_PLATFORM"));
    QProcess process;
    process.setProcessEnvironment(environment);
    process.start(program, args);
    ProgramRun run;
    if (!process.waitForFinished(20000)) {
        process.kill();
        process.waitForFinished();
        return run;
    }
    run.exitCode = process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
    run.out = process.readAllStandardOutput().toStdString();
    run.err = process.readAllStandardError().toStdString();
    return run;
}

ProgramRun RunWithDisplay(const QString& display, const QStringList& args) {
    return RunProgram(QStringLiteral(SLUICE_PROGRAM), display, args);
}

ProgramRun RunWithoutDisplay(const QStringList& args) {
    return RunWithDisplay(QString(), args);
}

TEST(ProgramTest, HelpPrintsTheUsageAndEndsWithZeroBeforeAnythingElse) {
    for (const char* help : {"--help", "-h"}) {
        ProgramRun run = RunWithoutDisplay({QString::fromLatin1(help)});
        SCOPED_TRACE(help);
        EXPECT_EQ(run.exitCode, 0);
        EXPECT_EQ(run.err, "");
        EXPECT_EQ(run.out, platform::Cp932ToUtf8(UsageText()));
    }
}

TEST(ProgramTest, UsageNamesTheGrammarEverySwitchAndTheExitCodes) {
    std::string usage = platform::Cp932ToUtf8(UsageText());
    EXPECT_NE(usage.find(u8"sluice [switch] [WAN ports] [TCP|UDP] [LAN ports] "
                         u8"[LAN IP|自動1|自動2|自動3] [comment]"),
              std::string::npos);
    for (const char* word :
         {"open", "close", "closeall", "list", "setup", "wizard", "hide", "debug"}) {
        EXPECT_NE(usage.find(std::string("  ") + word + " "), std::string::npos) << word;
    }
    for (const char* code : {"1 done", "2 failed", "0 setup or wizard"}) {
        EXPECT_NE(usage.find(code), std::string::npos) << code;
    }
}

TEST(ProgramTest, AWindowRunWithoutADisplayEndsWithTwoAndOneUsageLine) {
    for (QStringList args : {QStringList{}, QStringList{QStringLiteral("debug")},
                             QStringList{QStringLiteral("/wizard")}}) {
        ProgramRun run = RunWithoutDisplay(args);
        SCOPED_TRACE(args.join(QLatin1Char(' ')).toStdString());
        EXPECT_EQ(run.exitCode, 2);
        EXPECT_EQ(run.out, "");
        EXPECT_EQ(run.err, platform::Cp932ToUtf8(NoDisplayLine()));
        EXPECT_EQ(std::count(run.err.begin(), run.err.end(), '\n'), 1);
    }
}

TEST(ProgramTest, ADisplayThatCannotBeReachedCountsAsNoDisplay) {
    ProgramRun run = RunWithDisplay(QStringLiteral(":9999"), {});
    EXPECT_EQ(run.exitCode, 2);
    EXPECT_NE(run.err.find(platform::Cp932ToUtf8(NoDisplayLine())), std::string::npos) << run.err;
    EXPECT_EQ(run.err.find(kNoWindowsLine), std::string::npos) << run.err;
}

// Without its window library the program says so in one line and goes on
// as it does without a display.
TEST(ProgramTest, WithoutItsWindowLibraryTheProgramGoesOnWithoutWindows) {
    ScratchFolder scratch;
    std::string program = scratch.PathOf("sluice");
    ASSERT_TRUE(std::filesystem::copy_file(SLUICE_PROGRAM, program));
    for (QStringList args :
         {QStringList{},
          QStringList{QStringLiteral("/open"), QStringLiteral("abc"), QStringLiteral("TCP")}}) {
        ProgramRun run = RunProgram(QString::fromStdString(program), QStringLiteral(":9999"), args);
        SCOPED_TRACE(args.join(QLatin1Char(' ')).toStdString());
        EXPECT_EQ(run.exitCode, 2);
        EXPECT_EQ(run.err.rfind(kNoWindowsLine, 0), 0u) << run.err;
        EXPECT_EQ(std::count(run.err.begin(), run.err.end(), '\n'), 2) << run.err;
    }
}

}  // namespace
