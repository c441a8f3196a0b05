#include "platform/qt/QtLinks.h"

#include <QDesktopServices>
#include <QUrl>

namespace platform {

// ShellExecute reports success with a value above 32; 2 is "file not found".
qintptr QtLinks::ShellExecute(quintptr, const QString&, const QString& file, const QString&,
                              const QString&, int)
{
    const QUrl url(file, QUrl::StrictMode);
    if (!url.isValid() || url.scheme().isEmpty())
        return 2;
    return QDesktopServices::openUrl(url) ? 42 : 31;
}

} // namespace platform
