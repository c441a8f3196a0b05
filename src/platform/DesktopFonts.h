#pragma once

namespace platform {

// Whether the face the desktop names for menus is missing from its fonts, so that
// menus would come out in whatever the font mapper falls back to: Wine names
// "MS Shell Dlg" and, without the Tahoma behind it, Qt drew the menus in a serif.
// False where every name finds a stand-in of its kind (fontconfig).
bool desktopMenuFontMissing();

} // namespace platform
