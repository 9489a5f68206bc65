// SPDX-License-Identifier: GPL-3.0-or-later
// Readable engine failures.
#include "brantlewick/files/EngineError.h"

#include <string.h>

namespace brantlewick {

EngineError::EngineError(const std::string& path, std::string reason, int systemError)
    : std::runtime_error(path.empty() ? reason : "\"" + path + "\": " + reason), path_(path),
      reason_(std::move(reason)), systemError_(systemError) {}

namespace {

// The GNU and the POSIX forms of strerror_r differ in what they return; either fills or points to the text.
[[maybe_unused]] const char* DescriptionOf(const char* gnuResult, const char*) {
    return gnuResult;
}
[[maybe_unused]] const char* DescriptionOf(int posixResult, const char* buffer) {
    return posixResult == 0 ? buffer : "Unknown error";
}

} // namespace

std::string SystemErrorText(int error) {
    char buffer[256] = {};
    return DescriptionOf(::strerror_r(error, buffer, sizeof buffer), buffer);
}

void ThrowSystemError(int error, const std::string& action, const std::string& path) {
    throw EngineError(path, action + ": " + SystemErrorText(error), error);
}

} // namespace brantlewick
