#include "grids/RecordNavigator.h"

#include "data/TTable.h"
#include "data/UserPrompts.h"

#include <QHBoxLayout>
#include <QStyle>
#include <QToolButton>

namespace {

QString objectNameOf(RecordNavigator::Button which) {
    static const char* const names[] = {"First",  "Prior", "Next", "Last",  "Insert",
                                        "Delete", "Edit",  "Post", "Cancel"};
    return QString::fromLatin1(names[which]);
}

// Glyphs rather than style icons, so that every platform style shows the same bar.
QString glyphOf(RecordNavigator::Button which) {
    // Glyphs every common sans-serif font has (DejaVu lacks the media-control ones).
    static const char16_t* const glyphs[] = {u"|\u25C0", u"\u25C0", u"\u25B6", u"\u25B6|", u"+",
                                             u"\u2212",  u"\u25B2", u"\u2713", u"\u2717"};
    return QString::fromUtf16(glyphs[which]);
}

}  // namespace

RecordNavigator::RecordNavigator(const QList<Button>& buttons, QWidget* parent) : QWidget(parent) {
    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    for (Button which : buttons) {
        auto* button = new QToolButton(this);
        button->setObjectName(objectNameOf(which));
        button->setText(glyphOf(which));
        button->setToolTip(hint(which));
        button->setStatusTip(hint(which));
        button->setAutoRaise(false);
        connect(button, &QToolButton::clicked, this, [this, which] { run(which); });
        layout->addWidget(button);
        m_buttons.append({which, button});
    }
    layout->addStretch();
    updateButtons();
}

QString RecordNavigator::hint(Button which) {
    switch (which) {
        case First:
            return QStringLiteral("First record");
        case Prior:
            return QStringLiteral("Prior record");
        case Next:
            return QStringLiteral("Next record");
        case Last:
            return QStringLiteral("Last record");
        case Insert:
            return QStringLiteral("Insert record");
        case Delete:
            return QStringLiteral("Delete record");
        case Edit:
            return QStringLiteral("Edit record");
        case Post:
            return QStringLiteral("Post edit");
        case Cancel:
            return QStringLiteral("Cancel edit");
    }
    return QString();
}

QToolButton* RecordNavigator::button(Button which) const {
    for (const auto& entry : m_buttons) {
        if (entry.first == which)
            return entry.second;
    }
    return nullptr;
}

void RecordNavigator::setTable(TTable* table) {
    if (m_table)
        disconnect(m_table, nullptr, this, nullptr);
    m_table = table;
    if (table) {
        connect(table, &TTable::activeChanged, this, &RecordNavigator::updateButtons);
        connect(table, &TTable::rowsChanged, this, &RecordNavigator::updateButtons);
        connect(table, &TTable::currentChanged, this, &RecordNavigator::updateButtons);
    }
    updateButtons();
}

void RecordNavigator::run(Button which) {
    TTable* table = m_table;
    if (!table)
        return;
    RunCommand([&] {
        switch (which) {
            case First:
                table->MoveFirst();
                break;
            case Prior:
                table->MovePrior();
                break;
            case Next:
                table->MoveNext();
                break;
            case Last:
                table->MoveLast();
                break;
            case Insert:
                table->StartInsert();
                break;
            case Delete:
                if (Prompts().message(QStringLiteral("Delete record?"), ApplicationTitle,
                                      UserPrompts::Ok | UserPrompts::Cancel,
                                      UserPrompts::Icon::Question) == UserPrompts::Ok)
                    table->DeleteRecord();
                break;
            case Edit:
                table->StartEdit();
                break;
            case Post:
                table->PostRecord();
                break;
            case Cancel:
                table->CancelRecord();
                break;
        }
    });
    updateButtons();
}

void RecordNavigator::updateButtons() {
    const bool active = m_table && m_table->Active();
    const bool writable = active && m_table->CanModify();
    const bool editing =
        active && (m_table->State() == TableState::Insert || m_table->State() == TableState::Edit);
    for (const auto& [which, button] : m_buttons) {
        bool enabled = active;
        switch (which) {
            case Insert:
            case Delete:
            case Edit:
                enabled = writable;
                break;
            case Post:
            case Cancel:
                enabled = editing;
                break;
            default:
                break;
        }
        button->setEnabled(enabled);
    }
}
