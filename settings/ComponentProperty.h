#pragma once

#include "settings/PropertyText.h"

#include <QString>
#include <QVariant>
#include <functional>
#include <optional>

class QObject;
class QWidget;

// The component of `window` whose object name is `name`, compared without regard to case. The
// search covers the window's own controls, not those of other windows parented to it.
QObject* FindComponent(QWidget* window, const QString& name);

// One property of a component as a settings storage reads and writes it. The storages name
// properties the way the persisted layout does ("ItemIndex", "Text", "Checked", "Height"); these
// are matched without regard to case against the component's Qt properties, with a few names
// translated where Qt calls the same thing differently (a combo box's ItemIndex is its
// currentIndex, its Text the currentText) and a grid's Height taken from its splitter.
class ComponentProperty {
public:
    static std::optional<ComponentProperty> find(QObject* component, const QString& name);

    // The name as declared, used in the value name: "ItemIndex", "Text", "Checked".
    const QString& declaredName() const { return m_declaredName; }
    PropertyText::Kind kind() const { return m_kind; }
    QVariant read() const { return m_read(); }
    // False when the property cannot take the value.
    bool write(const QVariant& value) const { return m_write(value); }

private:
    QString m_declaredName;
    PropertyText::Kind m_kind = PropertyText::Kind::Text;
    std::function<QVariant()> m_read;
    std::function<bool(const QVariant&)> m_write;
};
