#include "core/Resources.h"

#include <QtGlobal>

static void registerResources()
{
    Q_INIT_RESOURCE(resources);
}

void ensureResources()
{
    static const bool registered = (registerResources(), true);
    Q_UNUSED(registered);
}
