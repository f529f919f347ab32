#include "data/Exceptions.h"
#include "script/ScriptFileLines.h"

#include <gtest/gtest.h>
#include <QFile>
#include <QTemporaryDir>

namespace {

struct FileCase {
    const char* name;
    QByteArray bytes;
    QStringList lines;
};

class ScriptFileLinesTest : public ::testing::TestWithParam<FileCase> {};

// The lines a loaded text gives in the SQL window's buffer, read in pieces of the file.
TEST_P(ScriptFileLinesTest, ReadsTheLinesTheWindowWouldHold) {
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("script.sql"));
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(GetParam().bytes);
    file.close();
    ScriptFileLines lines(path);
    QStringList read;
    QString line;
    while (lines.next(line))
        read.append(line);
    EXPECT_EQ(read, GetParam().lines);
}

// The reader takes the file 64 KiB at a time.
const QByteArray Filler(65535, 'x');

INSTANTIATE_TEST_SUITE_P(
    Cases, ScriptFileLinesTest,
    ::testing::Values(
        FileCase{"EveryLineEnd", "a\r\nb\rc\nd", {"a", "b", "c", "d"}},
        FileCase{"EmptyLinesStay", "a\r\r\n\n\nb\n", {"a", "", "", "", "b"}},
        FileCase{"Empty", "", {}}, FileCase{"OnlyABreak", "\r\n", {""}},
        FileCase{"CrLfAcrossTwoReads", Filler + "\r\ny", {QString(Filler), "y"}},
        FileCase{"CharacterAcrossTwoReads", Filler + "\xc3\xbc\n", {QString(Filler) + QChar(0xfc)}},
        FileCase{"LineLongerThanAReads",
                 Filler + Filler + Filler + "\nz",
                 {QString(Filler + Filler + Filler), "z"}}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(ScriptFileSourceTest, AFileThatCannotBeReadFailsWithItsName) {
    EXPECT_THROW(ScriptFileSource(QStringLiteral("/nonexistent/script.sql")).read(), Exception);
}

}  // namespace
