#pragma once

#include <QObject>

class QSocketNotifier;

/// Turns the operating system's requests to end the program (on POSIX: SIGTERM at log-out, shutdown or
/// `kill`, SIGINT from a terminal, SIGHUP when the terminal goes) into one Qt signal on the GUI thread, so
/// that the program leaves through its normal saving path instead of dying where it stands. Windows ends a
/// GUI program through the session manager, which Qt already reports as QGuiApplication::commitDataRequest;
/// there this object does nothing. One object at a time; it gives the previous handlers back when it goes.
class Korvo_QuitSignals : public QObject
{
    Q_OBJECT

public:
    explicit Korvo_QuitSignals(QObject *parent = nullptr);
    ~Korvo_QuitSignals() override;

    /// False when the handlers could not be set up; the signals then keep their default action.
    bool isActive() const { return m_active; }

signals:
    /// The program was asked to end; signalNumber is the POSIX signal.
    void quitRequested(int signalNumber);

private:
    void onSignalPending();

    QSocketNotifier *m_notifier = nullptr;
    bool m_active = false;
};
