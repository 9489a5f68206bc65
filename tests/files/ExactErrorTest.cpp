// SPDX-License-Identifier: GPL-3.0-or-later
// The exact-error assertion's own verdicts: one that lets a wrong error pass is worse than none.
#include "ExactError.h"
#include "Rows.h"

#include <gtest/gtest.h>

#include <functional>
#include <stdexcept>
#include <string>

namespace brantlewick {
namespace {

TEST(ExactErrorTest, OnlyTheVeryErrorOfTheVeryFilePasses) {
    const struct {
        const char* name;
        std::function<void()> statement;
        std::string path;    // expected
        std::string failure; // the assertion's message; empty: it passes
    } rows[] = {
        {"the very error", [] { throw EngineError("a.txt", "is gone"); }, "a.txt", ""},
        {"of no file", [] { throw EngineError({}, "is gone"); }, "", ""},
        {"another reason", [] { throw EngineError("a.txt", "is gone now"); }, "a.txt",
         "threw \"a.txt\": is gone now\n expected \"a.txt\": is gone"},
        {"another file", [] { throw EngineError("b.txt", "is gone"); }, "a.txt",
         "threw \"b.txt\": is gone\n expected \"a.txt\": is gone"},
        {"a file where none was expected", [] { throw EngineError("a.txt", "is gone"); }, "",
         "threw \"a.txt\": is gone\n expected is gone"},
        // The same text, but the file is part of the reason: a front end would show no file.
        {"the file inside the reason", [] { throw EngineError({}, "\"a.txt\": is gone"); }, "a.txt",
         "threw \"a.txt\": is gone\n expected \"a.txt\": is gone"},
        {"nothing thrown", [] {}, "a.txt", "threw nothing; expected \"a.txt\": is gone"},
    };
    FOR_EACH_ROW(row, rows) {
        const ::testing::AssertionResult result =
            testing::ThrowsEngineError(row.statement, row.path, "is gone");
        EXPECT_EQ(static_cast<bool>(result), row.failure.empty());
        EXPECT_EQ(row.failure.empty() ? "" : result.message(), row.failure);
    }
    // Another exception is not taken for the engine's: it reaches the test as it is.
    EXPECT_THROW(testing::ThrowsEngineError([] { throw std::runtime_error("is gone"); }, "", "is gone"),
                 std::runtime_error);
}

} // namespace
} // namespace brantlewick
