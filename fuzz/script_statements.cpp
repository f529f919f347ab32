// Script execution's statement cutter and marker scan, and the dialect writer's text literal:
// a generated literal passes the scan untouched and SQLite reads it back as the same text.
#include "fuzz/FuzzInput.h"
#include "script/InsertStatement.h"
#include "script/StatementCutter.h"

#include <sqlite3.h>

namespace {

QString readBack(const QString& literal) {
    static sqlite3* db = [] {
        sqlite3* opened = nullptr;
        sqlite3_open(":memory:", &opened);
        return opened;
    }();
    const QByteArray sql = ("SELECT " + literal).toUtf8();
    sqlite3_stmt* stmt = nullptr;
    QString value;
    if (sqlite3_prepare_v2(db, sql.constData(), int(sql.size()), &stmt, nullptr) == SQLITE_OK &&
        sqlite3_step(stmt) == SQLITE_ROW) {
        value = QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_column_text(stmt, 0)),
                                  sqlite3_column_bytes(stmt, 0));
    } else {
        value = QStringLiteral("<%1>").arg(QString::fromUtf8(sqlite3_errmsg(db)));
    }
    sqlite3_finalize(stmt);
    return value;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    FuzzInput input(data, size);
    static const QString dividers[] = {QStringLiteral(";"), QStringLiteral("go"), QString()};
    const QString& divider = dividers[input.choose(3)];
    const QString text = input.text();
    const QStringList lines = text.split(QLatin1Char('\n'));

    ScriptLineList reader(lines);
    StatementCutter cutter(reader, StatementTerminator(divider));
    CutStatement statement;
    int previous = -1;
    while (cutter.next(statement)) {
        FUZZ_CHECK(statement.firstLine > previous && statement.lastLine >= statement.firstLine &&
                   statement.lastLine < lines.size() && !statement.text.isEmpty());
        previous = statement.lastLine;
        PrepareEngineStatement(statement.text);
    }
    ScriptParameterNames(lines);

    const QString literal = InsertStatement::Quoted(text);
    const EngineStatement prepared = PrepareEngineStatement(QStringLiteral("SELECT ") + literal);
    FUZZ_CHECK(prepared.parameters.isEmpty());
    FUZZ_CHECK(prepared.text == QStringLiteral("SELECT ") + literal);
    if (!text.contains(QChar(0)))
        FUZZ_CHECK(readBack(literal) == text);
    return 0;
}
