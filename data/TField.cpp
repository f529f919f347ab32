#include "data/TField.h"

#include "data/Exceptions.h"
#include "data/FieldConvert.h"
#include "data/TMemoryStream.h"
#include "data/TTable.h"

TField::TField(TTable& table, int index, ColumnInfo info)
    : m_table(table), m_index(index), m_info(std::move(info)) {}

const QVariant& TField::Value() const {
    static const QVariant null;
    const Row& row = m_table.CurrentValues();
    return m_index < row.size() ? row[m_index] : null;
}

void TField::SetValue(const QVariant& value) {
    // Drivers bind by the field's type: a value of another type would be written wrongly.
    store(FieldConvert::FromValue(m_info, value));
}

void TField::store(QVariant canonical) {
    m_table.setFieldValue(m_index, std::move(canonical));
}

bool TField::IsNullValue() const {
    // An empty text or blob is a value, except that a blob emptied in the record being edited
    // counts as cleared.
    const QVariant& value = Value();
    if (!value.isValid())
        return true;
    const TableState state = m_table.State();
    return IsBlobField() && (state == TableState::Insert || state == TableState::Edit) &&
           value.toByteArray().isEmpty();
}

void TField::requireBlob() const {
    if (!IsBlobField())
        throw EConvertError(QStringLiteral("Invalid class typecast"));
}

qint64 TField::BlobByteSize() const {
    requireBlob();
    return Value().toByteArray().size();
}

QString TField::ReadText() const {
    return FieldConvert::ReadText(m_info, Value());
}

void TField::WriteText(const QString& text) {
    store(FieldConvert::FromText(m_info, text));
}

double TField::ReadNumber() const {
    return FieldConvert::ReadNumber(m_info, Value());
}

void TField::WriteNumber(double value) {
    store(FieldConvert::FromNumber(m_info, value));
}

double TField::ReadDateTime() const {
    return FieldConvert::ReadDateTime(m_info, Value());
}

void TField::WriteDateTime(double value) {
    store(FieldConvert::FromDateTime(m_info, value));
}

void TField::Clear() {
    store(QVariant());
}

void TField::SaveBlobTo(TMemoryStream& stream) const {
    requireBlob();
    stream.Write(Value().toByteArray());
}

void TField::LoadBlobFrom(TMemoryStream& stream) {
    requireBlob();
    // The whole stream, wherever its position stands.
    store(FieldConvert::FromValue(m_info, QVariant(stream.Data())));
}
