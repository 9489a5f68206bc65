// SPDX-License-Identifier: GPL-3.0-or-later
// The one way the code says "when this ends, whichever way": an action run as its scope is left.
#pragma once

#include <utility>

namespace brantlewick {

template <typename Action> class ScopeExit {
public:
    explicit ScopeExit(Action action) : action_(std::move(action)) {}
    ~ScopeExit() { action_(); }
    ScopeExit(const ScopeExit&) = delete;
    ScopeExit& operator=(const ScopeExit&) = delete;

private:
    Action action_;
};

} // namespace brantlewick
