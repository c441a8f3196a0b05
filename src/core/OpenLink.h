#pragma once

#include <QString>

namespace platform {
class Links;
}

// The maker's contact address, behind every mail link of the program.
inline constexpr const char* kMakerMailLink = "mailto:tovrin@ardelon.example";
// The home page behind the group's name in the About box.
inline constexpr const char* kHomePageLink = "http://www.qwirl.example/";

// Opens a link with the user's default program. Whether a program started is not reported.
void openLink(platform::Links& links, const QString& link);
