#include "data/postgres/PgTemporal.h"

#include <cstdio>
#include <cstring>

namespace PgTemporal {

namespace {

constexpr qint64 JulianDayOf2000 = 2451545;

// Floor division, so that times before 2000 split into a day and a time of day >= 0.
qint64 floorDiv(qint64 a, qint64 b) {
    return a / b - ((a % b != 0) && ((a < 0) != (b < 0)));
}

class Scanner {
public:
    Scanner(const char* text, int length) : m_p(text), m_end(text + length) {}

    bool atEnd() const { return m_p == m_end; }
    bool accept(char c) {
        if (m_p < m_end && *m_p == c) {
            ++m_p;
            return true;
        }
        return false;
    }
    bool acceptWord(const char* word) {
        const auto n = static_cast<qint64>(std::strlen(word));
        if (m_end - m_p < n || std::memcmp(m_p, word, static_cast<size_t>(n)) != 0)
            return false;
        m_p += n;
        return true;
    }
    // Reads at least `minDigits` digits (at most 9).
    bool number(int minDigits, qint64& value, int* digits = nullptr) {
        value = 0;
        int n = 0;
        while (m_p < m_end && *m_p >= '0' && *m_p <= '9' && n < 9) {
            value = value * 10 + (*m_p++ - '0');
            ++n;
        }
        if (digits)
            *digits = n;
        return n >= minDigits;
    }
    // A fraction of a second after the point, as microseconds.
    bool fraction(qint64& usec) {
        usec = 0;
        if (!accept('.'))
            return true;
        int n = 0;
        while (m_p < m_end && *m_p >= '0' && *m_p <= '9') {
            if (n < 6)
                usec = usec * 10 + (*m_p - '0');
            ++m_p;
            ++n;
        }
        for (int i = n; i < 6; ++i)
            usec *= 10;
        return n > 0;
    }

private:
    const char* m_p;
    const char* m_end;
};

bool scanDate(Scanner& s, qint64& year, qint64& month, qint64& day) {
    return s.number(1, year) && s.accept('-') && s.number(2, month) && s.accept('-') &&
           s.number(2, day);
}

bool scanTime(Scanner& s, qint64& usec) {
    qint64 h, m, sec, frac;
    if (!(s.number(2, h) && s.accept(':') && s.number(2, m) && s.accept(':') && s.number(2, sec) &&
          s.fraction(frac)))
        return false;
    if (m > 59 || sec > 60)
        return false;
    usec = ((h * 60 + m) * 60 + sec) * 1000000 + frac;
    return usec <= UsecPerDay;
}

bool scanEra(Scanner& s, bool& bc) {
    bc = s.acceptWord(" BC");
    return s.atEnd();
}

bool toDays(qint64 year, qint64 month, qint64 day, bool bc, qint64& days) {
    // The server writes 1 BC for the year before 1 AD, as QDate counts it (-1).
    const QDate date(static_cast<int>(bc ? -year : year), static_cast<int>(month),
                     static_cast<int>(day));
    if (!date.isValid() || year == 0)
        return false;
    days = daysFromDate(date);
    return true;
}

bool special(const char* text, int length, qint64& value) {
    const QByteArray t = QByteArray::fromRawData(text, length);
    if (t == "infinity") {
        value = PlusInfinity;
        return true;
    }
    if (t == "-infinity") {
        value = MinusInfinity;
        return true;
    }
    return false;
}

void appendYear(QByteArray& out, int year) {
    char buf[16];
    std::snprintf(buf, sizeof buf, "%04d", year < 0 ? -year : year);
    out.append(buf);
}

void appendTwo(QByteArray& out, qint64 v) {
    out.append(static_cast<char>('0' + v / 10));
    out.append(static_cast<char>('0' + v % 10));
}

void appendDate(QByteArray& out, const QDate& date) {
    appendYear(out, date.year());
    out.append('-');
    appendTwo(out, date.month());
    out.append('-');
    appendTwo(out, date.day());
}

void appendTime(QByteArray& out, qint64 usec) {
    const qint64 seconds = usec / 1000000;
    const qint64 frac = usec % 1000000;
    appendTwo(out, seconds / 3600);
    out.append(':');
    appendTwo(out, seconds / 60 % 60);
    out.append(':');
    appendTwo(out, seconds % 60);
    if (frac) {
        char buf[24];
        std::snprintf(buf, sizeof buf, ".%06lld", static_cast<long long>(frac));
        out.append(buf);
    }
}

QByteArray specialText(qint64 value) {
    return value == PlusInfinity ? QByteArrayLiteral("infinity") : QByteArrayLiteral("-infinity");
}

}  // namespace

bool isInfinite(qint64 value) {
    return value == PlusInfinity || value == MinusInfinity;
}

qint64 daysFromDate(const QDate& date) {
    return date.toJulianDay() - JulianDayOf2000;
}

QDate dateFromDays(qint64 days) {
    return QDate::fromJulianDay(days + JulianDayOf2000);
}

bool parseDate(const char* text, int length, qint64& days) {
    if (special(text, length, days))
        return true;
    Scanner s(text, length);
    qint64 y, m, d;
    bool bc;
    return scanDate(s, y, m, d) && scanEra(s, bc) && toDays(y, m, d, bc, days);
}

bool parseTime(const char* text, int length, qint64& usec) {
    Scanner s(text, length);
    return scanTime(s, usec) && s.atEnd();
}

bool parseTimestamp(const char* text, int length, bool withZone, qint64& usec) {
    if (special(text, length, usec))
        return true;
    Scanner s(text, length);
    qint64 y, m, d, time, days;
    if (!scanDate(s, y, m, d) || !(s.accept(' ') || s.accept('T')) || !scanTime(s, time))
        return false;
    qint64 offset = 0;
    if (withZone) {
        const bool negative = s.accept('-');
        if (!negative && !s.accept('+'))
            return false;
        qint64 zh, zm = 0, zs = 0;
        if (!s.number(2, zh))
            return false;
        if (s.accept(':') && !s.number(2, zm))
            return false;
        if (s.accept(':') && !s.number(2, zs))
            return false;
        offset = (zh * 3600 + zm * 60 + zs) * 1000000;
        if (negative)
            offset = -offset;
    }
    bool bc;
    if (!scanEra(s, bc) || !toDays(y, m, d, bc, days))
        return false;
    usec = days * UsecPerDay + time - offset;
    return true;
}

QByteArray formatDate(qint64 days) {
    if (isInfinite(days))
        return specialText(days);
    const QDate date = dateFromDays(days);
    QByteArray out;
    appendDate(out, date);
    if (date.year() < 0)
        out.append(" BC");
    return out;
}

QByteArray formatTime(qint64 usec) {
    QByteArray out;
    appendTime(out, usec);
    return out;
}

QByteArray formatTimestamp(qint64 usec, bool withZone, char separator) {
    if (isInfinite(usec))
        return specialText(usec);
    const qint64 days = floorDiv(usec, UsecPerDay);
    const QDate date = dateFromDays(days);
    QByteArray out;
    appendDate(out, date);
    out.append(separator);
    appendTime(out, usec - days * UsecPerDay);
    if (withZone)
        out.append("+00");
    if (date.year() < 0)
        out.append(" BC");
    return out;
}

}  // namespace PgTemporal
