#include "core/OpenLink.h"

#include <QUrl>

#include "platform/Services.h"

void openLink(const QString& link)
{
    platform::links().openUrl(QUrl(link, QUrl::StrictMode));
}
