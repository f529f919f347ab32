#include <gtest/gtest.h>
#include <libpq-fe.h>
#include <sqlite3.h>

#include <QProcess>
#include <QStringList>

namespace {

struct Outcome {
    int code = -1;
    QString out;
    QString err;
};

// The executable as a user without a display starts it; settings and aliases are the test
// run's own (TestMain points XDG_CONFIG_HOME at a temporary folder).
Outcome runRowcart(const QStringList& args) {
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    for (const char* name :
         {"DISPLAY", "WAYLAND_DISPLAY", "WAYLAND_SOCKET", "QT_QPA_PLATFORM", "ROWCART_ALIASES"})
        env.remove(QLatin1String(name));
    QProcess process;
    process.setProcessEnvironment(env);
    process.start(QStringLiteral(ROWCART_EXECUTABLE), args);
    process.closeWriteChannel();
    EXPECT_TRUE(process.waitForFinished(60000));
    return Outcome{process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1,
                   QString::fromUtf8(process.readAllStandardOutput()),
                   QString::fromUtf8(process.readAllStandardError())};
}

}  // namespace

TEST(ProgramArgumentsTest, VersionNamesTheLibrariesItRunsWith) {
    const Outcome version = runRowcart({QStringLiteral("--version")});
    EXPECT_EQ(version.code, 0) << version.err.toStdString();
    EXPECT_TRUE(version.err.isEmpty()) << version.err.toStdString();
    const QStringList lines = version.out.split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    ASSERT_EQ(lines.size(), 5) << version.out.toStdString();
    EXPECT_EQ(lines[0], QStringLiteral("rowcart " ROWCART_VERSION));
    EXPECT_EQ(lines[1], QStringLiteral("Qt ") + QLatin1String(qVersion()));
    EXPECT_EQ(lines[2], QStringLiteral("SQLite ") + QLatin1String(sqlite3_libversion()));
    EXPECT_TRUE(lines[3].startsWith(QStringLiteral("libpq %1.").arg(PQlibVersion() / 10000)))
        << lines[3].toStdString();
    EXPECT_TRUE(lines[4].startsWith(QLatin1String("unixODBC ")));
    EXPECT_TRUE(lines[4].contains(QLatin1String("(built with " ROWCART_ODBC_BUILD_VERSION ")")))
        << lines[4].toStdString();

    const Outcome shortOption = runRowcart({QStringLiteral("-V")});
    EXPECT_EQ(shortOption.code, 0);
    EXPECT_EQ(shortOption.out, version.out);
}

TEST(ProgramArgumentsTest, WindowWithoutDisplaySaysSoInOneLine) {
    const Outcome window = runRowcart({});
    EXPECT_EQ(window.code, 4) << window.err.toStdString();
    EXPECT_TRUE(window.out.isEmpty());
    EXPECT_TRUE(window.err.startsWith(QLatin1String("rowcart: no display")))
        << window.err.toStdString();
    EXPECT_EQ(window.err.count(QLatin1Char('\n')), 1) << window.err.toStdString();
    EXPECT_TRUE(window.err.endsWith(QLatin1Char('\n')));
}

struct UnknownArgument {
    QStringList args;
    QString complaint;
};

class UnknownArgumentTest : public ::testing::TestWithParam<UnknownArgument> {};

TEST_P(UnknownArgumentTest, GivesTheUsageAndStatusTwo) {
    const Outcome usage = runRowcart({QStringLiteral("--help")});
    ASSERT_EQ(usage.code, 0);
    const Outcome result = runRowcart(GetParam().args);
    EXPECT_EQ(result.code, 2);
    EXPECT_TRUE(result.out.isEmpty()) << result.out.toStdString();
    EXPECT_EQ(result.err, GetParam().complaint + QLatin1Char('\n') + usage.out);
}

INSTANTIATE_TEST_SUITE_P(
    ProgramArgumentsTest, UnknownArgumentTest,
    ::testing::Values(
        UnknownArgument{{QStringLiteral("frobnicate")},
                        QStringLiteral("rowcart: unknown command frobnicate")},
        UnknownArgument{{QStringLiteral("--frobnicate"), QStringLiteral("move")},
                        QStringLiteral("rowcart: unknown option --frobnicate")},
        // Qt's own options are no options of the program: the window takes no arguments.
        UnknownArgument{{QStringLiteral("-platform"), QStringLiteral("offscreen")},
                        QStringLiteral("rowcart: unknown option -platform")}));
