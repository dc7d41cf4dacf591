#pragma once

#include <QColor>
#include <QPainterPath>
#include <QPixmap>
#include <QSlider>

/// The palette's saturation and brightness slider: from white (0) through the pure hue (255) to black
/// (500), over the hue of its base colour.
class Korvo_ColorSlider : public QSlider
{
    Q_OBJECT

public:
    static constexpr int Maximum = 500;
    static constexpr int PureHueValue = 255;

    explicit Korvo_ColorSlider(QWidget *parent = nullptr);

    /// The colour of a slider position over a hue: saturation rises to 255 over the first half,
    /// brightness falls to 0 over the second.
    static QColor colorForValue(int value, int minimum, int maximum, int hue);

    QColor baseColor() const { return m_baseColor; }
    QColor currentColor() const { return m_currentColor; }

public slots:
    /// Takes the colour as base and current colour, moves to the pure hue, and announces the given colour
    /// last.
    void setSliderBarColor(const QColor &color);
    /// The same without the final announcement (a change of position still announces its colour).
    void setSliderBarColorAndDoNotSendColorChangedSignal(const QColor &color);

signals:
    void colorChanged(const QColor &color);

protected:
    void paintEvent(QPaintEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;

private:
    void onValueChanged(int value);
    void drawHandle();
    int baseHue() const;
    void setValueFromX(int x);
    void takeColor(const QColor &color);

    QColor m_baseColor;
    QColor m_currentColor;
    QPainterPath m_handleShape;
    QPixmap m_handle;
    int m_handleWidth = 10;
    int m_handleHeight = 10;
    int m_overhang = 5;
    int m_trackInset = 1;
    int m_topMargin = 6;
    int m_leftMargin = 2;
    int m_trackLength = 0;
};
