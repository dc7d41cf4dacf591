#pragma once

#include <QString>

/// The folder of this user's own run-time files (the single-instance lock and socket): nobody else can
/// create, replace or read anything in it, and it does not move with TMPDIR, so two starts of one user
/// always meet there.
class Korvo_RuntimeFolder
{
public:
    /// POSIX: "lumetra" in $XDG_RUNTIME_DIR when that is an absolute folder of this user's that only the
    /// user can enter, else "/tmp/lumetra-<uid>", made with mode 0700 and checked to be this user's own
    /// folder (not a link); the temporary folder only when neither can be had. Windows: the user's own
    /// temporary folder. Created when missing.
    static QString path();
    /// What a local socket of that name listens on: a path in path() on POSIX (a bare name would lie in
    /// the temporary folder), the name itself for a Windows pipe, which is the user's own already.
    static QString localSocketName(const QString &name);
};
