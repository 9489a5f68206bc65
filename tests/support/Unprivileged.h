// SPDX-License-Identifier: GPL-3.0-or-later
// Running part of a test as an ordinary user, so that permission checks deny even to root's tests.
#pragma once

#include <functional>
#include <string>

namespace brantlewick::testing {

// True for an ordinary user, and for root where a child process can take the id of "nobody" (65534).
bool CanRunAsOrdinaryUser();

// Runs `work` and returns what it returned; for root in a child that has taken the id of "nobody" (what
// `work` touches must be reachable for it). A child that cannot, or crashes, throws: the test fails.
std::string RunAsOrdinaryUser(const std::function<std::string()>& work);

} // namespace brantlewick::testing

// Ends the test as skipped when it needs an ordinary user and cannot have one.
#define SKIP_WITHOUT_ORDINARY_USER()                                                                         \
    if (!::brantlewick::testing::CanRunAsOrdinaryUser())                                                     \
    GTEST_SKIP() << "running as root without a way to take an ordinary user id"
