#include "tests/values/FirebirdShell.h"

#include "data/Temporal.h"
#include "tests/values/EngineLiterals.h"
#include "tests/values/ValueEngines.h"

#include <QFile>
#include <QRegularExpression>
#include <charconv>

namespace {

const QString Isql = QStringLiteral("isql-fb");

QString quoted(const QString& text) {
    return QLatin1Char('\'') + QString(text).replace(QLatin1Char('\''), QStringLiteral("''")) +
           QLatin1Char('\'');
}

QString shortest(double value) {
    char text[40];
    const auto written = std::to_chars(text, text + sizeof text, value);
    return QString::fromLatin1(text, written.ptr - text);
}

// The expected value as Firebird's SQL spells it, written here and not by the dialect.
QString firebirdLiteral(const ColumnSpec& column, const QVariant& value) {
    if (!value.isValid())
        return QStringLiteral("NULL");
    switch (column.kind) {
        case Kind::Bool:
            return value.toBool() ? QStringLiteral("TRUE") : QStringLiteral("FALSE");
        case Kind::Float8:
            return QStringLiteral("CAST('%1' AS DOUBLE PRECISION)").arg(shortest(value.toDouble()));
        case Kind::Float4:
            return QStringLiteral("CAST('%1' AS FLOAT)").arg(shortest(value.toDouble()));
        case Kind::Decimal:
            return QStringLiteral("CAST('%1' AS NUMERIC(18,%2))")
                .arg(value.toString(), QString::number(column.scale));
        case Kind::Bytes:
            return QStringLiteral("x'%1'").arg(QLatin1String(value.toByteArray().toHex()));
        case Kind::Text:
        case Kind::FixedText:
        case Kind::Memo:
        case Kind::Uuid:
            return quoted(value.typeId() == QMetaType::QByteArray
                              ? QString::fromUtf8(value.toByteArray())
                              : value.toString());
        case Kind::Date:
            return QStringLiteral("DATE '%1'").arg(IsoDate(value.toDate()));
        case Kind::Time:
            return QStringLiteral("TIME '%1'").arg(IsoTime(value.value<TimeOfDay>()));
        case Kind::Stamp:
        case Kind::ZonedStamp: {
            TimeStamp stamp = value.value<TimeStamp>().toUtc();
            stamp.zoned = false;
            return QStringLiteral("TIMESTAMP '%1'").arg(IsoStamp(stamp));
        }
        default:
            return value.toString();
    }
}

QString database(const QString& table) {
    return ValueEngines::instance().folder() + QLatin1Char('/') + table + QStringLiteral(".fdb");
}

ToolOutcome isql(const QString& name, const QString& script) {
    const QString path = ValueEngines::instance().folder() + QLatin1Char('/') + name;
    QFile file(path);
    file.open(QIODevice::WriteOnly | QIODevice::Truncate);
    file.write(script.toUtf8());
    file.close();
    return RunTool(Isql, {QStringLiteral("-q"), QStringLiteral("-i"), path});
}

QString connect(const QString& table, bool create) {
    return QStringLiteral("SET NAMES UTF8;\n%1 '%2' USER 'SYSDBA' PASSWORD 'x'%3;\n")
        .arg(create ? QStringLiteral("CREATE DATABASE") : QStringLiteral("CONNECT"),
             database(table), create ? QStringLiteral(" DEFAULT CHARACTER SET UTF8") : QString());
}

}  // namespace

QString MissingFirebird() {
    static const QString missing = [] {
        if (!HasTool(Isql))
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

int ExecuteInFirebird(const QString& table, const QVector<ColumnSpec>& columns,
                      const QVector<ScriptStatement>& statements,
                      const QVector<RowExpectation>& expected, QVector<ValueRow>& arrived,
                      QString& problems) {
    QFile::remove(database(table));
    QString script = connect(table, true) + CreateTableSql(Engine::Firebird, table, columns) +
                     QStringLiteral(";\nCOMMIT;\n");
    for (const ScriptStatement& statement : statements)
        script += statement.text + QStringLiteral("\n;\n");
    script += QStringLiteral("COMMIT;\n");
    const ToolOutcome run = isql(QStringLiteral("firebird.sql"), script);
    const int failed = run.err.count(QLatin1String("Statement failed"));

    // Each expected row compared value by value inside Firebird.
    QString check = connect(table, false) + QStringLiteral("SET HEADING OFF;\n");
    check += QStringLiteral("SELECT 'HAS', id FROM %1;\n").arg(table);
    for (const RowExpectation& row : expected) {
        if (row.outcome != Expectation::Arrives)
            continue;
        QStringList tests{QStringLiteral("'ROW'"), QStringLiteral("id")};
        for (int i = 0; i < columns.size(); ++i)
            tests << QStringLiteral("IIF(%1 IS NOT DISTINCT FROM %2, 1, 0)")
                         .arg(columns[i].name, firebirdLiteral(columns[i], row.values[i].value));
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
        for (const RowExpectation& wanted : expected) {
            if (wanted.id != id)
                continue;
            const QStringList verdict = verdicts.value(id);
            for (int i = 0; i < columns.size(); ++i) {
                row.values[i] = verdict.value(i) == QLatin1String("1")
                                    ? wanted.values[i].value
                                    : QVariant(QStringLiteral("(another value in Firebird)"));
            }
        }
        arrived.append(row);
    }
    return failed;
}
