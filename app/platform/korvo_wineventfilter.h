#pragma once

#include <QAbstractNativeEventFilter>

class Korvo_GlobalShortCut;

/// Hands the platform's hotkey messages to the shortcut that registered them; anything else passes on.
class Korvo_WinEventFilter : public QAbstractNativeEventFilter
{
public:
    explicit Korvo_WinEventFilter(Korvo_GlobalShortCut *owner);

    bool nativeEventFilter(const QByteArray &eventType, void *message, long *result) override;

private:
    Korvo_GlobalShortCut *m_owner = nullptr;
};
