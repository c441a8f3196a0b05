#pragma once

#include "platform/Beeper.h"

namespace platform {

class QtBeeper final : public Beeper {
public:
    void beep() override;
};

} // namespace platform
