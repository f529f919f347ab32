#include "tests/values/RuleCase.h"

#include "data/Decimal.h"
#include "data/Temporal.h"

#include <QUuid>
#include <cmath>

namespace {

bool isUuid(const QString& text) {
    return QUuid::fromString(text)
               .toString(QUuid::WithoutBraces)
               .compare(text, Qt::CaseInsensitive) == 0;
}

bool decimalBeyondDouble(const Case& c) {
    double real = 0;
    qint64 whole = 0;
    return c.isDecimal() && !Decimal::ToInteger(c.value.toString(), whole) &&
           !Decimal::ToDouble(c.value.toString(), real);
}

}  // namespace

const QVector<Rule>& FieldRules() {
    static const QVector<Rule> rules{
        {"text longer than its column's declared size", Effect::Refuses,
         [](const Case& c) { return c.move() && TextTooLong(c); }, "it holds at most"},
        {"the servers keep text of UTF-8: a memo's bytes that are no UTF-8 fail", Effect::Refuses,
         [](const Case& c) { return c.move() && !c.into(Engine::Sqlite) && NoUtf8(c); },
         "no UTF-8"},
        {"PostgreSQL stores no NUL in text", Effect::Refuses,
         [](const Case& c) { return c.move() && c.into(Engine::Postgres) && HoldsNul(c); },
         "stores no NUL"},
        {"SQLite and MariaDB store no NaN", Effect::Refuses,
         [](const Case& c) {
             return c.move() && !c.into(Engine::Postgres) && c.isReal() && std::isnan(c.real());
         },
         "stores no NaN"},
        {"MariaDB stores no infinity", Effect::Refuses,
         [](const Case& c) {
             return c.move() && c.into(Engine::Mariadb) && c.isReal() && std::isinf(c.real());
         },
         "stores no infinity"},
        {"a 4-byte float keeps about 7 digits: a double it does not hold is refused",
         Effect::Refuses,
         [](const Case& c) {
             return c.move() && !c.into(Engine::Sqlite) && c.kind() == Kind::Float4 && c.isReal() &&
                    !IsSingle(c.real());
         },
         "4-byte float"},
        {"SQLite keeps decimals as doubles: more digits than a double holds are refused",
         Effect::Refuses,
         [](const Case& c) { return c.move() && c.into(Engine::Sqlite) && decimalBeyondDouble(c); },
         "keeps a decimal as a double"},
        {"a decimal with more places than its column's scale", Effect::Refuses,
         [](const Case& c) {
             return c.move() && c.isDecimal() && DigitsAfter(c.value.toString()) > c.column.scale;
         },
         "decimal places"},
        {"a decimal with more digits before the point than its column's precision allows",
         Effect::Refuses,
         [](const Case& c) {
             return c.move() && c.isDecimal() &&
                    DigitsBefore(c.value.toString()) > c.column.precision - c.column.scale;
         },
         "digits before the decimal point"},
        {"integers beyond the column's range", Effect::Refuses,
         [](const Case& c) { return c.move() && !c.into(Engine::Sqlite) && OutOfIntegerRange(c); },
         "allowed range"},
        {"SQLite keeps any value in any column: a boolean other than 0 and 1 is refused",
         Effect::Refuses,
         [](const Case& c) {
             return c.move() && c.kind() == Kind::Bool && c.is(QMetaType::LongLong);
         },
         "0 or 1"},
        {"SQLite keeps any value in any column: a number column's text or fraction is refused",
         Effect::Refuses, [](const Case& c) { return c.move() && ForeignNumber(c); },
         "is not a valid"},
        {"text in a date or time column that is no date or time", Effect::Refuses,
         [](const Case& c) { return c.move() && DateText(c); }, "is not a valid"},
        {"PostgreSQL and MariaDB hold a UUID and no other text in a UUID column", Effect::Refuses,
         [](const Case& c) {
             return c.move() && (c.into(Engine::Postgres) || c.into(Engine::Mariadb)) &&
                    c.kind() == Kind::Uuid && c.value.isValid() && !isUuid(c.text());
         },
         "it holds a UUID"},
        {"dates SQLite's date functions read: years 1 to 9999", Effect::Refuses,
         [](const Case& c) {
             return c.move() && c.into(Engine::Sqlite) &&
                    DateOutside(c, QDate(1, 1, 1), QDate(9999, 12, 31));
         },
         "it holds dates from"},
        {"MariaDB's documented range of dates: years 1000 to 9999", Effect::Refuses,
         [](const Case& c) {
             return c.move() && c.into(Engine::Mariadb) &&
                    DateOutside(c, QDate(1000, 1, 1), QDate(9999, 12, 31));
         },
         "it holds dates from"},
        {"PostgreSQL keeps time stamps up to the year 294276", Effect::Refuses,
         [](const Case& c) {
             return c.move() && c.into(Engine::Postgres) && c.kind() != Kind::Date &&
                    DateOutside(c, QDate(-4713, 11, 24), QDate(294276, 12, 31));
         },
         "it holds dates from"},
    };
    return rules;
}

const QVector<Rule>& NearestFormRules() {
    static const QVector<Rule> rules{
        {"a time stamp with a zone arrives in a column without one as its UTC time",
         Effect::Nearest,
         [](const Case& c) {
             return c.is(qMetaTypeId<TimeStamp>()) && c.value.value<TimeStamp>().zoned &&
                    !(c.into(Engine::Postgres) && c.kind() == Kind::ZonedStamp);
         },
         "",
         [](const Case& c) {
             TimeStamp utc = c.value.value<TimeStamp>().toUtc();
             utc.zoned = false;
             return QVariant::fromValue(utc);
         }},
        {"SQLite and MariaDB keep no negative zero: -0 arrives as 0", Effect::Nearest,
         [](const Case& c) {
             return (c.into(Engine::Sqlite) || c.into(Engine::Mariadb)) && c.isReal() &&
                    c.real() == 0 && std::signbit(c.real());
         },
         "", [](const Case&) { return QVariant(0.0); }},
        {"PostgreSQL and MariaDB write a UUID in lower case", Effect::Nearest,
         [](const Case& c) {
             return c.kind() == Kind::Uuid && c.value.isValid() &&
                    (c.into(Engine::Postgres) || c.into(Engine::Mariadb));
         },
         "", [](const Case& c) { return QVariant(c.text().toLower()); }},
    };
    return rules;
}
