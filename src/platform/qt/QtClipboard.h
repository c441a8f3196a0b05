#pragma once

#include "platform/Clipboard.h"

namespace platform {

class QtClipboard final : public Clipboard {
public:
    ClipboardRead read() override;
    bool clear() override;
    bool setText(const QString& text) override;
};

} // namespace platform
