#include "core/OpenLink.h"

#include "platform/Links.h"

void openLink(platform::Links& links, quintptr owner, const QString& link)
{
    // The shell's default verb, no parameters, started hidden in "c:\".
    links.ShellExecute(owner, QString(), link, QString(), QStringLiteral("c:\\"), 0);
}
