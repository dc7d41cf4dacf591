#pragma once

#include "korvo_messagebox.h"

/// The message box on its picture background instead of the painted rounded rectangle.
class Korvo_MessageBox1 : public Korvo_MessageBox
{
    Q_OBJECT

public:
    Korvo_MessageBox1(int type, const QString &title, const QString &text, LanguageType language,
        QWidget *parent = nullptr, Qt::WindowFlags flags = Qt::CustomizeWindowHint | Qt::WindowTitleHint);

protected:
    void paintEvent(QPaintEvent *event) override;
};
