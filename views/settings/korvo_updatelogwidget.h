#pragma once

#include "languagetype.h"

#include <QDialog>

class QPushButton;
class QTextEdit;

/// The update log: "updateLog/english.txt" or "updateLog/chinese.txt" (by the language, relative to the
/// program folder) in a frameless rounded dialog with a close button; without a log, a line saying there is
/// no update history yet. Only a regular file is read, at most 1 MiB of it, and nothing it names is loaded. A
/// dialog without a parent deletes itself when it is closed.
class Korvo_UpdateLogWidget : public QDialog
{
    Q_OBJECT

public:
    static const char *const EnglishLogPath;
    static const char *const ChineseLogPath;

    explicit Korvo_UpdateLogWidget(LanguageType language, QWidget *parent = nullptr);
    /// A log of its own, without a parent, so that it stays up while the main window is in the tray, and
    /// shown once the event loop runs (a window mapped later would cover it). It deletes itself on close.
    static void showOnItsOwn(LanguageType language);

    /// The file's text as UTF-8 when it starts with the UTF-8 byte order mark or is valid UTF-8 throughout,
    /// else in the system's local encoding.
    static QString decodeLogText(const QByteArray &bytes);
    /// Whether a log's text is shown as rich text: it looks like it, and it is small enough (in bytes and
    /// tables) to lay out at once; anything else is shown as plain text.
    static bool showsAsRichText(const QString &text, qint64 bytes);
    /// The log file for a language: English for `English`, Chinese for every other value.
    static QString logPathFor(LanguageType language);

    QTextEdit *textEdit() const { return m_textEdit; }
    QPushButton *closeButton() const { return m_closeButton; }

public slots:
    void onBtnCloseClick();

protected:
    void paintEvent(QPaintEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;

private:
    void buildForm();
    void loadLog(LanguageType language);
    void centre();

    QTextEdit *m_textEdit = nullptr;
    QPushButton *m_closeButton = nullptr;
};
