// The exception an action under test throws.
#pragma once

#include <optional>
#include <string>

namespace testsupport {

// The E that the action throws, or nothing when it returns.
template <class E, class Action>
std::optional<E> thrown(Action&& action)
{
    try {
        action();
    } catch (const E& e) {
        return e;
    }
    return std::nullopt;
}

// The message of the E that the action throws, or "no error".
template <class E, class Action>
std::string thrownMessage(Action&& action)
{
    const auto e = thrown<E>(action);
    return e ? e->what() : "no error";
}

} // namespace testsupport
