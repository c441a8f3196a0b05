#include "core/OpenLink.h"

#include "platform/Services.h"

void openLink(quintptr owner, const QString& link)
{
    // The shell's default verb, no parameters, started hidden in "c:\".
    platform::links().ShellExecute(owner, QString(), link, QString(), QStringLiteral("c:\\"), 0);
}
