#pragma once

#include "languagetype.h"

#include <QDialog>
#include <QPixmap>

#include <functional>

class QCheckBox;
class QLabel;
class QPushButton;

/// Flags of the box's type; without MsgBoxYesNo the box has one button.
enum MessageBoxType : int {
    MsgBoxOneButton = 0x0,
    MsgBoxYesNo = 0x1,
    MsgBoxDontShowAgain = 0x1000,
};

/// What exec() returns; callers compare against these numbers.
enum MessageBoxResult : int {
    MsgBoxResultClosed = 0,
    MsgBoxResultNo = 2,
    MsgBoxResultYes = 3,
    MsgBoxResultConfirm = 4,
    MsgBoxResultYesDontShowAgain = 6,
    MsgBoxResultConfirmDontShowAgain = 7,
};

/// The program's frameless message box. It knows only its own button and check box texts; the message comes
/// from the caller.
class Korvo_MessageBox : public QDialog
{
    Q_OBJECT

public:
    /// Called with every box that enters exec(), once its event loop runs, so that tests can answer it.
    using AutoAnswer = std::function<void(Korvo_MessageBox *)>;
    static void setAutoAnswer(AutoAnswer answer);

    Korvo_MessageBox(int type, const QString &title, const QString &text, LanguageType language,
        QWidget *parent = nullptr, Qt::WindowFlags flags = Qt::CustomizeWindowHint | Qt::WindowTitleHint);

    int exec() override;

    void setYesButtonText(const QString &text);
    void setXOffset(int x) { m_xOffset = x; }
    void setYOffset(int y) { m_yOffset = y; }
    int xOffset() const { return m_xOffset; }
    int yOffset() const { return m_yOffset; }

    int type() const { return m_type; }
    int language() const { return m_language; }
    QString text() const;
    QLabel *infoLabel() const { return m_label; }
    QPushButton *yesButton() const { return m_yesButton; }
    /// Null for a one-button box.
    QPushButton *noButton() const { return m_noButton; }
    /// Null unless the type asks for the check box.
    QCheckBox *checkBox() const { return m_checkBox; }

public slots:
    void onBtnYesClicked();
    void onBtnNoClicked();

protected:
    void paintEvent(QPaintEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;

    QPixmap m_pixmap;

private:
    void buildWidgets(const QString &text);
    void buildLayout();
    void placeOverParent();
    int yesResult() const;

    QLabel *m_label = nullptr;
    QPushButton *m_yesButton = nullptr;
    QPushButton *m_noButton = nullptr;
    QCheckBox *m_checkBox = nullptr;
    int m_type = MsgBoxOneButton;
    int m_language = Chinese;
    int m_xOffset = 0;
    int m_yOffset = 0;
};
