#include "core/WindowHolder.h"

WindowHolder& windows()
{
    static WindowHolder instance;
    return instance;
}

void WindowHolder::unload(Window* window)
{
    for (auto& [type, slot] : m_slots) {
        if (slot == window)
            slot.clear();
    }
    window->hide();
    window->deleteLater();
    if (loadedCount() == 0 && onLastUnloaded)
        onLastUnloaded();
}

void WindowHolder::destroyAll()
{
    for (auto& [type, slot] : m_slots) {
        if (slot)
            delete slot.data();
    }
    m_slots.clear();
}

int WindowHolder::loadedCount() const
{
    int count = 0;
    for (const auto& [type, slot] : m_slots)
        count += slot ? 1 : 0;
    return count;
}
