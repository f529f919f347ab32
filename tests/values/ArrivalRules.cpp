#include "tests/values/ValueSuite.h"

#include "data/Decimal.h"

#include <QStringDecoder>
#include <QUuid>
#include <charconv>
#include <cmath>
#include <limits>

namespace {

// A value on its hop.
struct Case {
    Hop hop;
    const ColumnSpec& column;
    QVariant value;

    Kind kind() const { return column.kind; }
    bool script() const { return IsScript(hop.path); }
    bool move() const { return hop.path == Path::MoveTyped || hop.path == Path::MoveUntyped; }
    bool into(Engine engine) const { return hop.to == engine; }
    bool intoServer() const { return into(Engine::Postgres) || into(Engine::Mariadb); }
    // A script some engine runs (the Oracle dialect's is only read back).
    bool executed() const { return script() && hop.path != Path::OracleText; }
    bool is(int type) const { return value.userType() == type; }
    bool isText() const {
        return value.isValid() && (kind() == Kind::Text || kind() == Kind::FixedText ||
                                   kind() == Kind::Memo || kind() == Kind::Uuid);
    }
    QString text() const {
        return is(QMetaType::QByteArray) ? QString::fromUtf8(value.toByteArray())
                                         : value.toString();
    }
    bool isReal() const { return is(QMetaType::Double); }
    double real() const { return value.toDouble(); }
    bool negativeZero() const { return isReal() && real() == 0 && std::signbit(real()); }
    bool isDecimal() const { return kind() == Kind::Decimal && Decimal::IsNormal(text()); }
    int digitsBefore() const { return digits(true); }
    int digitsAfter() const { return digits(false); }
    bool isMoment() const { return is(qMetaTypeId<TimeOfDay>()) || is(qMetaTypeId<TimeStamp>()); }
    bool zoned() const { return is(qMetaTypeId<TimeStamp>()) && value.value<TimeStamp>().zoned; }
    // Whether a date or time stamp value (in UTC) falls outside the dates.
    bool dateOutside(const QDate& first, const QDate& last = QDate(9999, 12, 31)) const {
        const QDate date = is(QMetaType::QDate)           ? value.toDate()
                           : is(qMetaTypeId<TimeStamp>()) ? value.value<TimeStamp>().toUtc().date
                                                          : QDate();
        return date.isValid() && (date < first || date > last);
    }

private:
    int digits(bool before) const {
        int whole = 0, fraction = 0;
        Decimal::CountDigits(text(), whole, fraction);
        return before ? whole : fraction;
    }
};

// The double a 4-byte float column gives back: its float's shortest digits.
double singleOf(double value) {
    char text[32];
    const auto written = std::to_chars(text, text + sizeof text, static_cast<float>(value));
    double back = 0;
    std::from_chars(text, written.ptr, back);
    return back;
}

bool textTooLong(const Case& c) {
    return c.isText() && c.column.size > 0 && c.text().toUcs4().size() > c.column.size;
}

bool holdsNul(const Case& c) {
    return c.isText() && c.text().contains(QChar(0));
}

bool noUtf8(const Case& c) {
    if (!c.is(QMetaType::QByteArray) || c.kind() != Kind::Memo)
        return false;
    QStringDecoder decoder(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    const QString text = decoder(c.value.toByteArray());
    return decoder.hasError();
}

bool outOfIntegerRange(const Case& c) {
    const qint64 v = c.value.toLongLong();
    const qint64 most = c.kind() == Kind::Int16   ? 32767
                        : c.kind() == Kind::Int32 ? std::numeric_limits<qint32>::max()
                                                  : std::numeric_limits<qint64>::max();
    return c.is(QMetaType::LongLong) && (v < -most - 1 || v > most);
}

// A value of another type than its column's, as SQLite keeps any: text or a fraction in an
// integer column, text in a float or date column, an integer other than 0 or 1 as a boolean.
bool foreignNumber(const Case& c) {
    if (c.kind() == Kind::Int16 || c.kind() == Kind::Int32 || c.kind() == Kind::Int64)
        return c.value.isValid() && !c.is(QMetaType::LongLong);
    return (c.kind() == Kind::Float8 || c.kind() == Kind::Float4) && c.is(QMetaType::QString);
}

bool dateText(const Case& c) {
    return c.is(QMetaType::QString) && c.kind() >= Kind::Date && c.kind() <= Kind::ZonedStamp;
}

bool decimalBeyondDouble(const Case& c) {
    double real = 0;
    qint64 whole = 0;
    return c.isDecimal() && !Decimal::ToInteger(c.text(), whole) &&
           !Decimal::ToDouble(c.text(), real);
}

// Text a script writes as a quoted literal: all but the Oracle dialect's memos (of SQLite and
// MariaDB; PostgreSQL's text is no memo), which it writes as HEXTORAW.
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
    QString digits = c.text();
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
    if (Decimal::ToInteger(c.text(), whole))
        return c.value;
    Decimal::ToDouble(c.text(), real);
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

// The rules in the order they decide, each saying why: what a script's text cannot say, what
// the program refuses to write into a field, the nearest forms engines keep, what an engine makes
// of a statement. README's table "What arrives where" says the same in prose.
Expectation expect(const Hop& hop, const ColumnSpec& column, const QVariant& value) {
    Case c{hop, column, value};
    Expectation e;
    const auto ends = [&](Expectation::Outcome outcome, const char* says, const char* reason) {
        e.because += QLatin1String(says) + QStringLiteral("; ");
        e.outcome = outcome;
        e.reason = QLatin1String(reason);
        e.value = c.value;
        return e;
    };
    const auto refused = [&](const char* says, const char* reason) {
        return ends(Expectation::Refused, says, reason);
    };
    const auto rejected = [&](const char* says) { return ends(Expectation::Rejected, says, ""); };
    const auto nearest = [&](const char* says, const QVariant& form) {
        e.because += QLatin1String(says) + QStringLiteral("; ");
        c.value = form;
    };
    if (!value.isValid()) {
        e.because = QStringLiteral("NULL stays NULL");
        return e;
    }

    if (c.script() && c.isReal() && !std::isfinite(c.real()))
        return refused("NaN and the infinities have no literal in any dialect",
                       "which no script can carry");
    if (quotedInScript(c) && noUtf8(c))
        return refused("a memo's bytes that are no UTF-8 cannot be quoted text", "no UTF-8");
    if (quotedInScript(c) && c.text().contains(QChar('\r')))
        return refused(
            "a script's lines end in line feeds: a carriage return in quoted text "
            "cannot be carried",
            "line feeds");
    if (quotedInScript(c) && holdsNul(c))
        return refused("an SQL text ends at a NUL: no script carries one in quoted text", "NUL");
    if (interbaseBlobChanges(c))
        return refused(
            "the Interbase dialect writes a blob as text: control characters and, in "
            "bytes, any above 127 cannot be carried",
            "writes a blob as text");
    if (c.script() && (foreignNumber(c) || (c.kind() == Kind::Bool && c.is(QMetaType::LongLong))))
        return refused("SQLite keeps any value in any column: no script writes one of another type",
                       "of its field's type");
    if (c.script() && dateText(c))
        return refused(
            "a script writes dates as dates: text in a date column that is no date fails",
            "no date");
    if (c.script() && c.is(qMetaTypeId<TimeOfDay>()) &&
        c.value.value<TimeOfDay>().usec == UsecPerDay)
        return refused("24:00:00 has no whole-second form in a script", "23:59:59");
    if (c.script() && c.dateOutside(QDate(1, 1, 1)))
        return refused(
            "a script writes years of four digits: earlier and later years cannot be "
            "carried",
            "four digits");
    if (c.into(Engine::Firebird) && c.zoned())
        return rejected(
            "a time stamp with a zone is written with it, which Firebird 3 cannot read");
    if (c.script() && c.isMoment())
        nearest("a script's dates and times carry whole seconds", wholeSeconds(c));
    if ((hop.path == Path::AnsiByProgram || hop.path == Path::AnsiByShell) &&
        c.kind() == Kind::Bytes) {
        nearest("the Ansi dialect writes a binary blob as null", QVariant());
        return e;
    }

    if (c.move() && textTooLong(c))
        return refused("text longer than its column's declared size", "it holds at most");
    if (c.move() && !c.into(Engine::Sqlite) && noUtf8(c))
        return refused("the servers keep text of UTF-8: a memo's bytes that are no UTF-8 fail",
                       "no UTF-8");
    if (c.move() && c.into(Engine::Postgres) && holdsNul(c))
        return refused("PostgreSQL stores no NUL in text", "stores no NUL");
    if (c.move() && !c.into(Engine::Postgres) && c.isReal() && std::isnan(c.real()))
        return refused("SQLite and MariaDB store no NaN", "stores no NaN");
    if (c.move() && c.into(Engine::Mariadb) && c.isReal() && std::isinf(c.real()))
        return refused("MariaDB stores no infinity", "stores no infinity");
    if (c.move() && !c.into(Engine::Sqlite) && c.kind() == Kind::Float4 && c.isReal() &&
        std::isfinite(c.real()) &&
        (std::isinf(static_cast<float>(c.real())) || singleOf(c.real()) != c.real()))
        return refused("a 4-byte float keeps about 7 digits: a double it does not hold is refused",
                       "4-byte float");
    if (c.move() && c.into(Engine::Sqlite) && decimalBeyondDouble(c))
        return refused(
            "SQLite keeps decimals as doubles: more digits than a double holds are "
            "refused",
            "keeps a decimal as a double");
    if (c.move() && c.isDecimal() && c.digitsAfter() > column.scale)
        return refused("a decimal with more places than its column's scale", "decimal places");
    if (c.move() && c.isDecimal() && c.digitsBefore() > column.precision - column.scale)
        return refused(
            "a decimal with more digits before the point than its column's precision "
            "allows",
            "digits before the decimal point");
    if (c.move() && !c.into(Engine::Sqlite) && outOfIntegerRange(c))
        return refused("integers beyond the column's range", "allowed range");
    if (c.move() && c.kind() == Kind::Bool && c.is(QMetaType::LongLong))
        return refused(
            "SQLite keeps any value in any column: a boolean other than 0 and 1 is "
            "refused",
            "0 or 1");
    if (c.move() && foreignNumber(c))
        return refused(
            "SQLite keeps any value in any column: a number column's text or fraction "
            "is refused",
            "is not a valid");
    if (c.move() && dateText(c))
        return refused("text in a date or time column that is no date or time", "is not a valid");
    if (c.move() && c.intoServer() && c.kind() == Kind::Uuid &&
        QUuid::fromString(c.text())
            .toString(QUuid::WithoutBraces)
            .compare(c.text(), Qt::CaseInsensitive))
        return refused("PostgreSQL and MariaDB hold a UUID and no other text in a UUID column",
                       "it holds a UUID");
    if (c.move() && c.into(Engine::Sqlite) && c.dateOutside(QDate(1, 1, 1)))
        return refused("dates SQLite's date functions read: years 1 to 9999",
                       "it holds dates from");
    if (c.move() && c.into(Engine::Mariadb) && c.dateOutside(QDate(1000, 1, 1)))
        return refused("MariaDB's documented range of dates: years 1000 to 9999",
                       "it holds dates from");
    if (c.move() && c.into(Engine::Postgres) && c.kind() != Kind::Date &&
        c.dateOutside(QDate(-4713, 11, 24), QDate(294276, 12, 31)))
        return refused("PostgreSQL keeps time stamps up to the year 294276", "it holds dates from");

    if (c.zoned() && !(c.into(Engine::Postgres) && c.kind() == Kind::ZonedStamp)) {
        TimeStamp utc = c.value.value<TimeStamp>().toUtc();
        utc.zoned = false;
        nearest("a time stamp with a zone arrives in a column without one as its UTC time",
                QVariant::fromValue(utc));
    }
    if ((c.into(Engine::Sqlite) || c.into(Engine::Mariadb)) && c.negativeZero())
        nearest("SQLite and MariaDB keep no negative zero: -0 arrives as 0", 0.0);
    if (c.kind() == Kind::Uuid && c.intoServer())
        nearest("PostgreSQL and MariaDB write a UUID in lower case", c.text().toLower());

    if (c.executed() && c.negativeZero())
        nearest("no engine reads a negative zero from a literal: -0 arrives as 0", 0.0);
    if (c.executed() && c.into(Engine::Postgres) && c.kind() == Kind::ZonedStamp &&
        c.is(qMetaTypeId<TimeStamp>()) && !c.zoned()) {
        TimeStamp local = c.value.value<TimeStamp>();
        local.zoned = true;
        local.offset = PostgresSessionOffset;
        nearest(
            "a timestamptz reads a script's time stamp without zone in the session's zone "
            "(the suite's: Asia/Kolkata, +05:30)",
            QVariant::fromValue(local));
    }
    if (c.executed() && c.into(Engine::Sqlite) && c.isDecimal())
        nearest("SQLite keeps a decimal literal as the nearest double (or 64-bit integer)",
                nearestDouble(c));
    if (c.executed() && !c.into(Engine::Sqlite) && c.kind() == Kind::Float4 && c.isReal())
        nearest("a 4-byte float column keeps the nearest float to a script's literal",
                singleOf(c.real()));
    if (c.executed() && !c.into(Engine::Sqlite) && c.isDecimal() && c.digitsAfter() > column.scale)
        nearest("the servers round a decimal literal to the column's scale", roundedDecimal(c));
    if (c.executed() && (c.into(Engine::Mariadb) || c.into(Engine::Firebird)) &&
        c.kind() == Kind::Float4 && c.isReal() && std::isfinite(c.real()) &&
        std::abs(c.real()) > double(std::numeric_limits<float>::max()))
        return rejected(
            "MariaDB and Firebird refuse the digits of the largest float, which lie "
            "above it");
    if (c.into(Engine::Firebird) && firebirdScaleFails(c))
        return rejected("Firebird refuses a double literal below 1e-307");
    if (c.executed() && !c.into(Engine::Sqlite) && textTooLong(c))
        return rejected("the servers refuse text longer than the column");
    const int precision =
        c.into(Engine::Firebird) ? std::min(18, column.precision) : column.precision;
    if (c.executed() && !c.into(Engine::Sqlite) &&
        (outOfIntegerRange(c) || (c.isDecimal() && c.digitsBefore() > precision - column.scale)))
        return rejected(
            "the servers refuse a number beyond the column (Firebird's NUMERIC has 18 "
            "digits)");
    if (c.executed() && c.intoServer() && c.kind() == Kind::Uuid && c.text().size() != 36)
        return rejected("the servers refuse text that is no UUID in a UUID column");
    const qsizetype bytes =
        c.is(QMetaType::QByteArray) ? c.value.toByteArray().size() : c.text().toUtf8().size();
    if (c.into(Engine::Firebird) && (c.dateOutside(QDate(1, 1, 1)) || bytes > 65535))
        return rejected(
            "Firebird keeps dates from the year 1 to 9999 and a string literal of "
            "64 KB");
    e.value = c.value;
    return e;
}

}  // namespace

RowExpectation ExpectRow(const Hop& hop, const QVector<ColumnSpec>& columns, const ValueRow& row,
                         const QSet<int>& omitted) {
    RowExpectation expected;
    expected.id = row.id;
    for (int i = 0; i < columns.size(); ++i) {
        Expectation value;
        if (omitted.contains(i))
            value.because = QStringLiteral("left out: the field types differ");
        else
            value = expect(hop, columns[i], row.values.value(i));
        if (value.outcome != Expectation::Arrives &&
            (expected.outcome == Expectation::Arrives ||
             (expected.outcome == Expectation::Rejected && value.outcome == Expectation::Refused)))
            expected.outcome = value.outcome;
        expected.values.append(value);
    }
    return expected;
}
