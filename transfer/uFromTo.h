#pragma once

#include "transfer/FieldMapping.h"

#include <QDialog>

class QComboBox;
class TTable;

// The mapping dialog "From To": one row per source field, its name beside an editable box that
// names the target field receiving it. Made for one run and destroyed after it.
class TfFromTo : public QDialog {
    Q_OBJECT
public:
    // `targetNames` fill every box's list (empty when the target table is closed).
    TfFromTo(const FieldMappingArray& mapping, const QStringList& targetNames,
             QWidget* parent = nullptr);

    // The box of entry `index` ("cb" + index).
    QComboBox* box(int index) const;
    int rowCount() const { return m_rows; }

private:
    int m_rows = 0;
};

// Rebuilds `mapping` with equal names from the source table's fields, shows the dialog and,
// on OK, stores each box's text as typed. Returns the modal result: 1 (OK) or 2 (Cancel); a
// closed source table gives Cancel without a dialog and leaves `mapping` as it was.
int ShowFieldMapping(TTable& source, TTable& target, FieldMappingArray& mapping, QWidget* owner);
