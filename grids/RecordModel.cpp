#include "grids/RecordModel.h"

#include "data/TField.h"
#include "data/TTable.h"
#include "data/UserPrompts.h"
#include "grids/CellText.h"

#include <limits>

namespace {

// Painting asks for each cell of the visible rows; a screenful of rows is enough to keep.
constexpr int CachedRows = 256;

}  // namespace

RecordModel::RecordModel(QObject* parent) : QAbstractTableModel(parent) {}

void RecordModel::setTable(TTable* table) {
    if (m_table == table)
        return;
    if (m_table)
        disconnect(m_table, nullptr, this, nullptr);
    m_table = table;
    if (m_table) {
        connect(m_table, &TTable::activeChanged, this, &RecordModel::reset);
        connect(m_table, &TTable::rowsChanged, this, &RecordModel::reload);
        connect(m_table, &TTable::currentChanged, this, &RecordModel::refreshCurrent);
        connect(m_table, &QObject::destroyed, this, &RecordModel::reset);
    }
    reset();
}

int RecordModel::countRows() const {
    if (!m_table || !m_table->Active())
        return 0;
    // A view addresses rows by int; larger tables show their first rows only.
    return static_cast<int>(
        std::min<qint64>(m_table->RecordCount(), std::numeric_limits<int>::max()));
}

void RecordModel::forgetRows() const {
    m_cache.clear();
}

void RecordModel::reset() {
    beginResetModel();
    forgetRows();
    m_titleDecorations.clear();
    const bool active = m_table && m_table->Active();
    m_columns = active ? m_table->NumberOfFields() : 0;
    m_rows = countRows();
    m_currentRow = active ? static_cast<int>(m_table->RecNo()) : -1;
    endResetModel();
}

void RecordModel::reload() {
    const bool active = m_table && m_table->Active();
    if (!active || m_table->NumberOfFields() != m_columns) {
        reset();
        return;
    }
    forgetRows();
    const int rows = countRows();
    if (rows > m_rows) {
        beginInsertRows(QModelIndex(), m_rows, rows - 1);
        m_rows = rows;
        endInsertRows();
    } else if (rows < m_rows) {
        beginRemoveRows(QModelIndex(), rows, m_rows - 1);
        m_rows = rows;
        endRemoveRows();
    }
    m_currentRow = static_cast<int>(m_table->RecNo());
    if (m_rows > 0 && m_columns > 0)
        emit dataChanged(index(0, 0), index(m_rows - 1, m_columns - 1));
    if (m_rows > 0)
        emit headerDataChanged(Qt::Vertical, 0, m_rows - 1);
}

void RecordModel::refreshCurrent() {
    if (!m_table || !m_table->Active()) {
        reset();
        return;
    }
    if (countRows() != m_rows) {
        reload();
        return;
    }
    const int previous = m_currentRow;
    m_currentRow = static_cast<int>(m_table->RecNo());
    m_cache.remove(previous);
    m_cache.remove(m_currentRow);
    for (int row : {previous, m_currentRow}) {
        if (row >= 0 && row < m_rows) {
            if (m_columns > 0)
                emit dataChanged(index(row, 0), index(row, m_columns - 1));
            emit headerDataChanged(Qt::Vertical, row, row);
        }
    }
}

int RecordModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : m_rows;
}

int RecordModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : m_columns;
}

Row RecordModel::rowValues(int row) const {
    if (!m_table || !m_table->Active() || row < 0 || row >= m_rows)
        return Row();
    auto it = m_cache.constFind(row);
    if (it != m_cache.constEnd())
        return *it;
    if (m_cache.size() >= CachedRows)
        m_cache.clear();
    Row values = m_table->RowAt(row);
    m_cache.insert(row, values);
    return values;
}

QString RecordModel::displayText(int row, int column) const {
    if (column < 0 || column >= m_columns)
        return QString();
    const Row values = rowValues(row);
    if (column >= values.size())
        return QString();
    return CellText(*m_table->FieldAt(column), values.at(column));
}

QVariant RecordModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid())
        return QVariant();
    if (role == Qt::DisplayRole || role == Qt::EditRole)
        return displayText(index.row(), index.column());
    return QVariant();
}

bool RecordModel::setData(const QModelIndex& index, const QVariant& value, int role) {
    if (!index.isValid() || role != Qt::EditRole || !m_editable || !m_table)
        return false;
    TTable* table = m_table;
    return RunCommand([&] {
        if (table->RecNo() != index.row())
            table->MoveTo(index.row());
        TField* field = table->FieldAt(index.column());
        const QString text = value.toString();
        if (field->ReadText() == text)
            return;
        table->StartEdit();
        field->WriteText(text);
    });
}

QVariant RecordModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation == Qt::Horizontal) {
        if (!m_table || !m_table->Active() || section < 0 || section >= m_columns)
            return QVariant();
        if (role == Qt::DisplayRole)
            return m_table->FieldAt(section)->FieldName();
        if (role == Qt::DecorationRole)
            return m_titleDecorations.value(section);
        return QVariant();
    }
    // The row indicator: which row is current, and whether it is being edited or inserted.
    if (role != Qt::DisplayRole || section != m_currentRow || !m_table || !m_table->Active())
        return QVariant();
    switch (m_table->State()) {
        case TableState::Insert:
            return QStringLiteral("*");
        case TableState::Edit:
            return QStringLiteral("I");
        default:
            return QString(QChar(0x25B8));
    }
}

Qt::ItemFlags RecordModel::flags(const QModelIndex& index) const {
    if (!index.isValid())
        return Qt::NoItemFlags;
    Qt::ItemFlags result = Qt::ItemIsEnabled | Qt::ItemIsSelectable;
    if (m_editable && m_table && m_table->CanModify() &&
        !m_table->FieldAt(index.column())->IsBlobField())
        result |= Qt::ItemIsEditable;
    return result;
}

void RecordModel::setTitleDecoration(int column, const QVariant& decoration) {
    if (decoration.isValid())
        m_titleDecorations.insert(column, decoration);
    else
        m_titleDecorations.remove(column);
    emit headerDataChanged(Qt::Horizontal, column, column);
}
