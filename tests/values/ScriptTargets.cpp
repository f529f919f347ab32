#include "tests/values/ScriptTargets.h"

#include "data/Exceptions.h"
#include "data/TDatabase.h"
#include "script/ScriptExecution.h"
#include "tests/values/ValueEngines.h"

#include <QFile>
#include <QRegularExpression>

namespace {

QString writeScript(const QString& name, const QVector<ScriptStatement>& statements) {
    const QString path = ValueEngines::instance().folder() + QLatin1Char('/') + name;
    QFile file(path);
    file.open(QIODevice::WriteOnly | QIODevice::Truncate);
    for (const ScriptStatement& statement : statements)
        file.write((statement.text + QStringLiteral("\n;\n\n")).toUtf8());
    return path;
}

int count(const QString& text, const char* pattern) {
    const QRegularExpression expression(QLatin1String(pattern),
                                        QRegularExpression::MultilineOption);
    int n = 0;
    for (auto it = expression.globalMatch(text); it.hasNext(); it.next())
        ++n;
    return n;
}

QString connectionValue(const QString& connection, const QString& key) {
    const QRegularExpression part(key + QStringLiteral("=([^;]*)"),
                                  QRegularExpression::CaseInsensitiveOption);
    return part.match(connection).captured(1);
}

}  // namespace

int ExecuteByProgram(Engine target, const QVector<ScriptStatement>& storing,
                     const QVector<ScriptStatement>& rejected, QString& problems) {
    ValueEngines& engines = ValueEngines::instance();
    if (!storing.isEmpty()) {
        const ToolOutcome run = RunRowcart({QStringLiteral("exec"), engines.alias(target),
                                            writeScript(QStringLiteral("storing.sql"), storing)});
        if (run.code != 0)
            problems +=
                QStringLiteral("rowcart exec: %1 %2\n").arg(QString::number(run.code), run.err);
    }
    TDatabase db;
    db.SetDatabaseName(QStringLiteral("values_exec"));
    db.SetAliasName(engines.alias(target));
    db.LoginPrompt = false;
    int rejections = 0;
    for (const ScriptStatement& statement : rejected) {
        try {
            RunScript(statement.text.split(QLatin1Char('\n')), QStringLiteral(";"), db);
            problems += QStringLiteral("row %1 was stored by the program\n").arg(statement.id);
        } catch (const Exception&) {
            ++rejections;
        }
    }
    return rejections;
}

QString MissingShell(Engine target) {
    const char* shells[] = {"sqlite3", "psql", "mariadb"};
    if (int(target) > int(Engine::Mariadb))
        return QStringLiteral("no shell for %1").arg(EngineName(target));
    const QString shell = QLatin1String(shells[int(target)]);
    return HasTool(shell) ? QString() : shell + QStringLiteral(" is not installed");
}

int ExecuteByShell(Engine target, const QVector<ScriptStatement>& statements, QString& problems) {
    ValueEngines& engines = ValueEngines::instance();
    const QString script = writeScript(QStringLiteral("shell.sql"), statements);
    ToolOutcome run;
    int errors = 0;
    switch (target) {
        case Engine::Sqlite:
            run = RunTool(QStringLiteral("sqlite3"),
                          {engines.sqlitePath(), QStringLiteral(".read '%1'").arg(script)});
            errors = count(run.err, "^(Parse|Runtime) error");
            break;
        case Engine::Postgres: {
            const auto& keys = engines.keys(target);
            run =
                RunTool(QStringLiteral("psql"),
                        {QStringLiteral("-X"), QStringLiteral("-q"), QStringLiteral("-h"),
                         keys.value(QStringLiteral("SERVER NAME")), QStringLiteral("-p"),
                         keys.value(QStringLiteral("PORT")), QStringLiteral("-U"),
                         keys.value(QStringLiteral("USER NAME")), QStringLiteral("-d"),
                         keys.value(QStringLiteral("DATABASE NAME")), QStringLiteral("-f"), script},
                        {}, {{QStringLiteral("PGOPTIONS"), keys.value(QStringLiteral("OPTIONS"))}});
            errors = count(run.err, "ERROR: ");
            break;
        }
        case Engine::Mariadb: {
            const QString connection = engines.keys(target).value(QStringLiteral("CONNECTION"));
            QFile file(script);
            file.open(QIODevice::ReadOnly);
            // The standard's text literals: a backslash is a backslash.
            run = RunTool(
                QStringLiteral("mariadb"),
                {QStringLiteral("--no-defaults"), QStringLiteral("--force"),
                 QStringLiteral("--default-character-set=utf8mb4"),
                 QStringLiteral("--init-command=SET SESSION sql_mode = CONCAT(@@sql_mode, "
                                "',NO_BACKSLASH_ESCAPES')"),
                 QStringLiteral("-h"), connectionValue(connection, QStringLiteral("Server")),
                 QStringLiteral("-P"), connectionValue(connection, QStringLiteral("Port")),
                 QStringLiteral("-u"), connectionValue(connection, QStringLiteral("UID")),
                 connectionValue(connection, QStringLiteral("Database"))},
                file.readAll());
            errors = count(run.err, "^ERROR \\d+");
            break;
        }
        default:
            break;
    }
    if (run.code < 0 || (errors == 0 && !run.err.trimmed().isEmpty()))
        problems += QStringLiteral("%1: %2 %3\n")
                        .arg(EngineName(target), QString::number(run.code), run.err);
    return errors;
}
