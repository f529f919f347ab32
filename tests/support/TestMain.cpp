#include "tests/support/ScriptedPrompts.h"

#include <gtest/gtest.h>
#include <QApplication>
#include <QLocale>
#include <QStandardPaths>
#include <QTemporaryDir>

int main(int argc, char** argv) {
    // Settings and aliases of a test run never touch the user's own.
    QTemporaryDir config;
    qputenv("XDG_CONFIG_HOME", config.path().toUtf8());
    QStandardPaths::setTestModeEnabled(true);
    QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedKingdom));
    QApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    ScriptedPrompts prompts;
    SetPrompts(&prompts);
    const int rc = RUN_ALL_TESTS();
    SetPrompts(nullptr);
    return rc;
}
