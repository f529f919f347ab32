#include "script/InsertStatement.h"

#include "data/Decimal.h"
#include "data/Exceptions.h"
#include "data/FieldConvert.h"
#include "data/IsoDateTime.h"
#include "data/TField.h"
#include "data/TTable.h"
#include "data/TextExcerpt.h"
#include "script/DayPattern.h"
#include "script/ScriptMoment.h"
#include "script/ScriptName.h"

#include <QStringDecoder>
#include <charconv>
#include <cmath>

namespace {

bool isDateType(TFieldType type) {
    return type == ftDate || type == ftTime || type == ftDateTime;
}

// Every type read as free text is quoted. Writing a fixed-length string, a GUID or a time stamp
// unquoted gives a statement that fails, or runs the value as SQL.
bool isQuotedText(TFieldType type) {
    const FieldKind kind = KindOf(type);
    return (kind == FieldKind::Text && type != ftFMTBcd) || kind == FieldKind::Bytes;
}

// An empty blob is a value, as '' is; only a missing one is NULL.
bool isNull(const TField& field) {
    return field.IsNullValue() && !(field.IsBlobField() && field.Value().isValid());
}

[[noreturn]] void cannotWrite(const TField& field, const QString& value,
                              const QString& reason = QString()) {
    ScriptCannotCarry(field, value, reason);
}

QString shownText(const QString& text) {
    return QLatin1Char('\'') + TextExcerpt(text, 40) + QLatin1Char('\'');
}

// Text as a quoted literal takes it: a NUL ends the statement's text for every engine and
// shell, and a script's lines end in line feeds, so a carriage return would arrive as one.
QString carriedText(const TField& field, const QString& text) {
    if (text.contains(QChar(0)))
        cannotWrite(field, shownText(text), QStringLiteral("an SQL text ends at a NUL character"));
    if (text.contains(QLatin1Char('\r')))
        cannotWrite(field, shownText(text),
                    QStringLiteral("a script's lines end in line feeds, not carriage returns"));
    return text;
}

// A memo's text: bytes that are no UTF-8 (SQLite keeps any) would be written as replacement
// characters.
QString memoText(const TField& field) {
    QStringDecoder decoder(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    const QString text = decoder(field.Value().toByteArray());
    if (decoder.hasError())
        cannotWrite(field, QStringLiteral("%1 bytes").arg(field.BlobByteSize()),
                    QStringLiteral("they are no UTF-8 text"));
    return carriedText(field, text);
}

// The Interbase dialect writes a blob's content as text: control characters would be dropped,
// and a byte above 127 of a binary blob would become a character of two bytes.
QString interbaseBlob(const TField& field) {
    static const QString why =
        QStringLiteral("the Interbase dialect writes a blob as text, without control characters");
    if (KindOf(field.FieldType()) != FieldKind::TextBlob) {
        for (const char b : field.Value().toByteArray()) {
            const auto u = static_cast<unsigned char>(b);
            if ((u < 32 && u != '\n') || u > 127)
                cannotWrite(field, QStringLiteral("%1 bytes").arg(field.BlobByteSize()),
                            why + QStringLiteral(" or bytes above 127"));
        }
        return field.ReadText();
    }
    const QString content = memoText(field);
    for (const QChar c : content) {
        if (c.unicode() < 32 && c != QLatin1Char('\n'))
            cannotWrite(field, shownText(content), why);
    }
    return content;
}

QString otherType() {
    return QStringLiteral("it is no value of its field's type");
}

// The C library's text, never the locale's: every engine reads "." and nothing else. Fifteen
// digits where they give the value back (so 1000000 stays 1000000, not 1e+06), else the
// shortest digits that do.
QString floatLiteral(const TField& field) {
    // Text a float column holds (SQLite keeps any) would read as 0.
    if (field.Value().typeId() != QMetaType::Double)
        cannotWrite(field, shownText(field.Value().toString()), otherType());
    const double value = field.ReadNumber();
    if (std::isnan(value))
        cannotWrite(field, QStringLiteral("NaN"));
    if (std::isinf(value))
        cannotWrite(field, value > 0 ? QStringLiteral("Infinity") : QStringLiteral("-Infinity"));
    char text[40];
    char* const end = text + sizeof text;
    std::to_chars_result written = std::to_chars(text, end, value, std::chars_format::general, 15);
    double back = 0;
    std::from_chars(text, written.ptr, back);
    if (back != value) {
        const std::to_chars_result shortest =
            std::to_chars(text, end, value, std::chars_format::scientific);
        int digits = 0;
        for (const char* c = text; c != shortest.ptr && *c != 'e'; ++c)
            digits += *c >= '0' && *c <= '9';
        written = std::to_chars(text, end, value, std::chars_format::general, digits);
    }
    return QString::fromLatin1(text, written.ptr - text);
}

QString toDateLiteral(const ScriptMoment& moment) {
    if (DayPattern::IsMidnight(moment.time)) {
        return QStringLiteral("TO_DATE('") + DayPattern::Format(moment.date, moment.time, false) +
               QStringLiteral("','DD.MM.YYYY')");
    }
    return QStringLiteral("TO_DATE('") + DayPattern::Format(moment.date, moment.time, true) +
           QStringLiteral("','DD.MM.YYYY HH24:MI:SS')");
}

// The user's short date and long time formats, as the field's text form has them, but from
// the whole-second value.
QString userDateText(const TField& field) {
    const ScriptMoment moment = WholeSecondMoment(field);
    switch (KindOf(field.FieldType())) {
        case FieldKind::Date:
            return FieldConvert::FormatDate(moment.date);
        case FieldKind::Time:
            return FieldConvert::FormatTime(moment.time);
        default:
            return FieldConvert::FormatDateTime(moment.date, moment.time);
    }
}

// Its UTC time with "+00:00": a column with a zone reads the same instant, one without reads
// the UTC time, as the data move gives it.
QString zonedStampText(const TField& field) {
    TimeStamp stamp = field.Value().value<TimeStamp>().toUtc();
    stamp.usec -= stamp.usec % UsecPerSecond;
    if (stamp.date.year() < 1 || stamp.date.year() > 9999)
        cannotWrite(field, field.ReadText(),
                    QStringLiteral("a script writes years of four digits"));
    return QString::fromLatin1(IsoDateTime::FormatTimeStamp(stamp));
}

void appendQuoted(QString& text, const QString& value) {
    text += QLatin1Char('\'');
    if (!value.contains(QLatin1Char('\''))) {
        text += value;
    } else {
        for (const QChar c : value) {
            if (c == QLatin1Char('\''))
                text += QLatin1Char('\'');
            text += c;
        }
    }
    text += QLatin1Char('\'');
}

}  // namespace

QString InsertStatement::Quoted(const QString& text) {
    QString result;
    result.reserve(text.size() + 2);
    appendQuoted(result, text);
    return result;
}

QString InsertStatement::ExactNumber(const TField& field) {
    const TFieldType type = field.FieldType();
    if (KindOf(type) == FieldKind::Float)
        return floatLiteral(field);
    if (KindOf(type) == FieldKind::Bcd) {
        // A decimal's value is its exact digits; text a decimal column holds as no number
        // has no literal.
        const QString digits = field.Value().toString();
        if (!Decimal::IsNormal(digits))
            cannotWrite(field, QLatin1Char('\'') + digits + QLatin1Char('\''));
        // The zeros an engine pads a fraction with are no digits of the value, and SQLite reads
        // 20000000000000001.00 as a double, which is 20000000000000000.
        return Decimal::WithoutTrailingZeros(digits);
    }
    // Booleans and integers as their field's type has them; another value (SQLite keeps any)
    // would read as 0, 1 or True.
    const int held = field.Value().typeId();
    if ((KindOf(type) == FieldKind::Boolean && held != QMetaType::Bool) ||
        (KindOf(type) == FieldKind::Integer && held != QMetaType::LongLong))
        cannotWrite(field,
                    held == QMetaType::QString ? shownText(field.Value().toString())
                                               : field.Value().toString(),
                    otherType());
    return field.ReadText();
}

QString InsertStatement::InterbaseBlobText(const QString& content) {
    QString result;
    result.reserve(content.size());
    for (const QChar c : content) {
        const ushort code = c.unicode();
        if (code == '\'')
            result += QLatin1Char('\'');
        if (code >= 32 || code == 10 || code == 13)
            result += c;
    }
    return result;
}

void InsertStatement::AppendHexLiteral(QString& text, const QByteArray& bytes) {
    static const char digits[] = "0123456789ABCDEF";
    const qsizetype n = bytes.size();
    text += QLatin1String("\nHEXTORAW(\n'");
    qsizetype at = text.size();
    // One allocation for the digits and line joins, however large the blob.
    text.resize(at + 2 * n + 6 * (n / 50) + 10);
    QChar* out = text.data();
    const auto put = [&](const char* part) {
        for (; *part; ++part)
            out[at++] = QLatin1Char(*part);
    };
    for (qsizetype k = 1; k <= n; ++k) {
        const auto b = static_cast<unsigned char>(bytes[k - 1]);
        out[at++] = QLatin1Char(digits[b >> 4]);
        out[at++] = QLatin1Char(digits[b & 15]);
        if (k % 50 == 0)
            put("'||\n'");
    }
    put("'\n)");
    text.truncate(at);
}

void InsertStatement::AppendValue(QString& text, const TField& field, Dialect dialect,
                                  const std::function<void()>& beforeBlobDigits) {
    const TFieldType type = field.FieldType();
    if (isNull(field)) {
        text += QLatin1String("null");
        return;
    }
    // Text a date column holds as no date (SQLite keeps any, PostgreSQL has 'infinity') would
    // reach an engine that reads 'yesterday' or '01/01/1000' as a date of its own choosing.
    if ((isDateType(type) || type == ftTimeStamp) && field.Value().typeId() == QMetaType::QString)
        cannotWrite(field, shownText(field.Value().toString()), QStringLiteral("it is no date"));
    // No dialect has a form of its own for a time stamp with a zone, PostgreSQL's or one SQLite
    // keeps as text: written as a time without zone, a server would read it in its session's.
    const QVariant& value = field.Value();
    if (type == ftTimeStamp ||
        (value.userType() == qMetaTypeId<TimeStamp>() && value.value<TimeStamp>().zoned)) {
        appendQuoted(text, zonedStampText(field));
        return;
    }
    switch (dialect) {
        case Ansi:
            if (KindOf(type) == FieldKind::TextBlob)
                appendQuoted(text, memoText(field));
            else if (isQuotedText(type))
                appendQuoted(text, carriedText(field, field.ReadText()));
            else if (field.IsBlobField())
                text += QLatin1String("null");
            else if (isDateType(type))
                appendQuoted(text, carriedText(field, userDateText(field)));
            else
                text += ExactNumber(field);
            return;
        case Oracle:
            if (field.IsBlobField()) {
                if (beforeBlobDigits)
                    beforeBlobDigits();
                AppendHexLiteral(text, field.Value().toByteArray());
            } else if (isDateType(type)) {
                text += toDateLiteral(WholeSecondMoment(field));
            } else if (isQuotedText(type)) {
                appendQuoted(text, carriedText(field, field.ReadText()));
            } else {
                text += ExactNumber(field);
            }
            return;
        case Interbase:
            if (type == ftDate || type == ftDateTime) {
                const ScriptMoment moment = WholeSecondMoment(field);
                text += QLatin1Char('\'') +
                        DayPattern::Format(moment.date, moment.time,
                                           !DayPattern::IsMidnight(moment.time)) +
                        QLatin1Char('\'');
            } else if (type == ftTime) {
                text += QLatin1Char('\'') + DayPattern::FormatTime(WholeSecondMoment(field).time) +
                        QLatin1Char('\'');
            } else if (isQuotedText(type)) {
                appendQuoted(text, carriedText(field, field.ReadText()));
            } else if (field.IsBlobField()) {
                text += QLatin1Char('\'') + InterbaseBlobText(interbaseBlob(field)) +
                        QLatin1String("' ");
            } else {
                text += ExactNumber(field);
            }
            return;
    }
}

QString InsertStatement::Head(const FieldMappingArray& mapping, int fieldCount,
                              const QString& tableName, Dialect dialect) {
    const bool oracle = dialect == Oracle;
    const int count = std::min(static_cast<int>(mapping.size()), fieldCount);
    QString text = QLatin1String("INSERT INTO ") + ScriptName::Table(tableName);
    text += oracle ? QLatin1String("\n(") : QLatin1String(" (");
    bool first = true;
    for (int i = 0; i < count; ++i) {
        if (mapping[i].targetName.isEmpty())
            continue;
        if (!first)
            text += QLatin1String(", ");
        text += ScriptName::Identifier(mapping[i].targetName);
        first = false;
    }
    text += oracle ? QLatin1String(")\n(SELECT ") : QLatin1String(")\nVALUES (");
    return text;
}

QString InsertStatement::Render(const TTable& source, const FieldMappingArray& mapping,
                                const QString& tableName, const QString& divider, Dialect dialect,
                                const std::function<void()>& beforeBlobDigits) {
    return RenderWithHead(source, mapping,
                          Head(mapping, source.NumberOfFields(), tableName, dialect), divider,
                          dialect, beforeBlobDigits);
}

QString InsertStatement::RenderWithHead(const TTable& source, const FieldMappingArray& mapping,
                                        const QString& head, const QString& divider,
                                        Dialect dialect,
                                        const std::function<void()>& beforeBlobDigits) {
    const bool oracle = dialect == Oracle;
    const int count = std::min(static_cast<int>(mapping.size()), source.NumberOfFields());
    QString text;
    // Most statements fit; growing a row's text step by step costs more than its values.
    text.reserve(512);
    text += head;
    bool first = true;
    for (int i = 0; i < count; ++i) {
        if (mapping[i].targetName.isEmpty())
            continue;
        if (!first)
            text += QLatin1String(", ");
        AppendValue(text, *source.FieldAt(i), dialect, beforeBlobDigits);
        first = false;
    }
    if (oracle)
        text += QLatin1String("\nFROM DUAL)");
    else
        text += QLatin1Char(')');
    text += QLatin1Char('\n');
    text += divider;
    text += QLatin1String("\n\n");
    return text;
}
