// SPDX-License-Identifier: GPL-3.0-or-later
// Previews: a bounded read, a cut at a line end, and the conversion with its edits marked.
#include "brantlewick/files/Preview.h"

#include "TextEncoding.h"
#include "brantlewick/base/Utf8.h"
#include "brantlewick/files/LineFile.h"

#include <sys/stat.h>

#include <algorithm>
#include <memory>

namespace brantlewick {
namespace {

// A string that holds at most kPreviewResultBytes and kPreviewResultLines (give or take one room's worth):
// beyond them it throws OutputTooLong.
class ShownSink final : public OutputSink {
public:
    explicit ShownSink(std::string& out) : out_(out) { SetRoom(out_.data(), out_.data()); }

    void Close() {
        Count();
        out_.resize(static_cast<std::size_t>(cursor_ - out_.data()));
        SetRoom(out_.data() + out_.size(), out_.data() + out_.size());
    }

private:
    static constexpr std::size_t kRoom = std::size_t{64} * 1024;

    void MakeRoom(std::size_t size) override {
        const std::size_t used = Count();
        if (used + size > kPreviewResultBytes + kRoom) {
            throw OutputTooLong();
        }
        out_.resize(used + std::max(size, kRoom));
        SetRoom(out_.data() + used, out_.data() + out_.size());
    }
    std::size_t Count() {
        CloseRoom();
        const auto used = static_cast<std::size_t>(cursor_ - out_.data());
        lines_ += static_cast<std::size_t>(std::count(out_.data() + counted_, out_.data() + used, '\n'));
        counted_ = used;
        if (lines_ > kPreviewResultLines || used > kPreviewResultBytes) {
            throw OutputTooLong();
        }
        return used;
    }

    std::string& out_;
    std::size_t counted_ = 0;
    std::size_t lines_ = 0;
};

// Converts `text` into `preview`, or throws OutputTooLong.
void ConvertShown(std::string_view text, const ConversionOptions& options, Preview& preview) {
    Converter converter(options);
    preview.result.clear();
    ShownSink sink(preview.result);
    preview.edits.clear();
    sink.MarkEditsIn(&preview.edits);
    converter.Feed(text, sink);
    converter.Finish(sink);
    sink.Close();
    preview.counts = converter.Counts();
    std::stable_sort(preview.edits.begin(), preview.edits.end(),
                     [](const Edit& a, const Edit& b) { return a.at < b.at; });
}

} // namespace

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
    while (cut > 0 && limit - cut < 3 && utf8::IsContinuation(text[cut])) {
        --cut;
    }
    return utf8::IsContinuation(text[cut]) ? limit : cut;
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
    // The cut of the first `size` bytes, as the limit cuts.
    const auto cutAt = [&start](std::size_t size) {
        return size >= start.size() ? start.size()
                                    : PreviewCut(std::string_view(start).substr(0, size + 1), size);
    };
    const auto fits = [&](std::size_t size) {
        try {
            ConvertShown(std::string_view(start).substr(0, cutAt(size)), options, preview);
            return true;
        } catch (const OutputTooLong&) {
            return false;
        }
    };
    if (fits(start.size())) {
        return preview;
    }
    // Each try stops where its result passes the bounds, so the search costs a few such results.
    std::size_t fitting = 0;
    std::size_t failing = start.size();
    while (failing - fitting > 1) {
        const std::size_t middle = fitting + (failing - fitting) / 2;
        (fits(middle) ? fitting : failing) = middle;
    }
    fits(fitting);
    start.resize(cutAt(fitting));
    preview.cut = preview.resultTooLong = true;
    return preview;
}

} // namespace brantlewick
