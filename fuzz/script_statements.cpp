// Script execution's statement cutter and marker scan, and the dialect writer's text literal:
// a generated literal, over as many lines as its text has, is cut as one statement whose lines
// pass the cutter and the scan untouched, and SQLite reads it back as the same text.
#include "fuzz/FuzzInput.h"
#include "script/InsertStatement.h"
#include "script/StatementCutter.h"

#include <sqlite3.h>

namespace {

// The value of a one-column SELECT, or the engine's message in angle brackets.
QString readBack(const QString& select) {
    static sqlite3* db = [] {
        sqlite3* opened = nullptr;
        sqlite3_open(":memory:", &opened);
        return opened;
    }();
    const QByteArray sql = select.toUtf8();
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
    const QChar terminator = StatementTerminator(dividers[input.choose(3)]);
    const QString text = input.text();
    const QStringList lines = text.split(QLatin1Char('\n'));

    ScriptLineList reader(lines);
    StatementCutter cutter(reader, terminator);
    CutStatement statement;
    int previous = -1;
    while (cutter.next(statement)) {
        FUZZ_CHECK(statement.firstLine > previous && statement.lastLine >= statement.firstLine &&
                   statement.lastLine < lines.size() && !statement.text.isEmpty());
        previous = statement.lastLine;
        PrepareEngineStatement(statement.text);
    }
    ScriptParameterNames(lines);

    // As a generated script holds it: the statement's lines, then the terminator on a line.
    const QString select = QStringLiteral("SELECT ") + InsertStatement::Quoted(text);
    const QStringList script = select.split(QLatin1Char('\n')) << QString(terminator);
    ScriptLineList scriptReader(script);
    StatementCutter literalCutter(scriptReader, terminator);
    CutStatement cut;
    FUZZ_CHECK(literalCutter.next(cut));
    FUZZ_CHECK(cut.text == select + QStringLiteral("\r\n"));
    CutStatement rest;
    FUZZ_CHECK(!literalCutter.next(rest));
    const EngineStatement prepared = PrepareEngineStatement(cut.text);
    FUZZ_CHECK(prepared.parameters.isEmpty());
    FUZZ_CHECK(prepared.text == cut.text);
    if (!text.contains(QChar(0)))
        FUZZ_CHECK(readBack(prepared.text) == text);
    return 0;
}
