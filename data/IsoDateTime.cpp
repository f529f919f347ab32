#include "data/IsoDateTime.h"

#include <cstdio>

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

}  // namespace

bool ParseDate(const char* text, int length, QDate& date) {
    int year, month, day;
    if (length != 10 || text[4] != '-' || text[7] != '-' || !digits(text, 4, year) ||
        !digits(text + 5, 2, month) || !digits(text + 8, 2, day))
        return false;
    date = QDate(year, month, day);
    return date.isValid();
}

bool ParseTime(const char* text, int length, QTime& time) {
    int hour, minute, second = 0, ms = 0;
    if (length < 5 || text[2] != ':' || !digits(text, 2, hour) || !digits(text + 3, 2, minute))
        return false;
    if (length > 5) {
        if (length < 8 || text[5] != ':' || !digits(text + 6, 2, second))
            return false;
        if (length > 8) {
            if (text[8] != '.' && text[8] != ',')
                return false;
            int fraction = 0, scale = 1;
            for (int i = 9; i < length; ++i) {
                const char c = text[i];
                if (c < '0' || c > '9')
                    return false;
                if (scale < 10000) {
                    fraction = fraction * 10 + (c - '0');
                    scale *= 10;
                }
            }
            if (length == 9)
                return false;
            // fraction / scale of a second, to the nearest millisecond.
            ms = static_cast<int>((static_cast<qint64>(fraction) * 1000 + scale / 2) / scale);
        }
    }
    if (!QTime::isValid(hour, minute, second, 0))
        return false;
    int total = ((hour * 60 + minute) * 60 + second) * 1000 + ms;
    if (total >= 86400000)
        total = 86399999;
    time = QTime::fromMSecsSinceStartOfDay(total);
    return true;
}

bool ParseDateTime(const char* text, int length, QDate& date, QTime& time) {
    if (length == 10) {
        time = QTime(0, 0);
        return ParseDate(text, length, date);
    }
    if (length < 16 || (text[10] != ' ' && text[10] != 'T'))
        return false;
    return ParseDate(text, 10, date) && ParseTime(text + 11, length - 11, time);
}

namespace {

char* putDigits(char* at, int value, int count) {
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

int putTime(char* at, const QTime& time) {
    const int ms = time.msecsSinceStartOfDay();
    char* start = at;
    at = putDigits(at, ms / 3600000, 2);
    *at++ = ':';
    at = putDigits(at, ms / 60000 % 60, 2);
    *at++ = ':';
    at = putDigits(at, ms / 1000 % 60, 2);
    if (ms % 1000) {
        *at++ = '.';
        at = putDigits(at, ms % 1000, 3);
    }
    return static_cast<int>(at - start);
}

}  // namespace

// Written by hand: every date and time value a commit binds comes through here. Years beyond
// four digits and invalid values keep snprintf's forms.
int WriteDate(char* out, const QDate& date) {
    if (putDate(out, date))
        return 10;
    return std::snprintf(out, 24, "%04d-%02d-%02d", date.year(), date.month(), date.day());
}

int WriteTime(char* out, const QTime& time) {
    if (time.isValid())
        return putTime(out, time);
    return std::snprintf(out, 16, "%02d:%02d:%02d.%03d", time.hour(), time.minute(), time.second(),
                         time.msec());
}

int WriteDateTime(char* out, const QDate& date, const QTime& time) {
    const int length = WriteDate(out, date);
    out[length] = ' ';
    return length + 1 + WriteTime(out + length + 1, time);
}

QByteArray FormatDate(const QDate& date) {
    char buffer[WriteRoom];
    return QByteArray(buffer, WriteDate(buffer, date));
}

QByteArray FormatTime(const QTime& time) {
    char buffer[WriteRoom];
    return QByteArray(buffer, WriteTime(buffer, time));
}

QByteArray FormatDateTime(const QDate& date, const QTime& time) {
    char buffer[WriteRoom];
    return QByteArray(buffer, WriteDateTime(buffer, date, time));
}

}  // namespace IsoDateTime
