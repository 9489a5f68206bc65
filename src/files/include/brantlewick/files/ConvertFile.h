// SPDX-License-Identifier: GPL-3.0-or-later
// The conversion with files around it: a stream read in blocks, and one file into another.
#pragma once

#include "brantlewick/engine/Conversion.h"

#include <atomic>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

namespace brantlewick {

class InputFile;
struct FileStamp;

// Converts everything `input` holds, handing the result to `write` in pieces of bounded size. With
// `bytesRead`, the input's bytes read so far are kept there as the conversion goes, for another thread to
// follow.
ConversionCounts ConvertStream(InputFile& input, const ConversionOptions& options,
                               const std::function<void(std::string_view)>& write,
                               std::atomic<std::uint64_t>* bytesRead = nullptr);

// Converts one input file into one output file. The output appears whole or not at all, with the input's
// permissions less the umask; a failure (unreadable or non-regular input, missing or read-only output
// folder, full disk) throws one EngineError naming the file. With `written`, the stamp of the file written
// is kept there, whatever comes under its name afterwards.
ConversionCounts ConvertFile(const std::string& inputPath, const std::string& outputPath,
                             const ConversionOptions& options,
                             std::atomic<std::uint64_t>* bytesRead = nullptr, FileStamp* written = nullptr);

// ConvertFile without the writing, for a dry run: the input is read and converted, the result counted
// and dropped. The failures ConvertFile would meet are met too, as far as they can be foreseen without
// writing: the output's folder must exist and be writable, and the output must not be a folder (a full
// disk cannot be foreseen). Nothing on disk changes.
ConversionCounts TryConvertFile(const std::string& inputPath, const std::string& outputPath,
                                const ConversionOptions& options,
                                std::atomic<std::uint64_t>* bytesRead = nullptr);

} // namespace brantlewick
