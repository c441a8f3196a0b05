#include "platform/qt/QtNotifyIcon.h" // Qt ahead of <windows.h>, whose macros would rename its names
#include <windows.h>
#include <shellapi.h>
// <shellapi.h> renames ShellExecute to its A/W variant; Links declares it by its own name.
#undef ShellExecute

#include "platform/Services.h"
#include "platform/qt/QtBeeper.h"
#include "platform/qt/QtClipboard.h"
#include "platform/win/WinRegistry.h"
#include "platform/win/WinSelectionPaster.h"

namespace platform {
namespace {

class WinLinks final : public Links {
public:
    qintptr ShellExecute(quintptr ownerWindow, const QString& operation, const QString& file,
                         const QString& parameters, const QString& directory, int showCommand) override
    {
        const QByteArray op = operation.toLocal8Bit();
        const QByteArray f = file.toLocal8Bit();
        const QByteArray params = parameters.toLocal8Bit();
        const QByteArray dir = directory.toLocal8Bit();
        HINSTANCE result = ::ShellExecuteA(reinterpret_cast<HWND>(ownerWindow),
                                           operation.isNull() ? nullptr : op.constData(), f.constData(),
                                           parameters.isNull() ? nullptr : params.constData(),
                                           directory.isNull() ? nullptr : dir.constData(), showCommand);
        return reinterpret_cast<qintptr>(result);
    }
};

} // namespace

void installNativeServices()
{
    Services& s = services();
    s.clipboard = std::make_unique<QtClipboard>();
    s.links = std::make_unique<WinLinks>();
    s.beeper = std::make_unique<QtBeeper>();
    s.notifyIcon = std::make_shared<QtNotifyIcon>();
    s.registry = makeWinRegistry();
    s.selectionPaster = std::make_unique<WinSelectionPaster>();
}

} // namespace platform
