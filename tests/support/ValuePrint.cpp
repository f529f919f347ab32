#include "tests/support/ValuePrint.h"

#include "data/IsoDateTime.h"
#include "data/Temporal.h"

#include <cmath>

void PrintTo(const QVariant& value, std::ostream* out) {
    if (!value.isValid()) {
        *out << "NULL";
        return;
    }
    const int type = value.userType();
    QByteArray text;
    if (type == qMetaTypeId<TimeOfDay>())
        text = IsoDateTime::FormatTime(value.value<TimeOfDay>());
    else if (type == qMetaTypeId<TimeStamp>())
        text = IsoDateTime::FormatTimeStamp(value.value<TimeStamp>());
    else if (type == QMetaType::QByteArray)
        text = "0x" + value.toByteArray().left(64).toHex();
    else if (type == QMetaType::Double)
        text = QByteArray::number(value.toDouble(), 'g', 17);
    else
        text = value.toString().toUtf8();
    *out << value.typeName() << "(" << text.constData() << ")";
}
