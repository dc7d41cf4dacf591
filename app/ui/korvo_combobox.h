#pragma once

#include <QComboBox>

class QListView;

/// The card selector: no frame, no arrow, only the current name; the list opens only when there is a choice.
class Korvo_ComboBox : public QComboBox
{
    Q_OBJECT

public:
    explicit Korvo_ComboBox(QWidget *parent = nullptr);

    void showPopup() override;
    void hidePopup() override;

    bool isPopupOpen() const { return m_popupOpen; }
    QListView *listView() const { return m_listView; }

protected:
    void paintEvent(QPaintEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;

private:
    QListView *m_listView = nullptr;
    bool m_popupOpen = false;
};
