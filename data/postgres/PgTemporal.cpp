#include "data/postgres/PgTemporal.h"

#include <algorithm>
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

// Proleptic Gregorian calendar from a day count, years counted astronomically (0 is 1 BC);
// integer arithmetic only, as formatting runs for every value of a bulk write.
void civilFromDays(qint64 days, qint64& year, int& month, int& day) {
    const qint64 z = days + 10957 + 719468;  // from 2000-01-01 to the algorithm's 0000-03-01
    const qint64 era = (z >= 0 ? z : z - 146096) / 146097;
    const qint64 doe = z - era * 146097;
    const qint64 yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    const qint64 doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    const qint64 mp = (5 * doy + 2) / 153;
    day = static_cast<int>(doy - (153 * mp + 2) / 5 + 1);
    month = static_cast<int>(mp < 10 ? mp + 3 : mp - 9);
    year = yoe + era * 400 + (month <= 2 ? 1 : 0);
}

char* putTwo(char* p, qint64 v) {
    *p++ = static_cast<char>('0' + v / 10);
    *p++ = static_cast<char>('0' + v % 10);
    return p;
}

// Writes the date and returns whether it falls before the common era.
char* putDate(char* p, qint64 days, bool& bc) {
    qint64 year;
    int month, day;
    civilFromDays(days, year, month, day);
    bc = year <= 0;
    if (bc)
        year = 1 - year;
    char digits[24];
    int n = 0;
    do {
        digits[n++] = static_cast<char>('0' + year % 10);
        year /= 10;
    } while (year > 0);
    while (n < 4)
        digits[n++] = '0';
    while (n > 0)
        *p++ = digits[--n];
    *p++ = '-';
    p = putTwo(p, month);
    *p++ = '-';
    return putTwo(p, day);
}

char* putTime(char* p, qint64 usec) {
    const qint64 seconds = usec / 1000000;
    qint64 frac = usec % 1000000;
    p = putTwo(p, seconds / 3600);
    *p++ = ':';
    p = putTwo(p, seconds / 60 % 60);
    *p++ = ':';
    p = putTwo(p, seconds % 60);
    if (frac) {
        *p++ = '.';
        for (int i = 5; i >= 0; --i) {
            p[i] = static_cast<char>('0' + frac % 10);
            frac /= 10;
        }
        p += 6;
    }
    return p;
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
    // Years beyond about 292,000 do not fit in 64 bits of microseconds; the server's own
    // range ends before them, so such a text is malformed.
    qint64 dayStart;
    if (__builtin_mul_overflow(days, UsecPerDay, &dayStart) ||
        __builtin_add_overflow(dayStart, time - offset, &usec) || isInfinite(usec))
        return false;
    return true;
}

void appendDate(QByteArray& out, qint64 days) {
    if (isInfinite(days)) {
        out.append(specialText(days));
        return;
    }
    char buf[48];
    bool bc;
    char* p = putDate(buf, days, bc);
    if (bc)
        p = std::copy_n(" BC", 3, p);
    out.append(buf, p - buf);
}

void appendTime(QByteArray& out, qint64 usec) {
    char buf[32];
    out.append(buf, putTime(buf, usec) - buf);
}

void appendTimestamp(QByteArray& out, qint64 usec, bool withZone, char separator) {
    if (isInfinite(usec)) {
        out.append(specialText(usec));
        return;
    }
    const qint64 days = floorDiv(usec, UsecPerDay);
    char buf[64];
    bool bc;
    char* p = putDate(buf, days, bc);
    *p++ = separator;
    p = putTime(p, usec - days * UsecPerDay);
    if (withZone)
        p = std::copy_n("+00", 3, p);
    if (bc)
        p = std::copy_n(" BC", 3, p);
    out.append(buf, p - buf);
}

QByteArray formatDate(qint64 days) {
    QByteArray out;
    appendDate(out, days);
    return out;
}

QByteArray formatTime(qint64 usec) {
    QByteArray out;
    appendTime(out, usec);
    return out;
}

QByteArray formatTimestamp(qint64 usec, bool withZone, char separator) {
    QByteArray out;
    appendTimestamp(out, usec, withZone, separator);
    return out;
}

}  // namespace PgTemporal
