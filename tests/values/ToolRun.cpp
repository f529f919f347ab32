#include "tests/values/ToolRun.h"

#include "tests/values/ValueEngines.h"

#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>

ToolOutcome RunTool(const QString& program, const QStringList& arguments, const QByteArray& input,
                    const QMap<QString, QString>& environment) {
    QProcess process;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    for (auto it = environment.begin(); it != environment.end(); ++it)
        env.insert(it.key(), it.value());
    process.setProcessEnvironment(env);
    process.start(program, arguments);
    if (!process.waitForStarted(30000))
        return ToolOutcome{-1, QString(), program + QStringLiteral(" did not start")};
    process.write(input);
    process.closeWriteChannel();
    process.waitForFinished(300000);
    return ToolOutcome{process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1,
                       QString::fromUtf8(process.readAllStandardOutput()),
                       QString::fromUtf8(process.readAllStandardError())};
}

ToolOutcome RunRowcart(const QStringList& arguments) {
    const ValueEngines& engines = ValueEngines::instance();
    // The tests' own locale, so that messages show values as the test process formats them.
    return RunTool(
        QStringLiteral(ROWCART_EXECUTABLE),
        arguments + QStringList{QStringLiteral("--password-file"), engines.passwordFile()}, {},
        {{QStringLiteral("ROWCART_ALIASES"), engines.aliasFile()},
         {QStringLiteral("LC_ALL"), QStringLiteral("en_GB.UTF-8")},
         {QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen")}});
}

bool HasTool(const QString& program) {
    return !QStandardPaths::findExecutable(program).isEmpty();
}

QStringList RowFailures(const QString& err) {
    // A message runs over lines up to the next row's, or the run's summary.
    static const QRegularExpression failure(
        QStringLiteral("^(?:Row [^\\n]*? (?:skipped|failed): |Skipped at commit: )(.*?)"
                       "(?=\\n(?:Row [^\\n]*? (?:skipped|failed): |Skipped at commit: |Stopped: |"
                       "\\d+ rows moved|\\d+ statements written)|\\n?\\z)"),
        QRegularExpression::DotMatchesEverythingOption | QRegularExpression::MultilineOption);
    QStringList messages;
    for (auto it = failure.globalMatch(err); it.hasNext();)
        messages.append(it.next().captured(1));
    return messages;
}

QVector<ScriptStatement> CutScript(const QString& script) {
    static const QRegularExpression firstValue(QStringLiteral("(?:VALUES \\(|\\(SELECT )(-?\\d+)"));
    QVector<ScriptStatement> statements;
    QString current;
    bool quoted = false;
    bool inStatement = false;
    for (const QString& line : script.split(QLatin1Char('\n'))) {
        if (!quoted && !inStatement) {
            if (!line.startsWith(QLatin1String("INSERT INTO")))
                continue;
            inStatement = true;
            current.clear();
        }
        if (!quoted && line.trimmed() == QLatin1String(";")) {
            const auto match = firstValue.match(current);
            statements.append({match.hasMatch() ? match.captured(1).toLongLong() : -1, current});
            inStatement = false;
            continue;
        }
        if (!current.isEmpty())
            current += QLatin1Char('\n');
        current += line;
        quoted = quoted != bool(line.count(QLatin1Char('\'')) % 2);
    }
    return statements;
}
