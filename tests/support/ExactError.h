// SPDX-License-Identifier: GPL-3.0-or-later
// An assertion that a statement throws the engine's error for one file with exactly one reason, as fmt's
// tests check a system error: a message that merely exists proves nothing.
#pragma once

#include "EngineError.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>

namespace brantlewick::testing {

inline ::testing::AssertionResult ThrowsEngineError(const std::function<void()>& statement,
                                                    const std::string& path, const std::string& reason) {
    try {
        statement();
    } catch (const EngineError& error) {
        const std::string expected = "\"" + path + "\": " + reason;
        if (error.what() == expected && error.Reason() == reason) {
            return ::testing::AssertionSuccess();
        }
        return ::testing::AssertionFailure()
               << "threw \"" << error.what() << "\"\n  expected \"" << expected << '"';
    } catch (const std::exception& error) {
        return ::testing::AssertionFailure() << "threw another error: " << error.what();
    }
    return ::testing::AssertionFailure() << "threw nothing; expected \"" << path << "\": " << reason;
}

} // namespace brantlewick::testing

// Expects `statement` to throw an EngineError whose text is "\"PATH\": REASON".
#define EXPECT_ENGINE_ERROR(statement, path, reason)                                                         \
    EXPECT_TRUE(::brantlewick::testing::ThrowsEngineError([&] { statement; }, path, reason))
