#pragma once

#include <QSpinBox>

/// The number box of a slider row: no buttons, a digit that would reach the maximum shows the maximum at
/// once, and Enter on the keypad hands the focus back to the row so that the typed value is taken.
class ModifySpinBox : public QSpinBox
{
    Q_OBJECT

public:
    explicit ModifySpinBox(QWidget *parent = nullptr);

signals:
    /// The text is being edited (a digit typed or a character removed).
    void editChanging();

protected:
    void keyPressEvent(QKeyEvent *event) override;
};
