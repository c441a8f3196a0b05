#pragma once

#include <memory>

#include "platform/Beeper.h"
#include "platform/Clipboard.h"
#include "platform/Links.h"
#include "platform/PictureSurface.h"
#include "platform/SelectionPaster.h"

namespace platform {

class Registry;
class NotifyIcon;

// The program reaches the outside world only through these. The program object owns
// one set (makeNativeServices); tests build theirs from doubles.
struct Services {
    std::unique_ptr<Clipboard> clipboard;
    std::unique_ptr<Links> links;
    std::unique_ptr<Beeper> beeper;
    std::shared_ptr<Registry> registry;
    std::shared_ptr<NotifyIcon> notifyIcon;
    std::unique_ptr<SelectionPaster> selectionPaster;
    PictureSurfaceMaker pictureSurfaces = makeQtPictureSurface;
};

// The backends of the platform the program was built for (needs the QGuiApplication).
Services makeNativeServices();

} // namespace platform
