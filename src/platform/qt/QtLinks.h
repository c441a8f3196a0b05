#pragma once

#include "platform/Links.h"

namespace platform {

// Opens the link with the desktop's default handler; the working directory and show
// command mean nothing to it and are accepted for the callers' sake.
class QtLinks final : public Links {
public:
    qintptr ShellExecute(quintptr ownerWindow, const QString& operation, const QString& file,
                         const QString& parameters, const QString& directory, int showCommand) override;
};

} // namespace platform
