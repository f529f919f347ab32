#include "data/IsoDateTime.h"

#include <cstdio>
#include <cstdlib>

namespace IsoDateTime {
namespace {

bool digits(const char* text, int count, int& value) {
    value = 0;
    for (int i = 0; i < count; ++i) {
        const char c = text[i];
        if (c < '0' || c > '9')
            return false;
        value = value * 10 + (c - '0');
    }
    return true;
}

// "+hh", "+hh:mm", "+hhmm", "+hh:mm:ss" or "Z", to the end of the text.
bool parseZone(const char* text, int length, qint32& offset) {
    if (length == 1 && (text[0] == 'Z' || text[0] == 'z')) {
        offset = 0;
        return true;
    }
    if (length < 3 || (text[0] != '+' && text[0] != '-'))
        return false;
    int hours = 0, minutes = 0, seconds = 0;
    if (!digits(text + 1, 2, hours))
        return false;
    int at = 3;
    if (at < length) {
        if (text[at] == ':')
            ++at;
        if (at + 2 > length || !digits(text + at, 2, minutes))
            return false;
        at += 2;
    }
    if (at < length) {
        if (text[at] != ':' || at + 3 != length || !digits(text + at + 1, 2, seconds))
            return false;
        at = length;
    }
    if (at != length || hours > 15 || minutes > 59 || seconds > 59)
        return false;
    offset = (hours * 3600 + minutes * 60 + seconds) * (text[0] == '-' ? -1 : 1);
    return true;
}

}  // namespace

bool ParseDate(const char* text, int length, QDate& date) {
    int year, month, day;
    if (length != 10 || text[4] != '-' || text[7] != '-' || !digits(text, 4, year) ||
        !digits(text + 5, 2, month) || !digits(text + 8, 2, day))
        return false;
    date = QDate(year, month, day);
    return date.isValid();
}

bool ParseTime(const char* text, int length, TimeOfDay& time) {
    int hour, minute, second = 0;
    qint64 fraction = 0;
    if (length < 5 || text[2] != ':' || !digits(text, 2, hour) || !digits(text + 3, 2, minute))
        return false;
    if (length > 5) {
        if (length < 8 || text[5] != ':' || !digits(text + 6, 2, second))
            return false;
        if (length > 8) {
            if ((text[8] != '.' && text[8] != ',') || length == 9 || length > 18)
                return false;
            qint64 unit = UsecPerSecond;
            for (int i = 9; i < length; ++i) {
                const char c = text[i];
                if (c < '0' || c > '9')
                    return false;
                unit /= 10;
                if (unit > 0)
                    fraction += (c - '0') * unit;
                else if (c != '0')
                    return false;
            }
        }
    }
    const qint64 usec = ((hour * 60 + minute) * 60 + second) * UsecPerSecond + fraction;
    if (hour == 24 ? usec != UsecPerDay : (minute > 59 || second > 59 || hour > 23))
        return false;
    time.usec = usec;
    return true;
}

bool ParseTimeStamp(const char* text, int length, TimeStamp& stamp) {
    if (length < 10 || !ParseDate(text, 10, stamp.date))
        return false;
    stamp.usec = 0;
    stamp.zoned = false;
    stamp.offset = 0;
    if (length == 10)
        return true;
    if (length < 16 || (text[10] != ' ' && text[10] != 'T'))
        return false;
    // The time runs up to a zone, if one follows.
    int end = 11;
    while (end < length && text[end] != '+' && text[end] != '-' && text[end] != 'Z' &&
           text[end] != 'z' && text[end] != ' ')
        ++end;
    TimeOfDay time;
    if (!ParseTime(text + 11, end - 11, time) || time.usec == UsecPerDay)
        return false;
    stamp.usec = time.usec;
    if (end == length)
        return true;
    const int zone = text[end] == ' ' ? end + 1 : end;
    if (!parseZone(text + zone, length - zone, stamp.offset))
        return false;
    stamp.zoned = true;
    return true;
}

namespace {

char* putDigits(char* at, qint64 value, int count) {
    for (int i = count - 1; i >= 0; --i, value /= 10)
        at[i] = static_cast<char>('0' + value % 10);
    return at + count;
}

// "yyyy-MM-dd" into `at`; false for years that need snprintf's sign and width rules.
bool putDate(char* at, const QDate& date) {
    int year, month, day;
    date.getDate(&year, &month, &day);
    if (!date.isValid() || year < 0 || year > 9999)
        return false;
    at = putDigits(at, year, 4);
    *at++ = '-';
    at = putDigits(at, month, 2);
    *at++ = '-';
    putDigits(at, day, 2);
    return true;
}

}  // namespace

int WriteZone(char* at, qint32 offset) {
    char* start = at;
    *at++ = offset < 0 ? '-' : '+';
    const qint32 seconds = std::abs(offset);
    at = putDigits(at, seconds / 3600, 2);
    *at++ = ':';
    at = putDigits(at, seconds / 60 % 60, 2);
    if (seconds % 60) {
        *at++ = ':';
        at = putDigits(at, seconds % 60, 2);
    }
    return static_cast<int>(at - start);
}

// Written by hand: every date and time value a commit binds comes through here. Years beyond
// four digits and invalid values keep snprintf's forms.
int WriteDate(char* out, const QDate& date) {
    if (putDate(out, date))
        return 10;
    return std::snprintf(out, 24, "%04d-%02d-%02d", date.year(), date.month(), date.day());
}

int WriteTime(char* out, const TimeOfDay& time) {
    const qint64 usec = std::clamp<qint64>(time.usec, 0, UsecPerDay);
    char* at = out;
    at = putDigits(at, usec / (3600 * UsecPerSecond), 2);
    *at++ = ':';
    at = putDigits(at, usec / (60 * UsecPerSecond) % 60, 2);
    *at++ = ':';
    at = putDigits(at, usec / UsecPerSecond % 60, 2);
    const qint64 fraction = usec % UsecPerSecond;
    if (fraction) {
        *at++ = '.';
        at = fraction % 1000 ? putDigits(at, fraction, 6) : putDigits(at, fraction / 1000, 3);
    }
    return static_cast<int>(at - out);
}

int WriteTimeStamp(char* out, const TimeStamp& stamp, char separator) {
    int length = WriteDate(out, stamp.date);
    out[length++] = separator;
    length += WriteTime(out + length, stamp.time());
    if (stamp.zoned)
        length += WriteZone(out + length, stamp.offset);
    return length;
}

QByteArray FormatDate(const QDate& date) {
    char buffer[WriteRoom];
    return QByteArray(buffer, WriteDate(buffer, date));
}

QByteArray FormatTime(const TimeOfDay& time) {
    char buffer[WriteRoom];
    return QByteArray(buffer, WriteTime(buffer, time));
}

QByteArray FormatTimeStamp(const TimeStamp& stamp, char separator) {
    char buffer[WriteRoom];
    return QByteArray(buffer, WriteTimeStamp(buffer, stamp, separator));
}

}  // namespace IsoDateTime
