#include "data/DemoDatabases.h"

#include "data/Exceptions.h"
#include "data/sqlite/SqliteHandles.h"

#include <QDate>
#include <QFile>
#include <QFileInfo>
#include <QStringList>
#include <array>

namespace DemoDatabases {
namespace {

const char* const Schema = R"(
CREATE TABLE CUSTOMERS (
    CUST_ID INTEGER PRIMARY KEY AUTOINCREMENT,
    NAME VARCHAR(60) NOT NULL,
    COUNTRY CHAR(2),
    CITY VARCHAR(40),
    PHONE VARCHAR(20),
    CREDIT_LIMIT MONEY,
    DISCOUNT NUMERIC(5,2),
    RATING REAL,
    ACTIVE BOOLEAN,
    SINCE DATE,
    NOTES CLOB
);
CREATE TABLE ORDERS (
    ORDER_ID INTEGER PRIMARY KEY,
    CUST_ID INTEGER NOT NULL,
    ORDER_DATE DATETIME,
    SHIP_TIME TIME,
    AMOUNT NUMERIC(12,2),
    WEIGHT DOUBLE,
    PRIORITY SMALLINT,
    TRACKING BIGINT,
    STATUS CHAR(10),
    COMMENT TEXT
);
CREATE TABLE PRODUCTS (
    CODE CHAR(8) PRIMARY KEY,
    TITLE VARCHAR(80) NOT NULL,
    PRICE MONEY,
    STOCK INTEGER,
    PHOTO BLOB,
    DESCRIPTION CLOB,
    UPDATED TIMESTAMP
);
)";

// A small deterministic generator, so that every demo database holds the same rows.
class Random {
public:
    quint32 next() {
        m_state = m_state * 1664525u + 1013904223u;
        return m_state >> 8;
    }
    int below(int n) { return static_cast<int>(next() % static_cast<quint32>(n)); }
    bool chance(int percent) { return below(100) < percent; }

private:
    quint32 m_state = 20261208u;
};

const std::array<const char*, 16> FirstNames = {
    "Anna",   "Brendan", "Chloé",    "Dmitri", "Eileen", "François", "Grace", "Hamish",
    "Ingrid", "Jasper",  "Kateřina", "Liam",   "Maëlle", "Niamh",    "Oskar", "Paloma"};
const std::array<const char*, 16> LastNames = {"O'Brien",    "D'Angelo",   "Müller", "Nakamura",
                                               "O'Neill",    "Kowalski",   "Dubois", "Svensson",
                                               "McAllister", "D'Souza",    "García", "Novák",
                                               "Fitzgerald", "L'Estrange", "Rossi",  "Haugen"};
const std::array<std::array<const char*, 2>, 8> Places = {{{"IE", "Cork"},
                                                           {"FR", "Lyon"},
                                                           {"DE", "Köln"},
                                                           {"GB", "Bristol"},
                                                           {"US", "Portland"},
                                                           {"IT", "L'Aquila"},
                                                           {"CZ", "Brno"},
                                                           {"NO", "Tromsø"}}};
const std::array<const char*, 6> Statuses = {"NEW",       "PAID",     "SHIPPED",
                                             "DELIVERED", "RETURNED", "HELD"};
const std::array<const char*, 10> Goods = {
    "Walnut desk",  "Oak shelf",  "Reading lamp", "Ceramic mug",      "Linen apron",
    "Wool blanket", "Brass hook", "Maple board",  "Children's stool", "Artist's easel"};

void bindText(sqlite3_stmt* stmt, int i, const QString& text) {
    const QByteArray utf8 = text.toUtf8();
    sqlite3_bind_text(stmt, i, utf8.constData(), utf8.size(), SQLITE_TRANSIENT);
}

void stepInsert(sqlite3* db, sqlite3_stmt* stmt) {
    const int rc = sqlite3_step(stmt);
    if (rc != SQLITE_DONE)
        ThrowSqliteError(db, rc);
    sqlite3_reset(stmt);
    sqlite3_clear_bindings(stmt);
}

void fillCustomers(sqlite3* db, Random& rnd) {
    SqliteStmt stmt = PrepareSqlite(
        db, QStringLiteral("INSERT INTO CUSTOMERS (NAME, COUNTRY, CITY, PHONE, CREDIT_LIMIT, "
                           "DISCOUNT, RATING, ACTIVE, "
                           "SINCE, NOTES) VALUES (?1, ?2, ?3, ?4, ?5, ?6, ?7, ?8, ?9, ?10)"));
    for (int i = 0; i < 300; ++i) {
        sqlite3_stmt* s = stmt.get();
        const auto& place = Places[static_cast<size_t>(rnd.below(8))];
        bindText(s, 1,
                 QStringLiteral("%1 %2").arg(
                     QString::fromUtf8(FirstNames[static_cast<size_t>(rnd.below(16))]),
                     QString::fromUtf8(LastNames[static_cast<size_t>(rnd.below(16))])));
        bindText(s, 2, QString::fromLatin1(place[0]));
        if (!rnd.chance(8))
            bindText(s, 3, QString::fromUtf8(place[1]));
        if (!rnd.chance(20))
            bindText(s, 4,
                     QStringLiteral("+%1 %2 %3")
                         .arg(10 + rnd.below(89))
                         .arg(100 + rnd.below(900))
                         .arg(1000 + rnd.below(9000)));
        sqlite3_bind_double(s, 5, (rnd.below(500) + 1) * 100.0 + (rnd.chance(30) ? 0.5 : 0.0));
        if (!rnd.chance(10))
            bindText(s, 6,
                     QStringLiteral("%1.%2")
                         .arg(rnd.below(30))
                         .arg(rnd.below(100), 2, 10, QLatin1Char('0')));
        sqlite3_bind_double(s, 7, rnd.below(5000) / 1000.0);
        if (!rnd.chance(5))
            sqlite3_bind_int(s, 8, rnd.chance(80) ? 1 : 0);
        bindText(s, 9, QDate(2005, 1, 1).addDays(rnd.below(7600)).toString(Qt::ISODate));
        if (rnd.chance(30)) {
            bindText(s, 10,
                     QStringLiteral("Prefers delivery before noon.\nAsk for %1's signature; "
                                    "the gate code is %2.")
                         .arg(QString::fromUtf8(FirstNames[static_cast<size_t>(rnd.below(16))]))
                         .arg(rnd.below(10000), 4, 10, QLatin1Char('0')));
        }
        stepInsert(db, s);
    }
}

void fillOrders(sqlite3* db, Random& rnd) {
    SqliteStmt stmt = PrepareSqlite(
        db, QStringLiteral("INSERT INTO ORDERS VALUES (?1, ?2, ?3, ?4, ?5, ?6, ?7, ?8, ?9, ?10)"));
    for (int i = 0; i < 500; ++i) {
        sqlite3_stmt* s = stmt.get();
        sqlite3_bind_int(s, 1, 10001 + i * 3);
        sqlite3_bind_int(s, 2, 1 + rnd.below(300));
        const QDate day = QDate(2024, 1, 1).addDays(rnd.below(1000));
        const QTime at(8 + rnd.below(10), rnd.below(60), rnd.below(60));
        bindText(
            s, 3,
            day.toString(Qt::ISODate) + QLatin1Char(' ') + at.toString(QStringLiteral("HH:mm:ss")));
        if (!rnd.chance(25))
            bindText(
                s, 4,
                QTime(9 + rnd.below(8), rnd.below(4) * 15).toString(QStringLiteral("HH:mm:ss")));
        bindText(s, 5,
                 QStringLiteral("%1.%2")
                     .arg(5 + rnd.below(5000))
                     .arg(rnd.below(100), 2, 10, QLatin1Char('0')));
        if (!rnd.chance(10))
            sqlite3_bind_double(s, 6, rnd.below(250000) / 1000.0);
        sqlite3_bind_int(s, 7, 1 + rnd.below(5));
        if (!rnd.chance(15))
            sqlite3_bind_int64(s, 8, 7000000000000LL + rnd.next() * 1000LL + rnd.below(1000));
        bindText(s, 9, QString::fromLatin1(Statuses[static_cast<size_t>(rnd.below(6))]));
        if (rnd.chance(35))
            bindText(s, 10,
                     rnd.chance(50) ? QStringLiteral("Leave at the neighbour's door")
                                    : QStringLiteral("Customer's \"rush\" order; call first"));
        stepInsert(db, s);
    }
}

void fillProducts(sqlite3* db, Random& rnd) {
    SqliteStmt stmt = PrepareSqlite(
        db, QStringLiteral("INSERT INTO PRODUCTS VALUES (?1, ?2, ?3, ?4, ?5, ?6, ?7)"));
    for (int i = 0; i < 200; ++i) {
        sqlite3_stmt* s = stmt.get();
        bindText(s, 1, QStringLiteral("P%1").arg(i * 7 + 100, 6, 10, QLatin1Char('0')));
        const QString good = QString::fromUtf8(Goods[static_cast<size_t>(rnd.below(10))]);
        bindText(s, 2,
                 QStringLiteral("%1, model %2").arg(good, QString::number(rnd.below(90) + 10)));
        sqlite3_bind_double(s, 3, (rnd.below(40000) + 99) / 100.0);
        sqlite3_bind_int(s, 4, rnd.below(120) - 5);
        if (!rnd.chance(30)) {
            QByteArray photo("\x89PNG\r\n\x1a\n", 8);
            const int size = 64 + rnd.below(448);
            for (int b = 0; b < size; ++b)
                photo.append(static_cast<char>(rnd.below(256)));
            sqlite3_bind_blob(s, 5, photo.constData(), photo.size(), SQLITE_TRANSIENT);
        }
        if (!rnd.chance(40))
            bindText(s, 6,
                     QStringLiteral("%1 made to order.\nFinish: %2.")
                         .arg(good, rnd.chance(50) ? QStringLiteral("natural oil")
                                                   : QStringLiteral("matt lacquer")));
        bindText(s, 7,
                 QDate(2025, 1, 1).addDays(rnd.below(600)).toString(Qt::ISODate) +
                     QStringLiteral(" %1:%2:%3.%4")
                         .arg(rnd.below(24), 2, 10, QLatin1Char('0'))
                         .arg(rnd.below(60), 2, 10, QLatin1Char('0'))
                         .arg(rnd.below(60), 2, 10, QLatin1Char('0'))
                         .arg(rnd.below(1000), 3, 10, QLatin1Char('0')));
        stepInsert(db, s);
    }
}

}  // namespace

bool create(const QString& path, bool withRows) {
    // O_EXCL: an existing file, or a link even to nowhere, is never opened, let alone replaced.
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::NewOnly)) {
        const QFileInfo info(path);
        if (info.exists() || info.isSymLink())
            return false;
        throw EDatabaseError(QStringLiteral("Cannot create %1: %2").arg(path, file.errorString()));
    }
    file.close();
    try {
        sqlite3* raw = nullptr;
        const int rc = sqlite3_open_v2(path.toUtf8().constData(), &raw,
                                       SQLITE_OPEN_READWRITE | SQLITE_OPEN_NOFOLLOW, nullptr);
        SqliteDb db(raw);
        if (rc != SQLITE_OK)
            ThrowSqliteError(db.get(), rc, QStringLiteral("Cannot create %1").arg(path));
        ExecSqlite(db.get(), "BEGIN");
        ExecSqlite(db.get(), Schema);
        if (withRows) {
            Random rnd;
            fillCustomers(db.get(), rnd);
            fillOrders(db.get(), rnd);
            fillProducts(db.get(), rnd);
        }
        ExecSqlite(db.get(), "COMMIT");
    } catch (...) {
        QFile::remove(path);
        throw;
    }
    return true;
}

QString createFree(const QDir& dir, const QString& stem, bool withRows) {
    for (int n = 1; n <= 99; ++n) {
        const QString name = n == 1 ? stem + QStringLiteral(".db")
                                    : QStringLiteral("%1-%2.db").arg(stem, QString::number(n));
        if (create(dir.absoluteFilePath(name), withRows))
            return name;
    }
    return QString();
}

}  // namespace DemoDatabases
