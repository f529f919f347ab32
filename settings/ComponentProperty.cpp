#include "settings/ComponentProperty.h"

#include <QComboBox>
#include <QMetaProperty>
#include <QPointer>
#include <QSplitter>
#include <QWidget>

namespace {

QObject* findBelow(QObject* parent, const QString& name) {
    // While a window is being destroyed its child list holds null entries for the children
    // already deleted, so the list is walked by hand rather than with findChildren.
    for (QObject* child : parent->children()) {
        if (!child)
            continue;
        if (child->objectName().compare(name, Qt::CaseInsensitive) == 0)
            return child;
        if (child->isWidgetType() && static_cast<QWidget*>(child)->isWindow())
            continue;
        if (QObject* found = findBelow(child, name))
            return found;
    }
    return nullptr;
}

QString capitalised(QString name) {
    if (!name.isEmpty())
        name[0] = name.at(0).toUpper();
    return name;
}

struct Alias {
    const char* className;
    const char* storedName;
    const char* qtName;
};

constexpr Alias Aliases[] = {
    {"QComboBox", "ItemIndex", "currentIndex"},
    {"QComboBox", "Text", "currentText"},
};

std::optional<QMetaProperty> metaProperty(const QObject* component, const QString& name,
                                          bool writableOnly) {
    const QMetaObject* meta = component->metaObject();
    std::optional<QMetaProperty> found;
    for (int i = meta->propertyCount() - 1; i >= 0; --i) {
        const QMetaProperty property = meta->property(i);
        if (writableOnly && !property.isWritable())
            continue;
        const QString candidate = QString::fromLatin1(property.name());
        if (candidate == name)
            return property;
        if (!found && candidate.compare(name, Qt::CaseInsensitive) == 0)
            found = property;
    }
    return found;
}

PropertyText::Kind kindOfValue(const QVariant& value) {
    return PropertyText::kindOf(value.metaType());
}

// A pane of a vertical splitter gets its height by moving the splitter handle; any other widget
// by resizing it.
bool setWidgetHeight(QWidget* widget, int height) {
    if (height < 0 || height > QWIDGETSIZE_MAX)
        return false;
    auto* splitter = qobject_cast<QSplitter*>(widget->parentWidget());
    if (!splitter || splitter->orientation() != Qt::Vertical) {
        widget->resize(widget->width(), height);
        return true;
    }
    QList<int> sizes = splitter->sizes();
    const int index = splitter->indexOf(widget);
    if (index < 0 || sizes.size() < 2)
        return false;
    const int neighbour = index + 1 < sizes.size() ? index + 1 : index - 1;
    const int delta = height - sizes[index];
    sizes[index] = height;
    sizes[neighbour] = std::max(0, sizes[neighbour] - delta);
    splitter->setSizes(sizes);
    return true;
}

}  // namespace

QObject* FindComponent(QWidget* window, const QString& name) {
    if (!window || name.isEmpty())
        return nullptr;
    return findBelow(window, name);
}

std::optional<ComponentProperty> ComponentProperty::find(QObject* component, const QString& name) {
    if (!component || name.isEmpty())
        return std::nullopt;
    ComponentProperty result;
    QPointer<QObject> target(component);

    auto fromMeta = [&](const QMetaProperty& property, QString declared) {
        result.m_declaredName = std::move(declared);
        result.m_kind = PropertyText::kindOf(property.metaType());
        result.m_read = [target, property] { return target ? property.read(target) : QVariant(); };
        result.m_write = [target, property](const QVariant& value) {
            return target && property.write(target, value);
        };
        return result;
    };

    for (const Alias& alias : Aliases) {
        if (component->inherits(alias.className) &&
            name.compare(QLatin1String(alias.storedName), Qt::CaseInsensitive) == 0) {
            if (auto property = metaProperty(component, QLatin1String(alias.qtName), true))
                return fromMeta(*property, QLatin1String(alias.storedName));
        }
    }
    if (auto property = metaProperty(component, name, true))
        return fromMeta(*property, capitalised(QString::fromLatin1(property->name())));

    const QList<QByteArray> dynamicNames = component->dynamicPropertyNames();
    for (const QByteArray& dynamicName : dynamicNames) {
        const QString candidate = QString::fromUtf8(dynamicName);
        if (candidate.compare(name, Qt::CaseInsensitive) != 0)
            continue;
        result.m_declaredName = candidate;
        result.m_kind = kindOfValue(component->property(dynamicName.constData()));
        result.m_read = [target, dynamicName] {
            return target ? target->property(dynamicName.constData()) : QVariant();
        };
        result.m_write = [target, dynamicName](const QVariant& value) {
            if (target)
                target->setProperty(dynamicName.constData(), value);
            return bool(target);
        };
        return result;
    }

    if (component->isWidgetType() &&
        name.compare(QLatin1String("Height"), Qt::CaseInsensitive) == 0) {
        QPointer<QWidget> widget(static_cast<QWidget*>(component));
        result.m_declaredName = QStringLiteral("Height");
        result.m_kind = PropertyText::Kind::Integer;
        result.m_read = [widget] { return widget ? QVariant(widget->height()) : QVariant(); };
        result.m_write = [widget](const QVariant& value) {
            return widget && setWidgetHeight(widget, value.toInt());
        };
        return result;
    }

    if (auto property = metaProperty(component, name, false))
        return fromMeta(*property, capitalised(QString::fromLatin1(property->name())));
    return std::nullopt;
}
