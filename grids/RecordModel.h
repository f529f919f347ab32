#pragma once

#include "data/Row.h"

#include <QAbstractTableModel>
#include <QHash>
#include <QPointer>

#include "data/TTable.h"

// A table as Qt rows and columns: one column per field, titled with the field name, one row per
// record position. Rows are read through the table's page cache only when a view asks for them,
// so a table of a million rows costs no more to show than the rows on screen.
class RecordModel : public QAbstractTableModel {
    Q_OBJECT
public:
    explicit RecordModel(QObject* parent = nullptr);

    void setTable(TTable* table);
    TTable* table() const { return m_table; }

    void setEditable(bool editable) { m_editable = editable; }
    bool editable() const { return m_editable; }

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    int columnCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    bool setData(const QModelIndex& index, const QVariant& value, int role = Qt::EditRole) override;
    QVariant headerData(int section, Qt::Orientation orientation,
                        int role = Qt::DisplayRole) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;

    // The display texts of one row, as the grid shows them.
    QString displayText(int row, int column) const;
    // The values of one row (cached while the table does not change).
    Row rowValues(int row) const;

    // Title decorations (sort markers) per column; an empty variant for none.
    void setTitleDecoration(int column, const QVariant& decoration);

public slots:
    // The table was opened or closed: columns and rows start over.
    void reset();
    // Rows were added, removed or re-read.
    void reload();
    // The cursor moved, or the current row's values or state changed.
    void refreshCurrent();

private:
    int countRows() const;
    void forgetRows() const;

    QPointer<TTable> m_table;
    bool m_editable = false;
    int m_rows = 0;
    int m_columns = 0;
    int m_currentRow = -1;
    QHash<int, QVariant> m_titleDecorations;
    mutable QHash<int, Row> m_cache;
};
