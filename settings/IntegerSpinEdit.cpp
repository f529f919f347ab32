#include "settings/IntegerSpinEdit.h"

#include <QApplication>
#include <QKeyEvent>
#include <QLineEdit>
#include <cmath>

namespace {

std::function<void()>& beeper() {
    static std::function<void()> instance = [] { QApplication::beep(); };
    return instance;
}

bool isAccepted(QChar c) {
    return (c >= QLatin1Char('0') && c <= QLatin1Char('9')) || c == QLatin1Char('+') ||
           c == QLatin1Char('-');
}

}  // namespace

IntegerSpinEdit::IntegerSpinEdit(QWidget* parent) : QAbstractSpinBox(parent) {
    setValue(0);
}

void IntegerSpinEdit::setBeeper(std::function<void()> beep) {
    beeper() = beep ? std::move(beep) : [] { QApplication::beep(); };
}

int IntegerSpinEdit::intValue() const {
    bool ok = false;
    const int number = lineEdit()->text().toInt(&ok, 10);
    return ok ? number : 0;
}

double IntegerSpinEdit::value() const {
    return intValue();
}

void IntegerSpinEdit::setValue(double value) {
    // nearbyint rounds in the default mode, to nearest with halves to even.
    // Adding 0.0 turns a rounded -0 into 0.
    const double rounded = std::nearbyint(value) + 0.0;
    lineEdit()->setText(QString::number(rounded, 'f', 0));
}

void IntegerSpinEdit::stepBy(int steps) {
    setValue(double(intValue()) + double(steps) * m_increment);
    selectAll();
}

QAbstractSpinBox::StepEnabled IntegerSpinEdit::stepEnabled() const {
    return StepUpEnabled | StepDownEnabled;
}

void IntegerSpinEdit::keyPressEvent(QKeyEvent* event) {
    switch (event->key()) {
        case Qt::Key_PageUp:
        case Qt::Key_PageDown:
            event->ignore();
            return;
        default:
            break;
    }
    const QString text = event->text();
    const bool control = text.isEmpty() || text.at(0).unicode() < 32 || text.at(0).unicode() == 127;
    if (!control && !(event->modifiers() & (Qt::ControlModifier | Qt::AltModifier))) {
        for (const QChar c : text) {
            if (!isAccepted(c)) {
                beeper()();
                event->accept();
                return;
            }
        }
    }
    QAbstractSpinBox::keyPressEvent(event);
}
