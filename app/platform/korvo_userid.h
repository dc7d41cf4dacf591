#pragma once

#include <QString>

/// Who runs this process, as the operating system knows it; the environment (USER and the like) can be
/// unset or changed by anyone and does not count.
class Korvo_UserId
{
public:
    /// The real user id on POSIX, the account name on Windows; never empty.
    static QString current();
};
