#include "script/ScriptMoment.h"

#include "data/Exceptions.h"
#include "data/FieldConvert.h"
#include "data/TField.h"
#include "data/Temporal.h"

#include <cmath>

namespace {

const QDate DayZero(1899, 12, 30);

QTime wholeSeconds(const QTime& time) {
    return QTime(time.hour(), time.minute(), time.second());
}

// A day count split to the millisecond, which absorbs the count's own rounding error, but
// never past the end of the day the count holds.
ScriptMoment fromDayCount(double days) {
    ScriptMoment moment;
    FieldConvert::FromDayCount(days, moment.date, moment.time);
    const QDate held = DayZero.addDays(static_cast<qint64>(std::trunc(days)));
    if (moment.date != held) {
        moment.date = held;
        moment.time = QTime(23, 59, 59);
    }
    return moment;
}

}  // namespace

void ScriptCannotCarry(const TField& field, const QString& value, const QString& reason) {
    QString message = QStringLiteral("Field '%1' holds %2, which no script can carry")
                          .arg(field.FieldName(), value);
    if (!reason.isEmpty())
        message += QStringLiteral(": ") + reason;
    throw EConvertError(message);
}

ScriptMoment WholeSecondMoment(const TField& field) {
    const QVariant& value = field.Value();
    ScriptMoment moment;
    const int type = value.userType();
    if (type == QMetaType::QDate) {
        moment = {value.toDate(), QTime(0, 0)};
    } else if (type == qMetaTypeId<TimeOfDay>()) {
        // Written as 23:59:59 it would be another time.
        if (value.value<TimeOfDay>().usec == UsecPerDay)
            ScriptCannotCarry(field, QStringLiteral("24:00:00"),
                              QStringLiteral("a script's times end at 23:59:59"));
        moment = {DayZero, value.value<TimeOfDay>().toQTime()};
    } else if (type == qMetaTypeId<TimeStamp>()) {
        const TimeStamp stamp = value.value<TimeStamp>().toUtc();
        moment = {stamp.date, stamp.time().toQTime()};
    } else {
        moment = fromDayCount(field.ReadDateTime());
    }
    moment.time = wholeSeconds(moment.time);
    if (moment.date.year() < 1 || moment.date.year() > 9999)
        ScriptCannotCarry(field, field.ReadText(),
                          QStringLiteral("a script writes years of four digits"));
    return moment;
}
