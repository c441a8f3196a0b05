#pragma once

#include <QIcon>
#include <QStringList>

// The pictures are compiled into the program library; a static library's resources
// must be registered explicitly before the first use.
void ensureResources();

// The program's icon: the sizes Qt would pick from the .ico, stored ready to show (the
// .ico decoder was a good part of the work before the first paint).
QIcon programIcon();

// The families of the font every window is designed in, first choice first. Its
// faces come with the program and are added to the application's fonts on the
// first call, so the layouts never depend on which fonts the desktop has; menus get
// it too where the desktop's menu font is missing (needs a QApplication).
QStringList designFontFamilies();
