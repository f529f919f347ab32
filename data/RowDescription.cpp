#include "data/RowDescription.h"

#include "data/FieldConvert.h"

#include <QStringList>

QString DescribeRow(const QVector<ColumnInfo>& columns, const QVector<int>& keyColumns,
                    const Row& values) {
    QVector<int> shown = keyColumns;
    if (shown.isEmpty()) {
        for (int c = 0; c < columns.size() && shown.size() < 4; ++c) {
            if (!IsBlobType(columns[c].type))
                shown.append(c);
        }
    }
    QStringList parts;
    for (int c : shown) {
        const QVariant value = values.value(c);
        const QString text = value.isValid() ? FieldConvert::ReadText(columns[c], value).left(80)
                                             : QStringLiteral("NULL");
        parts.append(columns[c].name + QStringLiteral(" = ") + text);
    }
    return parts.join(QStringLiteral(", "));
}
