// SPDX-License-Identifier: GPL-3.0-or-later
// Running a piece of a test under an ordinary user id, so that permission checks deny even when the
// tests themselves run as root; and skipping, never passing, a test that needs that where it cannot be had.
#pragma once

#include <functional>
#include <string>

namespace brantlewick::testing {

// True for an ordinary user, and for root where a child process can take the id of "nobody" (65534).
bool CanRunAsOrdinaryUser();

// Runs `work` and returns what it returned: directly for an ordinary user, and for root in a child
// process that has taken the id of "nobody"; files `work` touches must be reachable for "nobody" then.
// Throws std::runtime_error when that child cannot take the id or does not finish well (a crash, say),
// so that the test fails rather than comparing nothing.
std::string RunAsOrdinaryUser(const std::function<std::string()>& work);

} // namespace brantlewick::testing

// Ends the test as skipped when it needs an ordinary user and cannot have one.
#define SKIP_WITHOUT_ORDINARY_USER()                                                                         \
    if (!::brantlewick::testing::CanRunAsOrdinaryUser())                                                     \
    GTEST_SKIP() << "running as root without a way to take an ordinary user id"
