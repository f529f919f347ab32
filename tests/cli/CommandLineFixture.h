#pragma once

#include "tests/transfer/DataMoveFixture.h"

#include <QProcess>
#include <QStringList>

// What a run of the rowcart executable gave.
struct Outcome {
    int code = -1;
    QString out;
    QString err;
};

// Every stored row of a table, its values joined as the engine gives them.
QStringList tableRows(const QString& alias, const QString& table);
// The highest ID stored in a table, read without walking it.
qint64 lastId(const QString& alias, const QString& table);

// The demo aliases of the window's tests, with a source table SRC of four awkward rows and two
// empty targets T1 and T2 in WORK, and the real executable to run commands on them.
class CommandLineTest : public DataMoveFixture {
protected:
    void SetUp() override;

    // Runs rowcart with the test's alias file and locale, and waits for it.
    Outcome rowcart(const QStringList& args);
    // Starts rowcart as `rowcart` does, for a test that acts while it runs; `shell` runs it
    // through "bash -c" with that text before the command (limits, traps).
    void start(QProcess& process, const QStringList& args, const QString& shell = QString());
    QString writeFile(const QString& name, const QByteArray& content);
    // Adds an alias to the test's alias file.
    void addAlias(const QString& name, const QMap<QString, QString>& keys);
    // A password file for the logins of the test server's aliases, which trusts loopback.
    QString passwordFile();
    // The WORK database's file.
    QString workFile() const;
};
