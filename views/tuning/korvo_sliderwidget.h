#pragma once

#include <QPixmap>
#include <QWidget>

class Korvo_OverClockingSlider;
class ModifySpinBox;

/// One tuning quantity: a title, a painted slider and a number box. The row keeps its own copy of the value
/// and reports a change only when the value really differs, so values the owner sets do not come back as
/// user changes (unless the slider had to clamp them). Every signal names the row.
class Korvo_SliderWidget : public QWidget
{
    Q_OBJECT

public:
    explicit Korvo_SliderWidget(QWidget *parent = nullptr);

    int value() const { return m_value; }
    int minimum() const { return m_minimum; }
    int maximum() const { return m_maximum; }
    QString text() const { return m_title; }

    Korvo_OverClockingSlider *slider() const { return m_slider; }
    ModifySpinBox *spinBox() const { return m_spinBox; }

signals:
    /// The value changed through the slider or the number box.
    void valueChanged(Korvo_SliderWidget *sender);
    /// The user drags the slider; move is the slider's position.
    void sliderMoved(Korvo_SliderWidget *sender, int move);
    /// The user let go of the slider.
    void sliderReleased(Korvo_SliderWidget *sender);

public slots:
    void setText(QString text);
    void setRange(int min, int max);
    void setValue(int value);
    void onSpinBoxValueChanged();
    void onSliderValueChanged(int value);
    void onSliderMoved(int value);
    void onSliderReleased();

protected:
    void paintEvent(QPaintEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;

private:
    QRect titleRect() const;

    QString m_title;
    ModifySpinBox *m_spinBox = nullptr;
    Korvo_OverClockingSlider *m_slider = nullptr;
    int m_value = 0;
    int m_minimum = 0;
    int m_maximum = 0;
    QPixmap m_background;
    QPixmap m_disabledBackground;
};
