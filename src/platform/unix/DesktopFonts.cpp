#include "platform/DesktopFonts.h"

namespace platform {

// fontconfig answers any family with its closest face, a sans-serif for a sans-serif.
bool desktopMenuFontMissing()
{
    return false;
}

} // namespace platform
