// SPDX-License-Identifier: GPL-3.0-or-later
// Previews: a bounded read, a cut at a line end, and the conversion with its edits marked.
#include "brantlewick/engine/Preview.h"

#include "TextEncoding.h"
#include "brantlewick/engine/LineFile.h"

#include <sys/stat.h>

#include <memory>

namespace brantlewick {

std::size_t PreviewCut(std::string_view text, std::size_t limit) {
    if (text.size() <= limit) {
        return text.size();
    }
    const std::size_t lineEnd = text.substr(0, limit).find_last_of("\r\n");
    if (lineEnd != std::string_view::npos) {
        return lineEnd + (text[lineEnd] == '\r' && text[lineEnd + 1] == '\n' ? 2 : 1);
    }
    // No line end: back over the continuation bytes of a character the limit cuts.
    std::size_t cut = limit;
    while (cut > 0 && limit - cut < 3 && (static_cast<unsigned char>(text[cut]) & 0xC0) == 0x80) {
        --cut;
    }
    return (static_cast<unsigned char>(text[cut]) & 0xC0) == 0x80 ? limit : cut;
}

Preview PreviewFile(const std::string& path, const ConversionOptions& options, std::size_t limit) {
    Preview preview;
    InputFile input(path);
    struct stat info {};
    preview.fileSize = ::stat(path.c_str(), &info) == 0 ? static_cast<std::uint64_t>(info.st_size) : 0;
    TextInput text(input);
    // One byte more than the limit tells whether the file goes on, and completes a CR LF pair.
    std::string& start = preview.original;
    start.resize(limit + 1);
    std::size_t got = 0;
    while (got < start.size()) {
        const std::size_t read = text.Read(start.data() + got, start.size() - got);
        if (read == 0) {
            break;
        }
        got += read;
    }
    start.resize(got);
    preview.cut = got > limit;
    start.resize(PreviewCut(start, limit));
    preview.result = ConvertText(start, options, &preview.counts, &preview.edits);
    return preview;
}

} // namespace brantlewick
