#pragma once

// The program's name and the command-line options that hand an action to the running
// copy. Qt-free: the `tovrin` command reads them before it loads the program.

#include <cstring>
#include <string>

// The desktop's name for the program: desktop entry, metadata, icons and the session
// bus carry it.
inline constexpr char kAppId[] = "com.ardelon.Tovrin";

struct ActionOption {
    const char* option;
    const char* action;
    const char* help;
};
inline constexpr ActionOption kActionOptions[] = {
    {"--upper", "upper", "convert the clipboard's text to UPPERCASE"},
    {"--lower", "lower", "convert the clipboard's text to lowercase"},
    {"--random", "random", "convert the clipboard's text to rAnDOm case"},
    {"--title", "title", "convert the clipboard's text to Title Case"},
    {"--sentence", "sentence", "convert the clipboard's text to Sentence case"},
    {"--swap", "swap", "convert the clipboard's text to sWAP cASE"},
};
// With one of the above: the text selected in the focused program instead, pasted
// over it (the action's name with this suffix).
inline constexpr char kInPlaceOption[] = "--in-place";
inline constexpr char kInPlaceSuffix[] = "-in-place";

inline const ActionOption* actionOption(const char* argument)
{
    for (const ActionOption& o : kActionOptions) {
        if (std::strcmp(argument, o.option) == 0)
            return &o;
    }
    return nullptr;
}

// The action that `arguments` (without the program's own name) ask of the running copy:
// one of the options above, alone or with --in-place in either order; empty for any
// other command line.
inline std::string requestedAction(int count, const char* const arguments[])
{
    if (count == 1) {
        const ActionOption* o = actionOption(arguments[0]);
        return o ? o->action : "";
    }
    if (count == 2) {
        const bool inPlaceFirst = std::strcmp(arguments[0], kInPlaceOption) == 0;
        if (!inPlaceFirst && std::strcmp(arguments[1], kInPlaceOption) != 0)
            return {};
        const ActionOption* o = actionOption(arguments[inPlaceFirst ? 1 : 0]);
        return o ? std::string(o->action) + kInPlaceSuffix : "";
    }
    return {};
}
