#pragma once

#include <QColor>
#include <QWidget>

class ModifySpinBox;

/// Red, green and blue entry of the palette, under the caption "RGB". Leaving a field (or Enter) announces
/// the colour of the three boxes; setting a colour from outside announces nothing.
class Korvo_rgbBox : public QWidget
{
    Q_OBJECT

public:
    /// The part of the width the caption takes.
    static constexpr double LabelShare = 0.43333333333333335;

    explicit Korvo_rgbBox(QWidget *parent = nullptr);

    ModifySpinBox *redBox() const { return m_red; }
    ModifySpinBox *greenBox() const { return m_green; }
    ModifySpinBox *blueBox() const { return m_blue; }
    QColor color() const;

public slots:
    void setColor(const QColor &color);
    void rgbValueChanged();

signals:
    void colorChanged(const QColor &color);

protected:
    void paintEvent(QPaintEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;

private:
    ModifySpinBox *makeBox();

    ModifySpinBox *m_red;
    ModifySpinBox *m_green;
    ModifySpinBox *m_blue;
};
