#pragma once

#include "app/MainActions.h"
#include "app/MainLayout.h"
#include "app/uMain.h"
#include "tests/app/QtPrinters.h"
#include "tests/support/ScriptedPrompts.h"

#include <gtest/gtest.h>
#include <QTemporaryDir>
#include <memory>

// A main window on its own alias file: the demo aliases DEMO (filled) and WORK (empty tables)
// that the engine creates on first use, and SECURE, which names a user and so asks for a login.
class MainWindowFixture : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    ScriptedPrompts& prompts() { return ScriptedPrompts::instance(); }
    TfMain& window() { return *m_window; }
    const MainLayout& c() { return m_window->controls(); }
    MainActions& a() { return m_window->actionList(); }
    QString aliasFile() const;

    // Types the names into the side's boxes and runs its commands as the user would.
    void connectSource(const QString& alias);
    void connectTarget(const QString& alias);
    void openSource(const QString& table);
    void openTarget(const QString& table);
    void openBoth();

    // Posts one new customer into the target's pending updates.
    void addPendingCustomer(const QString& name);
    // Rows of the target table as the engine stores them, read through a connection of its own.
    int storedRows(const QString& alias, const QString& table);

    std::unique_ptr<TfMain> m_window;

private:
    QTemporaryDir m_dir;
};
