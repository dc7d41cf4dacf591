#pragma once

#include <QSpinBox>

/// A spin box that takes the keyboard the way the program's number fields do: a digit that would reach the
/// maximum shows the maximum at once, keypad Enter hands the focus back to the parent (which ends the edit),
/// and every edit by key is announced through editChanging().
class ModifySpinBox : public QSpinBox
{
    Q_OBJECT

public:
    explicit ModifySpinBox(QWidget *parent = nullptr);

signals:
    /// The text is being edited by key; the value may not be final yet.
    void editChanging();

protected:
    void keyPressEvent(QKeyEvent *event) override;
};
