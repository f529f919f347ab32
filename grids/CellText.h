#pragma once

#include <QString>
#include <QVariant>

class TField;

// A value as a grid cell shows it: the field's text, or a caption for blobs, in capitals when
// the blob holds data.
QString CellText(const TField& field, const QVariant& value);
