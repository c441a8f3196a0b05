#include "core/OpenLink.h"

#include <QUrl>

#include "platform/Links.h"

void openLink(platform::Links& links, const QString& link)
{
    links.openUrl(QUrl(link, QUrl::StrictMode));
}
