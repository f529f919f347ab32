#include "tests/cli/CommandLineFixture.h"

#include "data/TDatabase.h"
#include "data/TField.h"
#include "data/TSession.h"
#include "data/TTable.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSettings>

QStringList tableRows(const QString& alias, const QString& table) {
    TDatabase db;
    db.SetDatabaseName(QStringLiteral("check"));
    db.SetAliasName(alias);
    db.LoginPrompt = false;  // the alias's own user, on a server that trusts loopback
    TTable t;
    t.SetDatabaseName(QStringLiteral("check"));
    t.SetTableName(table);
    t.OpenTable();
    QStringList rows;
    for (t.MoveFirst(); !t.AtEnd(); t.MoveNext()) {
        QStringList values;
        for (int i = 0; i < t.NumberOfFields(); ++i)
            values.append(t.FieldAt(i)->IsNullValue() ? QStringLiteral("<null>")
                                                      : t.FieldAt(i)->ReadText());
        rows.append(values.join(QLatin1Char('|')));
    }
    return rows;
}

qint64 lastId(const QString& alias, const QString& table) {
    TDatabase db;
    db.SetDatabaseName(QStringLiteral("probe"));
    db.SetAliasName(alias);
    db.LoginPrompt = false;
    TTable t;
    t.SetDatabaseName(QStringLiteral("probe"));
    t.SetTableName(table);
    t.OpenTable();
    if (t.IsEmpty())
        return 0;
    t.MoveLast();
    return t.RequireField(QStringLiteral("ID"))->ReadText().toLongLong();
}

void CommandLineTest::SetUp() {
    DataMoveFixture::SetUp();
    execWork({QStringLiteral("CREATE TABLE SRC (ID INTEGER PRIMARY KEY, NAME VARCHAR(20), "
                             "AMOUNT NUMERIC(10,2), DAY DATE, V TEXT)"),
              QStringLiteral("CREATE TABLE T1 (ID INTEGER PRIMARY KEY, NAME VARCHAR(20), "
                             "AMOUNT NUMERIC(10,2), DAY DATE, V INTEGER)"),
              QStringLiteral("CREATE TABLE T2 (ID INTEGER PRIMARY KEY, NAME VARCHAR(20), "
                             "AMOUNT NUMERIC(10,2), DAY DATE, V INTEGER)"),
              QStringLiteral("INSERT INTO SRC VALUES (1, 'Ann', 10.5, '2024-02-29', '7'), "
                             "(2, 'Bob''s', NULL, '1999-12-31', '8'), "
                             "(3, NULL, -3.25, NULL, 'x'), (4, 'Dee', 0, '2001-01-01', '9')")});
}

void CommandLineTest::start(QProcess& process, const QStringList& args, const QString& shell) {
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("ROWCART_ALIASES"), aliasFile());
    env.remove(QStringLiteral("QT_QPA_PLATFORM"));
    env.remove(QStringLiteral("DISPLAY"));
    // The tests' own locale, so that both sides write the same text forms.
    env.insert(QStringLiteral("LC_ALL"), QStringLiteral("en_GB.UTF-8"));
    process.setProcessEnvironment(env);
    if (shell.isEmpty()) {
        process.start(QStringLiteral(ROWCART_EXECUTABLE), args);
    } else {
        // bash runs the command as "$0" "$@": no quoting of the arguments needed.
        process.start(
            QStringLiteral("bash"),
            QStringList{QStringLiteral("-c"), shell + QStringLiteral("; exec \"$0\" \"$@\""),
                        QStringLiteral(ROWCART_EXECUTABLE)} +
                args);
    }
    process.closeWriteChannel();
}

Outcome CommandLineTest::rowcart(const QStringList& args) {
    QProcess process;
    start(process, args);
    EXPECT_TRUE(process.waitForFinished(120000));
    return Outcome{process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1,
                   QString::fromUtf8(process.readAllStandardOutput()),
                   QString::fromUtf8(process.readAllStandardError())};
}

QString CommandLineTest::writeFile(const QString& name, const QByteArray& content) {
    const QString path = QFileInfo(aliasFile()).dir().filePath(name);
    QFile file(path);
    EXPECT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    file.write(content);
    return path;
}

void CommandLineTest::addAlias(const QString& name, const QMap<QString, QString>& keys) {
    QFile file(aliasFile());
    ASSERT_TRUE(file.open(QIODevice::Append));
    QByteArray section = "\n[" + name.toUtf8() + "]\n";
    for (auto it = keys.begin(); it != keys.end(); ++it)
        section += it.key().toUtf8() + '=' + it.value().toUtf8() + '\n';
    file.write(section);
    file.close();
    TSession::ReloadAliases();
}

QString CommandLineTest::passwordFile() {
    const QString path = writeFile(QStringLiteral("passwords"), "any\n");
    QFile::setPermissions(path, QFile::ReadOwner | QFile::WriteOwner);
    return path;
}

QString CommandLineTest::workFile() const {
    return QFileInfo(aliasFile()).dir().filePath(QStringLiteral("work.db"));
}
