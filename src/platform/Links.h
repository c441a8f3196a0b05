#pragma once

#include <QString>
#include <QtGlobal>

namespace platform {

// The shell's "open this with the user's default program", shaped like ShellExecute.
// A null operation or parameters is passed as a null QString.
class Links {
public:
    virtual ~Links() = default;
    virtual qintptr ShellExecute(quintptr ownerWindow, const QString& operation, const QString& file,
                                 const QString& parameters, const QString& directory, int showCommand) = 0;
};

} // namespace platform
