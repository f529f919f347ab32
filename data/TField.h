#pragma once

#include "data/Driver.h"

#include <QDateTime>
#include <QString>

class TMemoryStream;
class TTable;

// One column of an open table, reading and writing the table's current row.
class TField {
public:
    TField(TTable& table, int index, ColumnInfo info);
    virtual ~TField() = default;

    const QString& FieldName() const { return m_info.name; }
    TFieldType FieldType() const { return m_info.type; }
    int Size() const { return m_info.size; }
    bool Required() const { return m_info.required; }
    int Index() const { return m_index; }
    const ColumnInfo& Info() const { return m_info; }

    bool IsNullValue() const;
    bool IsBlobField() const { return IsBlobType(m_info.type); }
    qint64 BlobByteSize() const;

    QString ReadText() const;
    void WriteText(const QString& text);
    double ReadNumber() const;
    void WriteNumber(double value);
    // A date-time is a day count from 30 December 1899; the fraction is the time of day.
    double ReadDateTime() const;
    void WriteDateTime(double value);
    void Clear();

    void SaveBlobTo(TMemoryStream& stream) const;
    void LoadBlobFrom(TMemoryStream& stream);

    // The value in the table's current row; it changes with the row.
    const QVariant& Value() const;
    // Converts the value to the field's type, or fails with the conversion's message.
    void SetValue(const QVariant& value);

private:
    void requireBlob() const;
    void store(QVariant canonical);

    TTable& m_table;
    int m_index;
    ColumnInfo m_info;
};

// The field object of the blob types; blob operations on any other field fail.
class TBlobField : public TField {
public:
    using TField::TField;
};
