// SPDX-License-Identifier: GPL-3.0-or-later
// An assertion that a statement throws the engine's error for one file with exactly one reason, as fmt's
// tests check a system error: a message that merely exists proves nothing.
#pragma once

#include "brantlewick/files/EngineError.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>

namespace brantlewick::testing {

// An error of no file (an empty `path`) is its reason alone. Any other exception passes through.
inline ::testing::AssertionResult ThrowsEngineError(const std::function<void()>& statement,
                                                    const std::string& path, const std::string& reason) {
    const std::string expected = path.empty() ? reason : "\"" + path + "\": " + reason;
    try {
        statement();
    } catch (const EngineError& error) {
        return error.what() == expected && error.Reason() == reason
                   ? ::testing::AssertionSuccess()
                   : ::testing::AssertionFailure() << "threw " << error.what() << "\n expected " << expected;
    }
    return ::testing::AssertionFailure() << "threw nothing; expected " << expected;
}

} // namespace brantlewick::testing

// Expects `statement` to throw an EngineError whose text is "\"PATH\": REASON" (REASON when PATH is empty).
#define EXPECT_ENGINE_ERROR(statement, path, reason)                                                         \
    EXPECT_TRUE(::brantlewick::testing::ThrowsEngineError([&] { statement; }, path, reason))
