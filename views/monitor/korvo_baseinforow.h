#pragma once

#include <QFont>
#include <QString>
#include <QStringList>
#include <QWidget>

class QCheckBox;

/// One row of a monitor list: a check box carrying the title (or the title alone when the box is hidden),
/// then the current value and the highest and lowest value seen, in five columns.
class Korvo_BaseInfoRow : public QWidget
{
    Q_OBJECT

public:
    explicit Korvo_BaseInfoRow(QWidget *parent = nullptr);

    void setCheckBoxVisible(bool visible);
    bool isCheckBoxVisible() const { return m_checkBoxVisible; }
    bool isChecked() const;
    void setChecked(bool checked);

    QString text() const { return m_title; }
    QString currentValue() const { return m_current; }
    QString maxValue() const { return m_max; }
    QString minValue() const { return m_min; }
    QCheckBox *checkBox() const { return m_checkBox; }

    /// Where the five value columns start and how wide they are together, for a row of this width.
    static int valueAreaX(int width) { return 6 * width / 12; }
    static int valueAreaWidth(int width) { return 6 * width / 12; }

    /// The value font for columns of this width: the pixel size of the design, made smaller only as far as
    /// needed for the widest of the texts to keep a gap to the next column.
    static QFont valueFont(int columnWidth, const QStringList &texts);

signals:
    void onChecked(bool checked);

public slots:
    void setValues(QString currentValue, QString maxValue, QString minValue);
    void setText(QString text);

private slots:
    void toggled(bool checked);

protected:
    void resizeEvent(QResizeEvent *event) override;
    void paintEvent(QPaintEvent *event) override;

private:
    QCheckBox *m_checkBox = nullptr;
    bool m_checkBoxVisible = true;
    QString m_title;
    QString m_current;
    QString m_max;
    QString m_min;
};
