// SPDX-License-Identifier: GPL-3.0-or-later
// The conversion between files: bounded reads in, a draining buffer out, the output replaced whole.
#include "brantlewick/files/ConvertFile.h"

#include "TextEncoding.h"
#include "brantlewick/files/DrainingSink.h"
#include "brantlewick/files/LineFile.h"
#include "brantlewick/filesystem/FileSystem.h"

#include <memory>

namespace brantlewick {

namespace {

// Small enough that the read buffer and the output buffer stay in the processor's second-level cache,
// through which both the kernel's copies and the conversion pass.
constexpr std::size_t kReadChunk = std::size_t{64} * 1024;
constexpr std::size_t kOutputBuffer = std::size_t{128} * 1024;

} // namespace

ConversionCounts ConvertStream(InputFile& input, const ConversionOptions& options,
                               const std::function<void(std::string_view)>& write,
                               std::atomic<std::uint64_t>* bytesRead) {
    Converter converter(options);
    // Text stored as UTF-16 or UTF-32 is converted as UTF-8 and written back in its own encoding; the
    // bytes counted are the file's.
    TextInput text(input);
    std::uint64_t written = 0;
    DrainingSink sink(text.Output([&write, &written](std::string_view bytes) {
        written += bytes.size();
        write(bytes);
    }),
                      kOutputBuffer);
    const auto buffer = std::make_unique_for_overwrite<char[]>(kReadChunk);
    while (const std::size_t got = text.Read(buffer.get(), kReadChunk)) {
        converter.Feed(std::string_view(buffer.get(), got), sink);
        if (bytesRead) {
            bytesRead->store(input.BytesRead(), std::memory_order_relaxed);
        }
    }
    converter.Finish(sink);
    sink.Flush();
    text.Finish();
    ConversionCounts counts = converter.Counts();
    counts.bytesIn = input.BytesRead();
    counts.bytesOut = written;
    return counts;
}

ConversionCounts ConvertFile(const std::string& inputPath, const std::string& outputPath,
                             const ConversionOptions& options, std::atomic<std::uint64_t>* bytesRead,
                             FileStamp* written) {
    InputFile input(inputPath);
    SafeOutputFile output(outputPath, input.Permissions());
    const ConversionCounts counts = ConvertStream(
        input, options, [&output](std::string_view bytes) { output.Write(bytes); }, bytesRead);
    if (written) {
        *written = output.Stamp();
    }
    output.Commit();
    return counts;
}

ConversionCounts TryConvertFile(const std::string& inputPath, const std::string& outputPath,
                                const ConversionOptions& options, std::atomic<std::uint64_t>* bytesRead) {
    InputFile input(inputPath);
    CheckOutputPlace(outputPath);
    return ConvertStream(
        input, options, [](std::string_view) {}, bytesRead);
}

} // namespace brantlewick
