#pragma once

#include <QDialog>

class FormStorage;
class IntegerSpinEdit;
class QCheckBox;
class QComboBox;
class QLineEdit;
class QPushButton;
class QToolButton;

// The options window: created once by the main window, shown modally by "Options..". Its six
// controls are the options themselves; readers take the values from here when they need them,
// so there is no copy to keep in step and no apply step.
class TfSetup : public QDialog {
    Q_OBJECT
public:
    explicit TfSetup(QWidget* parent = nullptr);

    // 0 "Ansi SQL", 1 "Oracle SQL", 2 "Interbase SQL"; -1 (with an empty name) only after a
    // stored index outside that range was loaded.
    int sqlDialect() const;
    QString sqlDialectName() const;
    // Zero or one character.
    QString scriptDivider() const;
    bool autoFileName() const;
    bool noTypeComparison() const;
    bool autoCommit() const;
    // Rows between commits; not restricted, so 0 and negative values reach the readers.
    int autoCommitInterval() const;

    // The storage of the six options; the main window loads it once at start.
    FormStorage& formStorage() const { return *m_formStorage; }

    void PlaceDesktopShortcut();

protected:
    void showEvent(QShowEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    void cbAutoCommitClick(bool checked);
    void SpeedButton1Click();

    QComboBox* eSQLLanguage;
    QLineEdit* eScriptDevider;
    QCheckBox* cbAutoFilename;
    QCheckBox* cbNoComp;
    QCheckBox* cbAutoCommit;
    IntegerSpinEdit* eAutoCommit;
    QToolButton* SpeedButton1;
    QPushButton* BitBtn1;
    FormStorage* m_formStorage;
};
