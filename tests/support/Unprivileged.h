// SPDX-License-Identifier: GPL-3.0-or-later
// Running a piece of a test under an ordinary user id, so that permission checks deny even when the
// tests themselves run as root.
#pragma once

#include <functional>
#include <optional>
#include <string>

namespace brantlewick::testing {

// Runs `work` and returns what it returned: directly for an ordinary user, and for root in a child
// process that has taken the id of "nobody" (65534). Nothing when that child could not be run; files
// `work` touches must be reachable for "nobody" then.
std::optional<std::string> RunAsOrdinaryUser(const std::function<std::string()>& work);

} // namespace brantlewick::testing
