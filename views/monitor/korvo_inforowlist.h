#pragma once

#include <QImage>
#include <QList>
#include <QStringList>
#include <QWidget>

class Korvo_BaseInfoRow;

/// A list of check rows in slots of a sixth of the height, separated by red lines; which rows are checked
/// is the selection mask (bit i for row i). The GPU monitor page and the board page each fill one.
class Korvo_InfoRowList : public QWidget
{
    Q_OBJECT

public:
    /// Rows always take a sixth of the height, also when fewer exist.
    static constexpr int Slots = 6;

    Korvo_InfoRowList(int rowCount, QWidget *parent = nullptr);

    int rowCount() const { return m_rows.size(); }
    Korvo_BaseInfoRow *row(int i) const { return m_rows.value(i); }
    /// Every bit a row of this list can carry.
    int fullMask() const { return (1 << m_rows.size()) - 1; }

    int selectionMask() const;
    /// Checks row i iff bit i is set; bits without a row are ignored.
    void setSelection(int mask);
    QImage backgroundImage()
    {
        if (m_background.isNull())
            drawBackground();
        return m_background;
    }

signals:
    void isHaveChecked(bool bHave);

public slots:
    void onChecked(bool bChecked);

protected:
    /// Titles for rows 0, 1, ... in order.
    void setRowTitles(const QStringList &titles);
    void resizeEvent(QResizeEvent *event) override;
    void paintEvent(QPaintEvent *event) override;

private:
    void drawBackground();

    QList<Korvo_BaseInfoRow *> m_rows;
    QImage m_background;
};
