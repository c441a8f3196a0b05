#pragma once

#include <QPointer>

#include <functional>
#include <typeindex>
#include <unordered_map>
#include <vector>

#include "ui/windows/Window.h"

// The one instance of each window type. Reaching a window that is not loaded builds
// it and runs its onLoad; unloading destroys it, and the next reach builds a fresh
// one. Never keep a reference across anything that runs the event loop: a handler
// that ran meanwhile may have unloaded the window.
class WindowHolder final {
public:
    // Every window is built with `context`.
    explicit WindowHolder(WindowContext& context)
        : m_context(context)
    {
    }
    WindowHolder(const WindowHolder&) = delete;
    WindowHolder& operator=(const WindowHolder&) = delete;

    template <class T>
    T& get()
    {
        QPointer<Window>& slot = m_slots[std::type_index(typeid(T))];
        if (!slot) {
            auto* window = new T(m_context);
            slot = window;
            if (onBuilt)
                onBuilt(*window);
            window->onLoad();
        }
        return static_cast<T&>(*slot);
    }

    template <class T>
    bool isLoaded() const
    {
        auto it = m_slots.find(std::type_index(typeid(T)));
        return it != m_slots.end() && !it->second.isNull();
    }

    template <class T>
    void unload()
    {
        auto it = m_slots.find(std::type_index(typeid(T)));
        if (it != m_slots.end() && it->second)
            unload(it->second.data());
    }

    // Hides the window, forgets it and destroys it once control is back in the event loop.
    void unload(Window* window);
    // Destroys every window at once, those unloaded and not yet destroyed too, without
    // close notifications (end of the run, tests).
    void destroyAll();
    int loadedCount() const;

    // Called for every window built, before its onLoad: lets the layer above connect
    // to it without the window knowing that layer.
    std::function<void(Window&)> onBuilt;
    // Called when the last loaded window has been unloaded.
    std::function<void()> onLastUnloaded;

private:
    WindowContext& m_context;
    std::unordered_map<std::type_index, QPointer<Window>> m_slots;
    std::vector<QPointer<Window>> m_leaving;
};
