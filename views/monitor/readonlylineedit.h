#pragma once

#include <QLineEdit>

/// A read-only field whose text can be selected and copied with the keyboard but offers no context menu:
/// a right-button press does nothing at all, so it neither opens a menu nor moves the cursor.
class ReadonlyLineEdit : public QLineEdit
{
    Q_OBJECT

public:
    explicit ReadonlyLineEdit(QWidget *parent = nullptr);

protected:
    void mousePressEvent(QMouseEvent *event) override;
};
