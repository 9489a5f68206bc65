// SPDX-License-Identifier: GPL-3.0-or-later
// The start of a file converted in memory, with the places the conversion changed, for showing the result
// before anything is written.
#pragma once

#include "brantlewick/engine/Conversion.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace brantlewick {

// How much text a preview converts: many screens of it, and little enough to read and show at once
// whatever the size of the file.
inline constexpr std::size_t kPreviewBytes = std::size_t{256} * 1024;
// The most a preview's result holds: a text view takes seconds to lay out millions of lines, and a huge
// number of Enters makes them of a few sentences (32,767 Enters make 65 KiB of every break).
inline constexpr std::size_t kPreviewResultBytes = std::size_t{4} << 20;
inline constexpr std::size_t kPreviewResultLines = 100'000;

struct Preview {
    std::string original;    // the start of the file, as UTF-8 when the file is UTF-16 or UTF-32
    std::string result;      // its conversion, before any encoding back
    std::vector<Edit> edits; // in `result`, in order of position
    ConversionCounts counts; // of `original`; its bytes are those of `original` and `result`
    std::uint64_t fileSize = 0;
    bool cut = false; // the file goes on after `original`
    // `original` was cut shorter than the limit, as its result would pass kPreviewResultBytes or
    // kPreviewResultLines otherwise.
    bool resultTooLong = false;
};

// Reads at most about `limit` bytes of text from the start of the file, cut after the last line end in
// them (inside a line only when there is none, and then never inside a UTF-8 character), and converts
// them; when their result would pass the bounds above, the longest start (cut the same way) whose result
// does not. Fails like ConvertFile on a file it cannot read or that is not text.
Preview PreviewFile(const std::string& path, const ConversionOptions& options,
                    std::size_t limit = kPreviewBytes);

// Where the text is cut so that `text`, which holds `limit` bytes and one more, keeps at most `limit`
// bytes of it; a CR LF pair that ends one byte past the limit stays whole.
std::size_t PreviewCut(std::string_view text, std::size_t limit);

} // namespace brantlewick
