#include "platform/qt/QtLinks.h"

#include <QDesktopServices>

namespace platform {

bool QtLinks::openUrl(const QUrl& url)
{
    // A link without a scheme would be taken for a local file name.
    if (!url.isValid() || url.scheme().isEmpty())
        return false;
    return QDesktopServices::openUrl(url);
}

} // namespace platform
