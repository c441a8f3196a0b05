#include "platform/qt/QtNotifyIcon.h" // Qt ahead of <windows.h>, whose macros would rename its names
#include <windows.h>
#include <shellapi.h>

#include "platform/Services.h"
#include "platform/qt/QtBeeper.h"
#include "platform/qt/QtClipboard.h"
#include "platform/win/WinRegistry.h"
#include "platform/win/WinSelectionPaster.h"

namespace platform {
namespace {

class WinLinks final : public Links {
public:
    bool openUrl(const QUrl& url) override
    {
        if (!url.isValid() || url.scheme().isEmpty())
            return false;
        // The shell's default verb for the link's scheme, as Explorer would open it.
        const std::wstring link = url.toString(QUrl::FullyEncoded).toStdWString();
        const HINSTANCE result = ::ShellExecuteW(nullptr, nullptr, link.c_str(), nullptr, nullptr, SW_SHOWNORMAL);
        // Above 32 means the shell started something; below is one of its error codes.
        return reinterpret_cast<INT_PTR>(result) > 32;
    }
};

} // namespace

Services makeNativeServices()
{
    Services s;
    s.clipboard = std::make_unique<QtClipboard>();
    s.links = std::make_unique<WinLinks>();
    s.beeper = std::make_unique<QtBeeper>();
    s.notifyIcon = std::make_shared<QtNotifyIcon>();
    s.registry = makeWinRegistry();
    s.selectionPaster = std::make_unique<WinSelectionPaster>();
    return s;
}

} // namespace platform
