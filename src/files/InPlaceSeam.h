// SPDX-License-Identifier: GPL-3.0-or-later
// The in-place conversion with a call just before the result replaces the file, where a test saves the
// file as a user's editor would while the run reads it.
#pragma once

#include "brantlewick/files/InPlace.h"

#include <functional>

namespace brantlewick::detail {

SameFileResult ConvertInPlace(const std::string& path, const ConversionOptions& options,
                              std::atomic<std::uint64_t>* bytesRead,
                              const std::function<void()>& beforeReplacing);

} // namespace brantlewick::detail
