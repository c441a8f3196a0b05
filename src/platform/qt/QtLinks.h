#pragma once

#include "platform/Links.h"

namespace platform {

// Hands the link to the desktop's default handler (xdg-open on Linux).
class QtLinks final : public Links {
public:
    bool openUrl(const QUrl& url) override;
};

} // namespace platform
