#include "ui/main/General.h"

#include <QCheckBox>
#include <QEvent>
#include <QLabel>
#include <QMenu>

#include <algorithm>
#include <cstring>

#include "Version.h"
#include "core/Forms.h"
#include "ui/dialogs/frmOptions.h"
#include "ui/main/frmCase.h"

platform::TrayIconData TrayIconData{};

namespace {

// The shell sends the record's callback message to Trayicon's window with the mouse
// message in place of its x; the callback message is the mouse-move message, so the
// window reads it as a mouse move over Trayicon.
class TrayMessageRouter final : public QObject {
public:
    bool eventFilter(QObject*, QEvent* event) override
    {
        if (event->type() != platform::NotifyIconEvent::eventType())
            return false;
        const auto* message = static_cast<platform::NotifyIconEvent*>(event);
        if (message->callbackMessage() == platform::WM_MOUSEMOVE && forms().isLoaded<frmCase>())
            forms().get<frmCase>().Trayicon_MouseMove(static_cast<int>(message->mouseMessage()));
        return true;
    }
};

TrayMessageRouter& trayMessageRouter()
{
    static TrayMessageRouter router;
    return router;
}

// The tip, one NUL, then spaces to the end of the field; a longer text is cut.
void setTip(const QString& tip)
{
    QByteArray bytes = tip.toLocal8Bit();
    bytes.append('\0');
    std::memset(TrayIconData.szTip, ' ', sizeof TrayIconData.szTip);
    std::memcpy(TrayIconData.szTip, bytes.constData(), std::min<std::size_t>(bytes.size(), sizeof TrayIconData.szTip));
}

} // namespace

void AddTrayIcon(const QString& tip)
{
    TrayIconData.cbSize = sizeof(platform::TrayIconData);
    // Reaching Trayicon loads the main window if needed; its Form_Load removes the icon
    // the record names at this moment.
    QLabel* picture = forms().get<frmCase>().Trayicon;
    // Its own window, so that the shell has somewhere to send the icon's messages.
    picture->setAttribute(Qt::WA_DontCreateNativeAncestors);
    TrayIconData.hWnd = static_cast<quint32>(picture->winId());
    picture->installEventFilter(&trayMessageRouter());
    TrayIconData.uID = 1;
    TrayIconData.uFlags = platform::NIF_MESSAGE | platform::NIF_ICON | platform::NIF_TIP;
    TrayIconData.uCallbackMessage = platform::WM_MOUSEMOVE;
    TrayIconData.hIcon = platform::iconHandle(picture->pixmap());
    setTip(tip);

    platform::NotifyIcon* shell = platform::notifyIcon();
    if (!shell)
        return;
    shell->Shell_NotifyIcon(platform::NIM_ADD, TrayIconData);
    shell->setIconMenu(TrayIconData.hWnd, TrayIconData.uID, forms().get<frmCase>().mnuTray);
}

void RemoveTrayIcon()
{
    platform::NotifyIcon* shell = platform::notifyIcon();
    if (shell)
        shell->Shell_NotifyIcon(platform::NIM_DELETE, TrayIconData);
}

bool TrayIconShown()
{
    platform::NotifyIcon* shell = platform::notifyIcon();
    return shell && shell->hasIcon(TrayIconData.hWnd, TrayIconData.uID);
}

bool NotificationAreaAvailable()
{
    platform::NotifyIcon* shell = platform::notifyIcon();
    return shell && shell->isSystemTrayAvailable();
}

QString StartUpTrayTip()
{
    return QStringLiteral("%1 %2.%3").arg(QString::fromLatin1(version::kTitle)).arg(version::kMajor).arg(version::kMinor);
}

QString MinimizeTrayTip()
{
    return QStringLiteral("%1 %2").arg(QString::fromLatin1(version::kTitle), QString::fromLatin1(version::kString));
}

void ShowMainOrTray()
{
    const Qt::CheckState placeInTray = forms().get<frmOptions>().ckTrayst->checkState();
    if (placeInTray == Qt::Checked) {
        if (NotificationAreaAvailable())
            AddTrayIcon(StartUpTrayTip());
        else
            // With nowhere to put the icon the user would be left with nothing at all.
            forms().get<frmCase>().showModeless();
    } else if (forms().get<frmOptions>().ckTrayst->checkState() == Qt::Unchecked) {
        forms().get<frmCase>().showModeless();
    }
}
