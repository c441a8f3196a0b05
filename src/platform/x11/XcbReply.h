#pragma once

#include <cstdlib>
#include <memory>

namespace platform::x11 {

// An xcb reply or event, freed as xcb asks.
struct FreeReply {
    void operator()(void* p) const { std::free(p); }
};
template <class T>
using Reply = std::unique_ptr<T, FreeReply>;

} // namespace platform::x11
