#pragma once

#include <array>
#include <chrono>
#include <type_traits>

namespace Inventory {

// Another program (a virus scanner, the search indexer, a sync client) may
// hold a file open for a moment without sharing it. An operation that fails
// for that reason is tried again after each of these pauses, growing, about
// two seconds in all; any other failure ends it at once.
inline constexpr std::array<std::chrono::milliseconds, 8> HoldPauses = [] {
    using namespace std::chrono_literals;
    return std::array{25ms, 50ms, 100ms, 175ms, 250ms, 350ms, 450ms, 600ms};
}();

// What happens between the tries: the plain one sleeps. The window replaces
// it to show a busy cursor meanwhile, the tests to count the pauses.
class HoldWait
{
public:
    HoldWait() = default;
    virtual ~HoldWait() = default;
    HoldWait(const HoldWait &) = delete;
    HoldWait &operator=(const HoldWait &) = delete;

    virtual void started() {} // before the first pause of an operation
    virtual void pause(std::chrono::milliseconds length);
    virtual void ended() {} // after the last try of an operation that paused
};

// Makes wait the one that every retry uses from now on, and returns the one it
// replaces; nullptr brings back the plain one.
HoldWait *InstallHoldWait(HoldWait *wait);
HoldWait &CurrentHoldWait();

// Calls attempt until held(its result) is false or every pause is spent, and
// gives back the last result.
template<typename Attempt, typename Held>
std::invoke_result_t<Attempt &> RetryWhileHeld(Attempt attempt, Held held)
{
    auto result = attempt();
    if (!held(result))
        return result;
    HoldWait &wait = CurrentHoldWait();
    wait.started();
    for (const std::chrono::milliseconds pause : HoldPauses) {
        wait.pause(pause);
        result = attempt();
        if (!held(result))
            break;
    }
    wait.ended();
    return result;
}

} // namespace Inventory
