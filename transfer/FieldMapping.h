#pragma once

#include <QString>
#include <QVector>

// Which target field receives one source field. An empty target name leaves the field out.
struct FieldMapping {
    QString sourceName;
    QString targetName;
};

// One entry per source field, in the source table's field order; rebuilt with equal names
// before every run.
using FieldMappingArray = QVector<FieldMapping>;
