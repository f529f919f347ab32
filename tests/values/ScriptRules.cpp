#include "tests/values/RuleCase.h"

#include "data/Decimal.h"
#include "data/Temporal.h"

#include <charconv>
#include <cmath>
#include <limits>

namespace {

// Text a script writes as a quoted literal: every text but the Oracle dialect's memos (of SQLite
// and MariaDB; PostgreSQL's text is no memo), which it writes as HEXTORAW.
bool quotedInScript(const Case& c) {
    return c.script() && c.isText() &&
           !(c.hop.path == Path::OracleText && c.kind() == Kind::Memo &&
             c.hop.from != Engine::Postgres);
}

// A blob's content the Interbase dialect's text would change.
bool interbaseBlobChanges(const Case& c) {
    const bool blob =
        c.kind() == Kind::Bytes || (c.kind() == Kind::Memo && c.hop.from != Engine::Postgres);
    if (c.hop.path != Path::InterbaseByIsql || !c.value.isValid() || !blob)
        return false;
    for (const char b : c.is(QMetaType::QByteArray) ? c.value.toByteArray() : c.text().toUtf8()) {
        const auto u = static_cast<unsigned char>(b);
        if ((u < 32 && u != '\n') || (c.kind() == Kind::Bytes && u > 127))
            return true;
    }
    return false;
}

QVariant wholeSeconds(const Case& c) {
    if (c.is(qMetaTypeId<TimeOfDay>()))
        return QVariant::fromValue(
            TimeOfDay{c.value.value<TimeOfDay>().usec / UsecPerSecond * UsecPerSecond});
    TimeStamp stamp = c.value.value<TimeStamp>();
    stamp.usec -= stamp.usec % UsecPerSecond;
    return QVariant::fromValue(stamp);
}

// A decimal rounded half away from zero to the column's scale.
QVariant roundedDecimal(const Case& c) {
    QString digits = c.value.toString();
    const bool negative = digits.startsWith(QLatin1Char('-'));
    if (negative)
        digits.remove(0, 1);
    const int point = digits.indexOf(QLatin1Char('.'));
    const int scale = c.column.scale;
    QString whole = digits.left(point) + digits.mid(point + 1, scale);
    bool carry = digits.at(point + 1 + scale) >= QLatin1Char('5');
    for (int i = whole.size() - 1; carry && i >= 0; --i) {
        carry = whole[i] == QLatin1Char('9');
        whole[i] = carry ? QLatin1Char('0') : QChar(whole[i].unicode() + 1);
    }
    if (carry)
        whole.prepend(QLatin1Char('1'));
    QString normal;
    Decimal::Normalize((negative ? QStringLiteral("-") : QString()) +
                           whole.left(whole.size() - scale) + QLatin1Char('.') + whole.right(scale),
                       normal);
    return QVariant(normal);
}

// SQLite keeps a decimal literal as a 64-bit integer or the nearest double.
QVariant nearestDouble(const Case& c) {
    qint64 whole = 0;
    double real = 0;
    QString nearest;
    if (Decimal::ToInteger(c.value.toString(), whole))
        return c.value;
    Decimal::ToDouble(c.value.toString(), real);
    Decimal::FromDouble(real, nearest);
    return QVariant(nearest);
}

// Firebird multiplies a literal's digits by a power of ten, which fails below 1e-307 (so even
// 2.2250738585072014e-307, with its 17 digits, fails).
bool firebirdScaleFails(const Case& c) {
    if (!c.isReal() || c.real() == 0 || !std::isfinite(c.real()))
        return false;
    char text[40];
    const auto written =
        std::to_chars(text, text + sizeof text, c.real(), std::chars_format::scientific);
    const QByteArray digits(text, written.ptr - text);
    const qsizetype e = digits.indexOf('e');
    qsizetype places = -1;
    for (qsizetype i = 0; i < e; ++i)
        places += digits[i] >= '0' && digits[i] <= '9';
    return digits.mid(e + 1).toInt() - places < -307;
}

}  // namespace

const QVector<Rule>& ScriptTextRules() {
    static const QVector<Rule> rules{
        {"NaN and the infinities have no literal in any dialect", Effect::Refuses,
         [](const Case& c) { return c.script() && c.isReal() && !std::isfinite(c.real()); },
         "which no script can carry"},
        {"a memo's bytes that are no UTF-8 cannot be quoted text", Effect::Refuses,
         [](const Case& c) { return quotedInScript(c) && NoUtf8(c); }, "no UTF-8"},
        {"a script's lines end in line feeds: a carriage return in quoted text cannot be carried",
         Effect::Refuses,
         [](const Case& c) { return quotedInScript(c) && c.text().contains(QChar('\r')); },
         "line feeds"},
        {"an SQL text ends at a NUL: no script carries one in quoted text", Effect::Refuses,
         [](const Case& c) { return quotedInScript(c) && HoldsNul(c); }, "NUL"},
        {"the Interbase dialect writes a blob as text: control characters and, in bytes, any "
         "above 127 cannot be carried",
         Effect::Refuses, interbaseBlobChanges, "writes a blob as text"},
        {"SQLite keeps any value in any column: no script writes one of another type",
         Effect::Refuses,
         [](const Case& c) {
             return c.script() &&
                    (ForeignNumber(c) || (c.kind() == Kind::Bool && c.is(QMetaType::LongLong)));
         },
         "of its field's type"},
        {"a script writes dates as dates: text in a date column that is no date fails",
         Effect::Refuses, [](const Case& c) { return c.script() && DateText(c); }, "no date"},
        {"24:00:00 has no whole-second form in a script", Effect::Refuses,
         [](const Case& c) {
             return c.script() && c.is(qMetaTypeId<TimeOfDay>()) &&
                    c.value.value<TimeOfDay>().usec == UsecPerDay;
         },
         "23:59:59"},
        {"a script writes years of four digits: earlier and later years cannot be carried",
         Effect::Refuses,
         [](const Case& c) {
             return c.script() && DateOutside(c, QDate(1, 1, 1), QDate(9999, 12, 31));
         },
         "four digits"},
        {"a time stamp with a zone is written with it, which Firebird 3 cannot read",
         Effect::Rejects,
         [](const Case& c) {
             return c.into(Engine::Firebird) && c.is(qMetaTypeId<TimeStamp>()) &&
                    c.value.value<TimeStamp>().zoned;
         }},
        {"a script's dates and times carry whole seconds", Effect::Nearest,
         [](const Case& c) {
             return c.script() &&
                    (c.is(qMetaTypeId<TimeOfDay>()) || c.is(qMetaTypeId<TimeStamp>()));
         },
         "", wholeSeconds},
        {"the Ansi dialect writes a binary blob as null", Effect::Nearest,
         [](const Case& c) { return c.ansi() && c.kind() == Kind::Bytes; }, "",
         [](const Case&) { return QVariant(); }},
    };
    return rules;
}

const QVector<Rule>& ExecutionRules() {
    static const QVector<Rule> rules{
        {"no engine reads a negative zero from a literal: -0 arrives as 0", Effect::Nearest,
         [](const Case& c) {
             return c.executed() && c.isReal() && c.real() == 0 && std::signbit(c.real());
         },
         "", [](const Case&) { return QVariant(0.0); }},
        {"a timestamptz reads a script's time stamp without zone in the session's zone (the "
         "suite's: Asia/Kolkata, +05:30)",
         Effect::Nearest,
         [](const Case& c) {
             return c.executed() && c.into(Engine::Postgres) && c.kind() == Kind::ZonedStamp &&
                    c.is(qMetaTypeId<TimeStamp>()) && !c.value.value<TimeStamp>().zoned;
         },
         "",
         [](const Case& c) {
             TimeStamp local = c.value.value<TimeStamp>();
             local.zoned = true;
             local.offset = PostgresSessionOffset;
             return QVariant::fromValue(local);
         }},
        {"SQLite keeps a decimal literal as the nearest double (or 64-bit integer)",
         Effect::Nearest,
         [](const Case& c) { return c.executed() && c.into(Engine::Sqlite) && c.isDecimal(); }, "",
         nearestDouble},
        {"a 4-byte float column keeps the nearest float to a script's literal", Effect::Nearest,
         [](const Case& c) {
             return c.executed() && !c.into(Engine::Sqlite) && c.kind() == Kind::Float4 &&
                    c.isReal();
         },
         "", [](const Case& c) { return QVariant(SingleOf(c.real())); }},
        {"the servers round a decimal literal to the column's scale", Effect::Nearest,
         [](const Case& c) {
             return c.executed() && !c.into(Engine::Sqlite) && c.isDecimal() &&
                    DigitsAfter(c.value.toString()) > c.column.scale;
         },
         "", roundedDecimal},
        {"MariaDB and Firebird refuse the digits of the largest float, which lie above it",
         Effect::Rejects,
         [](const Case& c) {
             return c.executed() && (c.into(Engine::Mariadb) || c.into(Engine::Firebird)) &&
                    c.kind() == Kind::Float4 && c.isReal() && std::isfinite(c.real()) &&
                    std::abs(c.real()) > double(std::numeric_limits<float>::max());
         }},
        {"Firebird refuses a double literal below 1e-307", Effect::Rejects,
         [](const Case& c) { return c.into(Engine::Firebird) && firebirdScaleFails(c); }},
        {"the servers refuse text longer than the column", Effect::Rejects,
         [](const Case& c) { return c.executed() && !c.into(Engine::Sqlite) && TextTooLong(c); }},
        {"the servers refuse a number beyond the column (Firebird's NUMERIC has 18 digits)",
         Effect::Rejects,
         [](const Case& c) {
             const int precision =
                 c.into(Engine::Firebird) ? std::min(18, c.column.precision) : c.column.precision;
             const bool decimal =
                 c.isDecimal() && DigitsBefore(c.value.toString()) > precision - c.column.scale;
             return c.executed() && !c.into(Engine::Sqlite) && (OutOfIntegerRange(c) || decimal);
         }},
        {"the servers refuse text that is no UUID in a UUID column", Effect::Rejects,
         [](const Case& c) {
             return c.executed() && (c.into(Engine::Postgres) || c.into(Engine::Mariadb)) &&
                    c.kind() == Kind::Uuid && c.value.isValid() && c.text().size() != 36;
         }},
        {"Firebird keeps dates from the year 1 to 9999 and a string literal of 64 KB",
         Effect::Rejects,
         [](const Case& c) {
             const qsizetype bytes = c.is(QMetaType::QByteArray) ? c.value.toByteArray().size()
                                                                 : c.text().toUtf8().size();
             return c.into(Engine::Firebird) &&
                    (DateOutside(c, QDate(1, 1, 1), QDate(9999, 12, 31)) || bytes > 65535);
         }},
    };
    return rules;
}
