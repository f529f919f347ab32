#pragma once

#include "app/uMain.h"
#include "tests/support/ScriptedPrompts.h"

#include <gtest/gtest.h>
#include <QLocale>
#include <QStringList>
#include <QTemporaryDir>
#include <memory>

class TDatabase;
class TTable;

inline void PrintTo(const QString& text, std::ostream* out) {
    *out << '"' << text.toStdString() << '"';
}

// A locale for the length of a test: the one whose short date, long time and decimal separator
// give the script texts of the worked examples (17.05.1990, 14:03:09, 2.5).
class ScopedLocale {
public:
    explicit ScopedLocale(const QLocale& locale) : m_saved(QLocale()) {
        QLocale::setDefault(locale);
    }
    ~ScopedLocale() { QLocale::setDefault(m_saved); }

private:
    QLocale m_saved;
};

// An SQLite database of its own under the alias SRC, for tables a test creates.
class ScriptTestDatabase {
public:
    ScriptTestDatabase();
    ~ScriptTestDatabase();

    void exec(const QString& sql);
    // The table opened read-only, on its first row.
    std::unique_ptr<TTable> open(const QString& table);
    QString path() const;
    QString folder() const { return m_dir.path(); }

private:
    QTemporaryDir m_dir;
    std::unique_ptr<TDatabase> m_database;
};

// The main window with the source side connected to SRC and a table open and wholly selected.
class ScriptWindowFixture : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    ScriptedPrompts& prompts() { return ScriptedPrompts::instance(); }
    TfMain& window() { return *m_window; }
    TfSQL& sql() { return *m_window->fSQL(); }

    // Opens `table` as the source, selects all its rows and names `target` as target table.
    void openSource(const QString& table, const QString& target = QStringLiteral("T2"));
    void setDialect(int index);
    void setDivider(const QString& divider);
    void setAutoCommit(bool on, int interval);
    // "Generate SQL.." with the mapping dialog confirmed as it opens.
    void generate();
    QStringList lines();

    std::unique_ptr<ScriptTestDatabase> m_db;
    std::unique_ptr<TfMain> m_window;
    std::unique_ptr<ScopedLocale> m_locale;
};
