#pragma once

#include <atomic>
#include <chrono>

namespace veldrin {

// When a parse gives up: a flag another thread may set, a point in time, or both. A page that
// takes the parser long (thousands of unclosed nested tags cost it time with the square of
// their depth) must not go on burning a core once nobody waits for it. A parse that is given up
// ends within a few milliseconds of its stop, whatever the page.
struct ParseStop
{
    const std::atomic<bool>* cancel = nullptr;
    std::chrono::steady_clock::time_point deadline = std::chrono::steady_clock::time_point::max();

    bool reached() const
    {
        if (cancel && cancel->load(std::memory_order_relaxed))
            return true;
        return deadline != std::chrono::steady_clock::time_point::max() && std::chrono::steady_clock::now() >= deadline;
    }
};

} // namespace veldrin
