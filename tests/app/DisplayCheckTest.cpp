#include "app/DisplayCheck.h"

#include <gtest/gtest.h>
#include <QMap>
#include <QProcessEnvironment>

namespace {

struct DisplayCase {
    QMap<QString, QString> variables;
    bool hasDisplay;
};

class DisplayCheckTest : public ::testing::TestWithParam<DisplayCase> {};

}  // namespace

TEST_P(DisplayCheckTest, AnswersFromTheVariablesQtReads) {
    QProcessEnvironment env;
    for (auto it = GetParam().variables.cbegin(); it != GetParam().variables.cend(); ++it)
        env.insert(it.key(), it.value());
    EXPECT_EQ(HasDisplay(env), GetParam().hasDisplay);
}

INSTANTIATE_TEST_SUITE_P(
    Environments, DisplayCheckTest,
    ::testing::Values(
        DisplayCase{{}, false}, DisplayCase{{{QStringLiteral("DISPLAY"), QString()}}, false},
        DisplayCase{{{QStringLiteral("DISPLAY"), QStringLiteral(":99")}}, true},
        DisplayCase{{{QStringLiteral("WAYLAND_DISPLAY"), QStringLiteral("wayland-0")}}, true},
        // How the GUI tests run.
        DisplayCase{{{QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen")}}, true},
        DisplayCase{{{QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("vnc:size=800x600")}},
                    true},
        DisplayCase{{{QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("xcb")}}, false},
        DisplayCase{{{QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("wayland;xcb")}}, false},
        DisplayCase{{{QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("wayland;offscreen")}},
                    true}));
