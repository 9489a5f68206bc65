// SPDX-License-Identifier: GPL-3.0-or-later
// The pipeline of stages a set of options asks for, and the counts it keeps.
#include "brantlewick/engine/Conversion.h"

#include "EntryRunStage.h"
#include "LineStages.h"
#include "SingleByteStage.h"
#include "asciidoc/AsciiDocStage.h"
#include "brantlewick/engine/AsciiCase.h"
#include "latex/LatexStage.h"
#include "markdown/MarkdownStage.h"
#include "rst/RstStage.h"
#include "sentences/SentenceStage.h"

#include <algorithm>
#include <array>
#include <utility>

namespace brantlewick {

namespace {

// Between two stages text travels in slices of this size.
constexpr std::size_t kLinkBuffer = std::size_t{16} * 1024;
// The most a link keeps while edits are marked.
constexpr std::size_t kMostHeldWhileMarking = std::size_t{64} << 20;

constexpr std::string_view kUtf8Mark = "\xEF\xBB\xBF";

// How far the start of a text is held to find its first line end, the one the breaks take where the lines
// are kept; well inside what a preview converts, so that a preview decides as the run does.
constexpr std::size_t kLineEndSearch = std::size_t{64} * 1024;

// The line end the breaks take: CR LF, as always, unless the options keep or rejoin the input's lines and
// the text's first line end is an LF; nothing while that is not known yet (`end`: the text is all here).
std::optional<std::string_view> BreakLineEnd(const ConversionOptions& options, std::string_view text,
                                             bool end) {
    // Markdown keeps each paragraph's own line end by itself.
    if (options.lines == LineBreaks::Join || (options.sentences && options.format == TextFormat::Markdown)) {
        return "\r\n";
    }
    const std::size_t at = text.substr(0, kLineEndSearch).find_first_of("\r\n");
    if (at == std::string_view::npos) {
        return end || text.size() >= kLineEndSearch ? std::optional<std::string_view>("\r\n") : std::nullopt;
    }
    // A lone CR stays CR LF: as a break before the LF of a later line it would make one line end of two.
    return text[at] == '\n' ? "\n" : "\r\n";
}

// How much of a text's start the sentence mode reads to find its language; a preview converts more, so
// that it finds the language a run finds.
constexpr std::size_t kLanguageSample = std::size_t{16} * 1024;

struct LanguageChoice {
    Language language;
    bool byParagraph; // each paragraph's own where its start tells it, `language` where not
};

// The language the sentence mode is to take, once enough of the text's start (`end`: all of it) is here.
std::optional<LanguageChoice> ChosenLanguage(const ConversionOptions& options, std::string_view text,
                                             bool end) {
    if (!options.sentences || !options.findLanguage) {
        return LanguageChoice{options.language, false};
    }
    if (!end && text.size() < kLanguageSample) {
        return std::nullopt;
    }
    text = text.substr(0, kLanguageSample);
    if (const auto named =
            options.format == TextFormat::Markdown ? FrontMatterLanguage(text) : std::nullopt) {
        return LanguageChoice{*named, false};
    }
    // The start's guess pools the evidence of several paragraphs: it is the text's own language for
    // the paragraphs too short or too unclear to tell.
    return LanguageChoice{LanguageOfText(text).value_or(options.language), true};
}

std::unique_ptr<Stage> EntriesStage(const ConversionOptions& options, std::string_view lineEnd,
                                    bool dropTerminators) {
    // Only the classic rule, which drops the line ends, lets an entry holding CR or LF match.
    const std::vector<std::string> entries = UsableEntries(options.entries, dropTerminators);
    if (auto single = SingleByteStage::For(entries, options.enterCount, lineEnd, dropTerminators)) {
        return single;
    }
    return std::make_unique<EntryRunStage>(entries, options.enterCount, lineEnd, dropTerminators);
}

std::unique_ptr<Stage> SentencesStage(const ConversionOptions& options, bool join, std::string_view lineEnd,
                                      bool reflowed = false) {
    return std::make_unique<SentenceStage>(SentenceOptions{options.entries, options.enterCount,
                                                           options.language, !join, join, lineEnd, false,
                                                           options.findLanguage, reflowed});
}

// The stage of a document format: it finds the ends itself and writes the file's own line ends, so it only
// needs to know where sentences end, not how the plain mode breaks them.
std::unique_ptr<Stage> DocumentStage(const ConversionOptions& options) {
    SentenceOptions sentences{options.entries, 1,    options.language,    true, false,
                              "\r\n",          true, options.findLanguage};
    const prose::BreakChoices choices{options.lines != LineBreaks::Keep, options.enterCount > 0};
    switch (options.format) {
    case TextFormat::Markdown:
        return std::make_unique<markdown::MarkdownStage>(std::move(sentences), choices);
    case TextFormat::AsciiDoc:
        return std::make_unique<asciidoc::AsciiDocStage>(std::move(sentences), choices);
    case TextFormat::ReStructuredText:
        return std::make_unique<rst::RstStage>(std::move(sentences), choices);
    case TextFormat::LaTeX:
        return std::make_unique<latex::LatexStage>(std::move(sentences), choices);
    case TextFormat::Plain:
        break;
    }
    return nullptr;
}

std::vector<std::unique_ptr<Stage>> SentencePipeline(const ConversionOptions& options,
                                                     std::string_view lineEnd) {
    std::vector<std::unique_ptr<Stage>> stages;
    if (auto document = DocumentStage(options)) {
        stages.push_back(std::move(document));
        return stages;
    }
    if (options.lines == LineBreaks::Reflow) {
        stages.push_back(std::make_unique<ReflowStage>(true));
        stages.push_back(SentencesStage(options, false, "\r\n", true));
        stages.push_back(std::make_unique<ParagraphStage>(lineEnd));
    } else {
        stages.push_back(SentencesStage(options, options.lines == LineBreaks::Join, lineEnd));
    }
    return stages;
}

// The stages in the order the text passes them, writing `lineEnd` for each break. A stage added here sees
// the output of the one before.
std::vector<std::unique_ptr<Stage>> Pipeline(const ConversionOptions& options, std::string_view lineEnd) {
    if (options.sentences) {
        return SentencePipeline(options, lineEnd);
    }
    std::vector<std::unique_ptr<Stage>> stages;
    switch (options.lines) {
    case LineBreaks::Join:
        stages.push_back(EntriesStage(options, lineEnd, true));
        break;
    case LineBreaks::Keep:
        stages.push_back(EntriesStage(options, lineEnd, false));
        break;
    case LineBreaks::Reflow:
        // The reflowed text holds no line end but the LF that closes a paragraph; the entries stage passes
        // it on between its CR LF breaks, and the last stage turns both into the breaks the paragraph
        // still lacks, each `lineEnd`.
        stages.push_back(std::make_unique<ReflowStage>());
        stages.push_back(EntriesStage(options, "\r\n", false));
        stages.push_back(std::make_unique<ParagraphStage>(lineEnd));
        break;
    }
    return stages;
}

} // namespace

std::string BreaksOf(int enterCount, std::string_view lineEnd) {
    std::string breaks;
    for (int i = 0; i < enterCount; ++i) {
        breaks += lineEnd;
    }
    return breaks;
}

std::vector<std::string> UsableEntries(std::vector<std::string> entries, bool terminatorsMatch) {
    std::erase_if(entries, [terminatorsMatch](const std::string& entry) {
        return entry.empty() || (!terminatorsMatch && entry.find_first_of("\r\n") != std::string::npos);
    });
    return entries;
}

// Collects what one stage writes and hands it to the next stage whenever it is full and at the end.
//
// When edits are marked, the link keeps everything until the end, because a stage may mark a place it
// wrote a while ago. A preview converts a bounded text, but a huge number of Enters makes much of it: past
// kMostHeldWhileMarking the link throws OutputTooLong. It then hands the next
// stage the text in pieces that end where an edit lies, and marks the edit where that stage's output
// has got to: the stages that follow a marking stage write at once what they take before such a place.
class Converter::Link final : public OutputSink {
public:
    explicit Link(Stage& next) : next_(next), buffer_(std::make_unique_for_overwrite<char[]>(kLinkBuffer)) {
        SetRoom(buffer_.get(), buffer_.get() + kLinkBuffer);
    }

    void Forward(OutputSink& downstream) {
        CloseRoom();
        std::string_view bytes(buffer_.get(), static_cast<std::size_t>(cursor_ - buffer_.get()));
        if (Marking()) {
            std::uint64_t at = Written() - bytes.size();
            std::stable_sort(edits.begin(), edits.end(),
                             [](const Edit& a, const Edit& b) { return a.at < b.at; });
            for (const Edit& edit : edits) {
                const auto piece = static_cast<std::size_t>(std::clamp(edit.at, at, at + bytes.size()) - at);
                next_.Feed(bytes.substr(0, piece), downstream);
                bytes.remove_prefix(piece);
                at += piece;
                downstream.Mark(edit.kind, downstream.Written(), edit.count);
            }
            edits.clear();
        }
        next_.Feed(bytes, downstream);
        SetRoom(buffer_.get(), buffer_.get() + capacity_);
    }

    OutputSink* downstream = nullptr;
    std::vector<Edit> edits; // marked by the stage before, not yet handed on

private:
    void MakeRoom(std::size_t size) override {
        if (Marking()) {
            const auto used = static_cast<std::size_t>(cursor_ - buffer_.get());
            if (used + size > kMostHeldWhileMarking) {
                throw OutputTooLong();
            }
            capacity_ = std::max(2 * capacity_, used + size);
            auto larger = std::make_unique_for_overwrite<char[]>(capacity_);
            std::copy(buffer_.get(), cursor_, larger.get());
            CloseRoom();
            buffer_ = std::move(larger);
            SetRoom(buffer_.get() + used, buffer_.get() + capacity_);
            return;
        }
        Forward(*downstream);
        if (size > capacity_) {
            capacity_ = size;
            buffer_ = std::make_unique_for_overwrite<char[]>(size);
            SetRoom(buffer_.get(), buffer_.get() + size);
        }
    }

    Stage& next_;
    std::unique_ptr<char[]> buffer_;
    std::size_t capacity_ = kLinkBuffer;
};

Converter::Converter(const ConversionOptions& options)
    : options_(options), lookingForMark_(options.sentences || options.lines != LineBreaks::Join) {
    TryBuild({}, false);
}

bool Converter::TryBuild(std::string_view start, bool end) {
    const auto lineEnd = BreakLineEnd(options_, start, end);
    const auto language = ChosenLanguage(options_, start, end);
    if (!lineEnd || !language) {
        return false;
    }
    options_.language = language->language;
    options_.findLanguage = language->byParagraph;
    stages_ = Pipeline(options_, *lineEnd);
    for (std::size_t i = 1; i < stages_.size(); ++i) {
        links_.push_back(std::make_unique<Link>(*stages_[i]));
    }
    return true;
}

Converter::~Converter() = default;

void Converter::Feed(std::string_view chunk, OutputSink& out) {
    if (!started_) {
        started_ = true;
        writtenBefore_ = out.Written();
    }
    counts_.bytesIn += chunk.size();
    if (!chunk.empty()) {
        lastIn_ = chunk.back();
    }
    Connect(out);
    FeedStages(lookingForMark_ ? SetMarkAside(chunk, out, false) : chunk, out);
}

void Converter::FeedStages(std::string_view chunk, OutputSink& out) {
    if (stages_.empty()) {
        held_.append(chunk);
        if (!TryBuild(held_, false)) {
            return;
        }
        Connect(out);
        chunk = held_;
    }
    stages_.front()->Feed(chunk, links_.empty() ? out : *links_.front());
    held_.clear();
}

std::string_view Converter::SetMarkAside(std::string_view chunk, OutputSink& out, bool end) {
    const std::size_t take = std::min(chunk.size(), kUtf8Mark.size() - markHeld_);
    if (chunk.substr(0, take) != kUtf8Mark.substr(markHeld_, take)) {
        // Not the mark after all: what was held is text.
        lookingForMark_ = false;
        FeedStages(kUtf8Mark.substr(0, markHeld_), out);
        return chunk;
    }
    markHeld_ += take;
    chunk.remove_prefix(take);
    if (markHeld_ == kUtf8Mark.size()) {
        lookingForMark_ = false;
        out.Append(kUtf8Mark);
    } else if (end) {
        FeedStages(kUtf8Mark.substr(0, markHeld_), out);
    }
    return chunk;
}

void Converter::Connect(OutputSink& out) {
    for (std::size_t i = 0; i < links_.size(); ++i) {
        links_[i]->downstream = i + 1 < links_.size() ? links_[i + 1].get() : &out;
        links_[i]->MarkEditsIn(out.Marking() ? &links_[i]->edits : nullptr);
    }
}

void Converter::Finish(OutputSink& out) {
    if (!started_) {
        started_ = true;
        writtenBefore_ = out.Written();
    }
    Connect(out);
    if (lookingForMark_) {
        SetMarkAside({}, out, true);
    }
    if (stages_.empty()) {
        TryBuild(held_, true);
        Connect(out);
        stages_.front()->Feed(held_, links_.empty() ? out : *links_.front());
        held_.clear();
    }
    for (std::size_t i = 0; i < stages_.size(); ++i) {
        if (i < links_.size()) {
            stages_[i]->Finish(*links_[i]);
            links_[i]->Forward(*links_[i]->downstream);
        } else {
            stages_[i]->Finish(out);
        }
    }
    for (const auto& stage : stages_) {
        counts_.breaksInserted += stage->Tally().breaksInserted;
        counts_.spacesDropped += stage->Tally().spacesDropped;
    }
    // The first stage reads the input's line ends, the last one writes the output's.
    counts_.linesIn =
        stages_.front()->Tally().terminatorsIn + (counts_.bytesIn > 0 && !IsLineEnd(lastIn_) ? 1 : 0);
    counts_.bytesOut = out.Written() - writtenBefore_;
    counts_.linesOut =
        stages_.back()->Tally().terminatorsOut + (counts_.bytesOut > 0 && !IsLineEnd(out.LastByte()) ? 1 : 0);
}

namespace {
constexpr std::array<std::pair<std::string_view, LineBreaks>, 3> kLineBreaksNames = {
    {{"join", LineBreaks::Join}, {"keep", LineBreaks::Keep}, {"reflow", LineBreaks::Reflow}}};
} // namespace

std::optional<LineBreaks> LineBreaksFromName(std::string_view name) {
    for (const auto& [known, lines] : kLineBreaksNames) {
        if (std::equal(name.begin(), name.end(), known.begin(), known.end(),
                       [](char a, char b) { return FoldAscii(a) == b; })) {
            return lines;
        }
    }
    return std::nullopt;
}

std::string_view LineBreaksName(LineBreaks lines) {
    return kLineBreaksNames.at(static_cast<std::size_t>(lines)).first;
}

std::string ConvertText(std::string_view text, const ConversionOptions& options, ConversionCounts* counts,
                        std::vector<Edit>* edits) {
    Converter converter(options);
    std::string out;
    out.reserve(text.size() + text.size() / 8); // breaks add a little; the sink grows the string if needed
    StringSink sink(out);
    if (edits != nullptr) {
        edits->clear();
        sink.MarkEditsIn(edits);
    }
    converter.Feed(text, sink);
    converter.Finish(sink);
    sink.Close();
    if (counts != nullptr) {
        *counts = converter.Counts();
    }
    if (edits != nullptr) {
        std::stable_sort(edits->begin(), edits->end(),
                         [](const Edit& a, const Edit& b) { return a.at < b.at; });
    }
    return out;
}

} // namespace brantlewick
