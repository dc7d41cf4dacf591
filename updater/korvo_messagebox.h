#pragma once

#include <QDialog>

#include <functional>

class QLabel;
class QPushButton;

/// The updater's own message box: one button ("Confirm") or two ("Yes", "No") that callers relabel.
/// exec() gives 1 for the first button and 0 for the second or for closing the box.
class Korvo_MessageBox : public QDialog
{
    Q_OBJECT

public:
    enum Type { OneButton = 0, TwoButtons = 1 };

    /// Called with every box that enters exec(), once its event loop runs, so that tests can answer it.
    using AutoAnswer = std::function<void(Korvo_MessageBox *)>;
    static void setAutoAnswer(AutoAnswer answer);

    Korvo_MessageBox(int type, const QString &title, const QString &text, QWidget *parent = nullptr);

    int exec() override;

    void setFirstButtonText(const QString &text);
    void setSecondButtonText(const QString &text);

    int type() const { return m_type; }
    QString text() const;
    QLabel *infoLabel() const { return m_label; }
    QPushButton *firstButton() const { return m_yesButton; }
    /// Null for a one-button box.
    QPushButton *secondButton() const { return m_noButton; }

protected:
    void paintEvent(QPaintEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;

private:
    void buildWidgets(const QString &text);
    void buildLayout();
    void placeOverParent();
    QSize fittingSize() const;

    int m_type;
    QLabel *m_iconLabel = nullptr;
    QLabel *m_label = nullptr;
    QPushButton *m_yesButton = nullptr;
    QPushButton *m_noButton = nullptr;
};
