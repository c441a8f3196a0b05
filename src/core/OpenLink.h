#pragma once

#include <QString>
#include <QtGlobal>

namespace platform {
class Links;
}

// The maker's contact address, behind every mail link of the program.
inline constexpr const char* kMakerMailLink = "mailto:tovrin@ardelon.example";
// The home page behind the group's name in the About box.
inline constexpr const char* kHomePageLink = "http://www.qwirl.example/";

// Opens a link with the user's default program, on behalf of the window `owner`.
// Whether a program started is not reported.
void openLink(platform::Links& links, quintptr owner, const QString& link);
