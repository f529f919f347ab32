#pragma once

#include <QAbstractSpinBox>
#include <functional>

// An integer spin box without limits: its text is the value. Typing accepts only signs and
// digits (anything else beeps), the arrows step by the increment, a fractional value is shown
// rounded half to even, and a text that is no 32-bit integer reads as 0.
class IntegerSpinEdit : public QAbstractSpinBox {
    Q_OBJECT
    Q_PROPERTY(double value READ value WRITE setValue)
    Q_PROPERTY(int increment READ increment WRITE setIncrement)

public:
    explicit IntegerSpinEdit(QWidget* parent = nullptr);

    double value() const;
    int intValue() const;
    void setValue(double value);
    int increment() const { return m_increment; }
    void setIncrement(int increment) { m_increment = increment; }

    void stepBy(int steps) override;

    // The warning beep for a refused key; replaceable so that tests can count beeps.
    static void setBeeper(std::function<void()> beeper);

protected:
    StepEnabled stepEnabled() const override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    int m_increment = 1000;
};
