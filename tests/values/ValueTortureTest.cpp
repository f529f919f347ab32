#include "tests/values/ValueSuite.h"

#include "data/Decimal.h"
#include "data/Exceptions.h"
#include "data/TDatabase.h"
#include "script/ScriptExecution.h"

#include <gtest/gtest.h>
#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>
#include <charconv>

void PrintTo(const Hop& hop, std::ostream* out) {
    *out << HopName(hop).toStdString();
}

namespace {

struct ToolOutcome {
    int code = -1;
    QString out;
    QString err;
};

// One INSERT of a script, with the ID of its row.
struct ScriptStatement {
    qint64 id = 0;
    QString text;
};

// A program, its standard input fed from `input`, with more environment variables.
ToolOutcome RunTool(const QString& program, const QStringList& arguments,
                    const QByteArray& input = {}, const QMap<QString, QString>& environment = {}) {
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

// `rowcart ARGS` on the suite's aliases and passwords, in a British locale, without a display.
ToolOutcome RunRowcart(const QStringList& arguments) {
    const ValueEngines& engines = ValueEngines::instance();
    // The tests' own locale, so that messages show values as the test process formats them.
    return RunTool(
        QStringLiteral(ROWCART_EXECUTABLE),
        arguments + QStringList{QStringLiteral("--password-file"),
                                engines.file(QStringLiteral("passwords"))},
        {},
        {{QStringLiteral("ROWCART_ALIASES"), engines.file(QStringLiteral("aliases.conf"))},
         {QStringLiteral("LC_ALL"), QStringLiteral("en_GB.UTF-8")},
         {QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen")}});
}

// The messages of the rows a run failed, as the command line reports each.
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

// A script's INSERT statements, cut at divider lines outside quoted literals.
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

QString writeScript(const QString& name, const QVector<ScriptStatement>& statements) {
    const QString path = ValueEngines::instance().file(name);
    QFile file(path);
    file.open(QIODevice::WriteOnly | QIODevice::Truncate);
    for (const ScriptStatement& statement : statements)
        file.write((statement.text + QStringLiteral("\n;\n\n")).toUtf8());
    return path;
}

int count(const QString& text, const char* pattern) {
    return int(text.count(
        QRegularExpression(QLatin1String(pattern), QRegularExpression::MultilineOption)));
}

// Where a script's statements go; each returns how many the target engine refused and adds to
// `problems` what went wrong beyond that. The program runs the storing statements with `rowcart
// exec`, and each rejected one alone through its script execution, which must fail.
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
    return QStandardPaths::findExecutable(shell).isEmpty()
               ? shell + QStringLiteral(" is not installed")
               : QString();
}

// The engine's own shell (sqlite3, psql, mariadb) runs all in order, going on after a failure.
int ExecuteByShell(Engine target, const QVector<ScriptStatement>& statements, QString& problems) {
    ValueEngines& engines = ValueEngines::instance();
    const QString script = writeScript(QStringLiteral("shell.sql"), statements);
    const QMap<QString, QString>& keys = engines.keys(target);
    ToolOutcome run;
    int errors = 0;
    if (target == Engine::Sqlite) {
        run = RunTool(QStringLiteral("sqlite3"), {engines.file(QStringLiteral("values.db")),
                                                  QStringLiteral(".read '%1'").arg(script)});
        errors = count(run.err, "^(Parse|Runtime) error");
    } else if (target == Engine::Postgres) {
        run = RunTool(QStringLiteral("psql"),
                      {QStringLiteral("-X"), QStringLiteral("-q"), QStringLiteral("-h"),
                       keys.value(QStringLiteral("SERVER NAME")), QStringLiteral("-p"),
                       keys.value(QStringLiteral("PORT")), QStringLiteral("-U"),
                       keys.value(QStringLiteral("USER NAME")), QStringLiteral("-d"),
                       keys.value(QStringLiteral("DATABASE NAME")), QStringLiteral("-f"), script},
                      {}, {{QStringLiteral("PGOPTIONS"), keys.value(QStringLiteral("OPTIONS"))}});
        errors = count(run.err, "ERROR: ");
    } else {
        const auto part = [&keys](const char* key) {
            const QRegularExpression value(QLatin1String(key) + QStringLiteral("=([^;]*)"),
                                           QRegularExpression::CaseInsensitiveOption);
            return value.match(keys.value(QStringLiteral("CONNECTION"))).captured(1);
        };
        QFile file(script);
        file.open(QIODevice::ReadOnly);
        // The standard's text literals: a backslash is a backslash.
        run = RunTool(QStringLiteral("mariadb"),
                      {QStringLiteral("--no-defaults"), QStringLiteral("--force"),
                       QStringLiteral("--default-character-set=utf8mb4"),
                       QStringLiteral("--init-command=SET SESSION sql_mode = CONCAT(@@sql_mode, "
                                      "',NO_BACKSLASH_ESCAPES')"),
                       QStringLiteral("-h"), part("Server"), QStringLiteral("-P"), part("Port"),
                       QStringLiteral("-u"), part("UID"), part("Database")},
                      file.readAll());
        errors = count(run.err, "^ERROR \\d+");
    }
    if (run.code < 0 || (errors == 0 && !run.err.trimmed().isEmpty()))
        problems += QStringLiteral("%1: %2 %3\n")
                        .arg(EngineName(target), QString::number(run.code), run.err);
    return errors;
}

const QString Isql = QStringLiteral("isql-fb");

QString database(const QString& table) {
    return ValueEngines::instance().file(table + QStringLiteral(".fdb"));
}

ToolOutcome isql(const QString& name, const QString& script) {
    QFile file(ValueEngines::instance().file(name));
    file.open(QIODevice::WriteOnly | QIODevice::Truncate);
    file.write(script.toUtf8());
    file.close();
    return RunTool(Isql, {QStringLiteral("-q"), QStringLiteral("-i"), file.fileName()});
}

QString connect(const QString& table, bool create) {
    return QStringLiteral("SET NAMES UTF8;\n%1 '%2' USER 'SYSDBA' PASSWORD 'x'%3;\n")
        .arg(create ? QStringLiteral("CREATE DATABASE") : QStringLiteral("CONNECT"),
             database(table), create ? QStringLiteral(" DEFAULT CHARACTER SET UTF8") : QString());
}

// One value of an Oracle statement's SELECT list, as written.
struct Literal {
    enum Form { Null, Date, Hex, Quoted, Bare } form = Null;
    QString text;
};

// TO_DATE's day-first text, with a time or without.
TimeStamp dayPattern(const QString& text, bool& ok) {
    static const QRegularExpression shape(
        QStringLiteral("^(\\d\\d)\\.(\\d\\d)\\.(\\d{4})(?: (\\d\\d):(\\d\\d):(\\d\\d))?$"));
    const auto m = shape.match(text);
    const TimeStamp stamp{
        QDate(m.captured(3).toInt(), m.captured(2).toInt(), m.captured(1).toInt()),
        ((m.captured(4).toLongLong() * 60 + m.captured(5).toLongLong()) * 60 +
         m.captured(6).toLongLong()) *
            UsecPerSecond,
        0, false};
    ok = m.hasMatch() && stamp.date.isValid();
    return stamp;
}

// The ISO text a time stamp with a zone is written as.
TimeStamp isoStamp(const QString& text, bool& ok) {
    static const QRegularExpression shape(
        QStringLiteral("^(\\d{4})-(\\d\\d)-(\\d\\d) "
                       "(\\d\\d):(\\d\\d):(\\d\\d)([+-])(\\d\\d):(\\d\\d)(?::(\\d\\d))?$"));
    const auto m = shape.match(text);
    const TimeStamp stamp{
        QDate(m.captured(1).toInt(), m.captured(2).toInt(), m.captured(3).toInt()),
        ((m.captured(4).toLongLong() * 60 + m.captured(5).toLongLong()) * 60 +
         m.captured(6).toLongLong()) *
            UsecPerSecond,
        (m.captured(8).toInt() * 3600 + m.captured(9).toInt() * 60 + m.captured(10).toInt()) *
            (m.captured(7) == QLatin1String("-") ? -1 : 1),
        true};
    ok = m.hasMatch() && stamp.date.isValid();
    return stamp;
}

QVariant valueOf(const ColumnSpec& column, const Literal& literal, bool& ok) {
    ok = true;
    const QString& text = literal.text;
    switch (literal.form) {
        case Literal::Null:
            return QVariant();
        case Literal::Hex: {
            const QByteArray bytes = QByteArray::fromHex(text.toLatin1());
            ok = bytes.toHex().toUpper() == text.toLatin1();
            return QVariant(bytes);
        }
        case Literal::Date: {
            const TimeStamp stamp = dayPattern(text, ok);
            if (column.kind == Kind::Date)
                return QVariant(stamp.date);
            if (column.kind != Kind::Time)
                return QVariant::fromValue(stamp);
            ok = ok && stamp.date == QDate(1899, 12, 30);
            return QVariant::fromValue(stamp.time());
        }
        default:
            break;
    }
    switch (column.kind) {
        case Kind::Int16:
        case Kind::Int32:
        case Kind::Int64:
            return QVariant(text.toLongLong(&ok));
        case Kind::Bool:
            ok = text == QLatin1String("True") || text == QLatin1String("False");
            return QVariant(text == QLatin1String("True"));
        case Kind::Float8:
        case Kind::Float4: {
            const QByteArray latin = text.toLatin1();
            const char* end = latin.constData() + latin.size();
            double value = 0;
            const auto read = std::from_chars(latin.constData(), end, value);
            ok = read.ec == std::errc() && read.ptr == end;
            return QVariant(value);
        }
        case Kind::Decimal: {
            QString decimal;
            ok = Decimal::Normalize(text, decimal);
            return QVariant(decimal);
        }
        case Kind::Stamp:
        case Kind::ZonedStamp:
            if (literal.form == Literal::Quoted)
                return QVariant::fromValue(isoStamp(text, ok));
            break;
        default:
            break;
    }
    ok = literal.form == Literal::Quoted;
    return QVariant(text);
}

QString MissingFirebird() {
    static const QString missing = [] {
        if (QStandardPaths::findExecutable(Isql).isEmpty())
            return Isql + QStringLiteral(" is not installed (firebird3.0-utils)");
        const QString table = QStringLiteral("probe");
        QFile::remove(database(table));
        const ToolOutcome run = isql(QStringLiteral("probe.sql"), connect(table, true));
        return run.code == 0 && QFile::exists(database(table))
                   ? QString()
                   : QStringLiteral("isql-fb cannot make an embedded database: ") + run.err;
    }();
    return missing;
}

// Firebird's isql on an embedded database of its own. `arrived` gets a row per stored ID, each
// value the expected one where Firebird finds them equal (so the comparison is Firebird's own).
int ExecuteInFirebird(const QString& table, const QVector<ColumnSpec>& columns,
                      const QVector<ScriptStatement>& statements,
                      const QVector<RowExpectation>& expected, QVector<ValueRow>& arrived,
                      QString& problems) {
    QFile::remove(database(table));
    QString script = connect(table, true) + CreateTableSql(Engine::Firebird, table, columns) +
                     QStringLiteral(";\nCOMMIT;\n");
    for (const ScriptStatement& statement : statements)
        script += statement.text + QStringLiteral("\n;\n");
    const ToolOutcome run = isql(QStringLiteral("firebird.sql"), script + "COMMIT;\n");
    const int failed = run.err.count(QLatin1String("Statement failed"));

    // Each expected row compared value by value inside Firebird: isql shows floats with 16
    // digits at most.
    QString check = connect(table, false) + QStringLiteral("SET HEADING OFF;\n");
    check += QStringLiteral("SELECT 'HAS', id FROM %1;\n").arg(table);
    QMap<qint64, const RowExpectation*> wanted;
    for (const RowExpectation& row : expected) {
        if (row.outcome != Expectation::Arrives)
            continue;
        wanted.insert(row.id, &row);
        QStringList tests{QStringLiteral("'ROW'"), QStringLiteral("id")};
        for (int i = 0; i < columns.size(); ++i)
            tests << QStringLiteral("IIF(%1 IS NOT DISTINCT FROM %2, 1, 0)")
                         .arg(columns[i].name,
                              EngineLiteral(Engine::Firebird, columns[i], row.values[i].value));
        check += QStringLiteral("SELECT %1 FROM %2 WHERE id = %3;\n")
                     .arg(tests.join(QStringLiteral(", ")), table, QString::number(row.id));
    }
    const ToolOutcome read = isql(QStringLiteral("firebird-check.sql"), check);
    if (read.code != 0)
        problems += QStringLiteral("isql-fb: ") + read.err + QLatin1Char('\n');
    QMap<qint64, QStringList> verdicts;
    QList<qint64> stored;
    for (const QString& line : read.out.split(QLatin1Char('\n'))) {
        const QStringList words = line.simplified().split(QLatin1Char(' '));
        if (words.size() == 2 && words[0] == QLatin1String("HAS"))
            stored.append(words[1].toLongLong());
        else if (words.size() == columns.size() + 2 && words[0] == QLatin1String("ROW"))
            verdicts.insert(words[1].toLongLong(), words.mid(2));
    }
    for (qint64 id : stored) {
        ValueRow row{id, QVector<QVariant>(columns.size())};
        const QStringList verdict = verdicts.value(id);
        for (int i = 0; wanted.contains(id) && i < columns.size(); ++i)
            row.values[i] = verdict.value(i) == QLatin1String("1")
                                ? wanted[id]->values[i].value
                                : QVariant(QStringLiteral("(another value in Firebird)"));
        arrived.append(row);
    }
    return failed;
}

// The rows the Oracle dialect's statements hold, read from their literals.
QVector<ValueRow> ReadOracleStatements(const QVector<ScriptStatement>& statements,
                                       const QVector<ColumnSpec>& columns, QString& problems) {
    QVector<ValueRow> rows;
    for (const ScriptStatement& statement : statements) {
        const QString& text = statement.text;
        qsizetype at = text.indexOf(QLatin1String("(SELECT "));
        bool ok = at >= 0;
        at += 8;
        const auto take = [&](QLatin1String word) {
            while (at < text.size() && text[at].isSpace())
                ++at;
            const bool there = QStringView(text).mid(at).startsWith(word);
            at += there ? word.size() : 0;
            return there;
        };
        // Text in apostrophes, each doubled one standing for one.
        const auto quoted = [&](QString& value) {
            value.clear();
            if (!take(QLatin1String("'")))
                return false;
            for (; at < text.size(); ++at) {
                if (text[at] != QLatin1Char('\'')) {
                    value += text[at];
                } else if (at + 1 < text.size() && text[at + 1] == QLatin1Char('\'')) {
                    value += text[++at];
                } else {
                    ++at;
                    return true;
                }
            }
            return false;
        };
        const auto literal = [&](Literal& value) {
            QString part;
            value = {Literal::Null, {}};
            if (take(QLatin1String("null")))
                return true;
            if (take(QLatin1String("TO_DATE("))) {
                value.form = Literal::Date;
                return quoted(value.text) && take(QLatin1String(",")) && quoted(part) &&
                       take(QLatin1String(")"));
            }
            if (take(QLatin1String("HEXTORAW("))) {
                value.form = Literal::Hex;
                do {
                    if (!quoted(part))
                        return false;
                    value.text += part;
                } while (take(QLatin1String("||")));
                return take(QLatin1String(")"));
            }
            if (QStringView(text).mid(at).startsWith(QLatin1Char('\''))) {
                value.form = Literal::Quoted;
                return quoted(value.text);
            }
            const qsizetype start = at;
            while (at < text.size() && text[at] != QLatin1Char(',') && !text[at].isSpace())
                ++at;
            value = {Literal::Bare, text.mid(start, at - start)};
            return !value.text.isEmpty();
        };
        ValueRow row;
        Literal value;
        ok = ok && literal(value) && value.form == Literal::Bare;
        row.id = value.text.toLongLong();
        for (int i = 0; ok && i < columns.size(); ++i) {
            ok = take(QLatin1String(",")) && literal(value);
            if (ok)
                row.values.append(valueOf(columns[i], value, ok));
        }
        if (ok && take(QLatin1String("FROM DUAL)")))
            rows.append(row);
        else
            problems += QStringLiteral("no Oracle statement: %1\n").arg(text.left(300));
    }
    return rows;
}

const QString SourceTable = QStringLiteral("src");

// The fixed values moved on one hop: every value arrives as the rules say, or its row fails with
// a message naming field, value and why, or the target engine refuses its statement.
class ValueTorture : public ::testing::TestWithParam<Hop> {
protected:
    void SetUp() override {
        const Hop hop = GetParam();
        ValueEngines& engines = ValueEngines::instance();
        QString missing;
        for (Engine engine : {hop.from, hop.to}) {
            if (engine != Engine::Firebird && engine != Engine::Oracle && missing.isEmpty())
                missing = engines.missing(engine);
        }
        if (missing.isEmpty() && hop.path == Path::AnsiByShell)
            missing = MissingShell(hop.to);
        if (missing.isEmpty() && hop.path == Path::InterbaseByIsql)
            missing = MissingFirebird();
        if (!missing.isEmpty())
            GTEST_SKIP() << missing.toStdString();
        // Each engine's source table is made and filled once for the run.
        static QSet<int> made;
        if (!made.contains(int(hop.from))) {
            engines.recreate(hop.from, SourceTable, TortureColumns());
            engines.fill(hop.from, SourceTable, TortureColumns(), TortureRows(hop.from));
            made.insert(int(hop.from));
        }
        m_source = engines.read(hop.from, SourceTable);
        m_table = QStringLiteral("t_%1_%2").arg(EngineName(hop.from).toLower(),
                                                PathName(hop.path).toLower());
    }

    QStringList job(const Hop& hop, const QString& command, const QString& target) {
        return {command, ValueEngines::instance().alias(hop.from) + QLatin1Char(':') + SourceTable,
                target, QStringLiteral("--on-error"), QStringLiteral("skip")};
    }

    // A column left out of the run arrives NULL.
    void omit(QStringList& args, HopResult& result, int column) {
        args << QStringLiteral("--map") << TortureColumns()[column].name + QLatin1Char('=');
        result.omitted.insert(column);
    }

    void move(const Hop& hop, HopResult& result) {
        ValueEngines& engines = ValueEngines::instance();
        engines.recreate(hop.to, m_table, TortureColumns());
        QStringList args =
            job(hop, QStringLiteral("move"), engines.alias(hop.to) + QLatin1Char(':') + m_table);
        if (hop.path == Path::MoveTyped) {
            args << QStringLiteral("--typed");
        } else {
            // The move that compares field types refuses columns whose types differ: they are
            // left out, as a user would.
            QVector<TFieldType> from, to;
            engines.read(hop.from, SourceTable, &from);
            engines.read(hop.to, m_table, &to);
            for (int i = 1; i < from.size(); ++i) {
                if (from[i] != to.value(i))
                    omit(args, result, i - 1);
            }
        }
        const ToolOutcome run = RunRowcart(args);
        EXPECT_LE(run.code, 1) << run.err.toStdString();
        result.refusals = RowFailures(run.err);
        result.arrived = engines.read(hop.to, m_table);
    }

    void script(const Hop& hop, HopResult& result) {
        ValueEngines& engines = ValueEngines::instance();
        const QString file = engines.file(m_table + QStringLiteral(".sql"));
        static const char* const dialects[] = {"ansi", "ansi", "interbase", "oracle"};
        QStringList args = job(hop, QStringLiteral("script"), m_table);
        args << QStringLiteral("--dialect")
             << QLatin1String(dialects[int(hop.path) - int(Path::AnsiByProgram)])
             << QStringLiteral("-o") << file;
        // MariaDB reads the Ansi dialect's day-first dates as other dates, or not at all: dates
        // and time stamps do not fit, and are left out.
        for (const char* name : {"dat", "ts", "tstz"}) {
            if (hop.to == Engine::Mariadb)
                omit(args, result, ColumnIndex(QLatin1String(name)));
        }
        const ToolOutcome run = RunRowcart(args);
        EXPECT_LE(run.code, 1) << run.err.toStdString();
        result.refusals = RowFailures(run.err);
        QFile text(file);
        ASSERT_TRUE(text.open(QIODevice::ReadOnly)) << run.err.toStdString();
        const QVector<ScriptStatement> statements = CutScript(QString::fromUtf8(text.readAll()));

        // A row the program refuses has no statement; the engine must refuse the rejected ones.
        QVector<ScriptStatement> storing, rejected;
        QVector<RowExpectation> expected;
        for (const ValueRow& row : m_source)
            expected.append(ExpectRow(hop, TortureColumns(), row, result.omitted));
        for (const ScriptStatement& statement : statements) {
            for (const RowExpectation& row : expected) {
                if (row.id != statement.id)
                    continue;
                EXPECT_NE(row.outcome, Expectation::Refused)
                    << "row " << row.id << " was written: " << statement.text.toStdString();
                (row.outcome == Expectation::Arrives ? storing : rejected).append(statement);
            }
        }
        QString problems;
        if (hop.path == Path::OracleText) {
            result.arrived = ReadOracleStatements(statements, TortureColumns(), problems);
        } else if (hop.path == Path::InterbaseByIsql) {
            result.rejections = ExecuteInFirebird(m_table, TortureColumns(), statements, expected,
                                                  result.arrived, problems);
        } else {
            engines.recreate(hop.to, m_table, TortureColumns());
            result.rejections = hop.path == Path::AnsiByProgram
                                    ? ExecuteByProgram(hop.to, storing, rejected, problems)
                                    : ExecuteByShell(hop.to, statements, problems);
            result.arrived = engines.read(hop.to, m_table);
        }
        EXPECT_TRUE(problems.isEmpty()) << problems.toStdString();
    }

    QVector<ValueRow> m_source;
    QString m_table;
};

TEST_P(ValueTorture, EveryValueArrivesOrItsRowFailsNamingFieldAndValue) {
    const Hop hop = GetParam();
    HopResult result;
    QVector<ValueRow> source = m_source;
    if (hop.path == Path::Grid) {
        // The program reads each value exactly as its engine holds it.
        result.arrived = m_source;
        source = TortureRows(hop.from);
    } else if (IsScript(hop.path)) {
        script(hop, result);
    } else {
        move(hop, result);
    }
    if (HasFailure())
        return;
    for (const QString& problem : ArrivalProblems(hop, TortureColumns(), source, result))
        ADD_FAILURE() << problem.toStdString();
}

std::vector<Hop> hops() {
    const Engine engines[] = {Engine::Sqlite, Engine::Postgres, Engine::Mariadb};
    std::vector<Hop> all;
    for (Engine from : engines) {
        all.push_back({from, from, Path::Grid});
        for (Engine to : engines) {
            for (Path path :
                 {Path::MoveUntyped, Path::MoveTyped, Path::AnsiByProgram, Path::AnsiByShell})
                all.push_back({from, to, path});
        }
        all.push_back({from, Engine::Firebird, Path::InterbaseByIsql});
        all.push_back({from, Engine::Oracle, Path::OracleText});
    }
    return all;
}

INSTANTIATE_TEST_SUITE_P(Hops, ValueTorture, ::testing::ValuesIn(hops()),
                         [](const ::testing::TestParamInfo<Hop>& info) {
                             return (EngineName(info.param.from) + QStringLiteral("To") +
                                     EngineName(info.param.to) + QStringLiteral("By") +
                                     PathName(info.param.path))
                                 .toStdString();
                         });

}  // namespace
