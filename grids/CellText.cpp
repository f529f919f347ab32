#include "grids/CellText.h"

#include "data/FieldConvert.h"
#include "data/TField.h"

QString CellText(const TField& field, const QVariant& value) {
    if (!field.IsBlobField())
        return FieldConvert::ReadText(field.Info(), value);
    QString caption;
    switch (field.FieldType()) {
        case ftMemo:
        case ftFmtMemo:
        case ftOraClob:
            caption = QStringLiteral("(MEMO)");
            break;
        case ftGraphic:
            caption = QStringLiteral("(GRAPHIC)");
            break;
        default:
            caption = QStringLiteral("(BLOB)");
            break;
    }
    const bool empty = !value.isValid() || value.toByteArray().isEmpty();
    return empty ? caption.toLower() : caption;
}
