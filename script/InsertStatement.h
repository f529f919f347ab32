#pragma once

#include "transfer/FieldMapping.h"

#include <QString>
#include <functional>

class TField;
class TTable;

// The INSERT statement of one source row in one of the three script dialects. Knows no
// window: the caller hands in the target table name and the divider it read, and adds the text.
class InsertStatement {
public:
    // The values of the options' dialect list.
    enum Dialect { Ansi = 0, Oracle = 1, Interbase = 2 };

    static bool IsDialect(int dialect) { return dialect >= Ansi && dialect <= Interbase; }

    // The statement for the current row of `source`: its lines, the divider line and two empty
    // lines. Fields whose mapping entry has an empty target name are left out. The table and
    // column names are written as ScriptName has them. A value no script can carry, or a failure
    // to read one, passes to the caller. `beforeBlobDigits` runs before the digits of each Oracle
    // blob literal are written (may be empty).
    static QString Render(const TTable& source, const FieldMappingArray& mapping,
                          const QString& tableName, const QString& divider, Dialect dialect,
                          const std::function<void()>& beforeBlobDigits = {});
    // The statement's text up to its first value, the same for every row of a run.
    static QString Head(const FieldMappingArray& mapping, int fieldCount, const QString& tableName,
                        Dialect dialect);
    // Render() with the Head() a run made once.
    static QString RenderWithHead(const TTable& source, const FieldMappingArray& mapping,
                                  const QString& head, const QString& divider, Dialect dialect,
                                  const std::function<void()>& beforeBlobDigits = {});

    // One value as the dialect writes it, appended to `text`: NULL as null, an empty text or
    // memo as ''. Dates and times carry whole seconds. The Ansi dialect writes a memo as quoted
    // text and a binary blob as null. A value the text would change fails, naming field and
    // value: a carriage return or NUL in quoted text, control characters (and, in bytes, any
    // above 127) in an Interbase blob, a value not of its field's type, text in a date column.
    static void AppendValue(QString& text, const TField& field, Dialect dialect,
                            const std::function<void()>& beforeBlobDigits = {});

    // The Oracle form of a blob: HEXTORAW( with quoted lines of 50 bytes, appended to `text`.
    static void AppendHexLiteral(QString& text, const QByteArray& bytes);
    // The Interbase form of a blob's content: apostrophes doubled, control characters other
    // than line feed and carriage return dropped.
    static QString InterbaseBlobText(const QString& content);
    // Between apostrophes, each apostrophe doubled.
    static QString Quoted(const QString& text);
    // A number's literal with every digit its value has and "." as its separator, whatever the
    // locale. NaN, an infinity or a decimal that is no number fail with the field's name.
    static QString ExactNumber(const TField& field);
};
