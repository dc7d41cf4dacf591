#pragma once

#include <QColor>
#include <QImage>
#include <QWidget>

class Korvo_ColorSlider;
class Korvo_rgbBox;
class Korvo_TriangleButton;

/// The colour picker beside the LED page: a hue ring with a draggable marker, a saturation and brightness
/// slider above the centre and an RGB entry below it. Every pick comes out of colorChanged.
class Korvo_ColorPaletteBox : public QWidget
{
    Q_OBJECT

public:
    explicit Korvo_ColorPaletteBox(QWidget *parent = nullptr);
    ~Korvo_ColorPaletteBox() override;

    /// Sizes the ring for a square of the given side; the ring image is shared with every palette of that
    /// side.
    void setPaletteSize(int side);

    double outerRadius() const { return m_outerRadius; }
    double innerRadius() const { return m_innerRadius; }
    /// The ring at the palette's size; the first call renders it, or waits for the rendering prepareRing()
    /// started.
    QImage ringImage() const;
    /// Starts rendering the ring aside, for a palette about to show (while the circle slides to it).
    void prepareRing() const;
    Korvo_ColorSlider *slider() const { return m_slider; }
    Korvo_rgbBox *rgbBox() const { return m_rgbBox; }
    Korvo_TriangleButton *marker() const { return m_marker; }

public slots:
    /// Moves the marker to the colour's hue; the palette then answers with that hue's full colour.
    void adjustColor(const QColor &color);
    void onSliderColorChanged(const QColor &color);

signals:
    void colorChanged(const QColor &color);

protected:
    void paintEvent(QPaintEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;

private:
    void setRadii(int side);

    int m_side = 0;
    /// Taken from the shared rendering when first painted or asked for.
    mutable QImage m_ring;
    double m_outerRadius = 0.0;
    double m_innerRadius = 0.0;
    Korvo_ColorSlider *m_slider;
    Korvo_rgbBox *m_rgbBox;
    Korvo_TriangleButton *m_marker;
};
