#include "ui/windows/WindowHolder.h"

void WindowHolder::unload(Window* window)
{
    for (auto& [type, slot] : m_slots) {
        if (slot == window)
            slot.clear();
    }
    window->hide();
    window->deleteLater();
    std::erase_if(m_leaving, [](const QPointer<Window>& gone) { return gone.isNull(); });
    m_leaving.emplace_back(window);
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
    for (const QPointer<Window>& window : m_leaving)
        delete window.data();
    m_leaving.clear();
}

int WindowHolder::loadedCount() const
{
    int count = 0;
    for (const auto& [type, slot] : m_slots)
        count += slot ? 1 : 0;
    return count;
}
