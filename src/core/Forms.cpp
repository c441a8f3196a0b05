#include "core/Forms.h"

Forms& forms()
{
    static Forms instance;
    return instance;
}

void Forms::unload(Form* form)
{
    for (auto& [type, slot] : m_slots) {
        if (slot == form)
            slot.clear();
    }
    form->hide();
    form->deleteLater();
    if (loadedCount() == 0 && onLastUnloaded)
        onLastUnloaded();
}

void Forms::destroyAll()
{
    for (auto& [type, slot] : m_slots) {
        if (slot)
            delete slot.data();
    }
    m_slots.clear();
}

int Forms::loadedCount() const
{
    int count = 0;
    for (const auto& [type, slot] : m_slots)
        count += slot ? 1 : 0;
    return count;
}
