// The sentence-break transformation: after every sentence-ending entry insert a number of CR LF pairs and
// drop the one space that followed it. Pure text in, text out; files are handled by InsertEnterInFile.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace brantlewick {

// Converts a stream of bytes. The input's own line terminators (CR LF, LF, lone CR) are consumed and not
// written, so lines run together except where breaks were inserted; no match or dropped space ever
// reaches across a terminator. Matching ignores ASCII letter case and writes each entry's own spelling.
class SentenceBreaker {
public:
    // Entries are applied in order, duplicates included; empty entries match nothing.
    SentenceBreaker(std::vector<std::string> entries, int enterCount);

    // Appends the converted form of `chunk` to `out`. A line still open at the end of the chunk is held
    // back until its terminator or Finish().
    void Feed(std::string_view chunk, std::string& out);
    void Finish(std::string& out);

    // One line without terminator, exactly as the entries rewrite it one after another.
    void ConvertLine(std::string_view line, std::string& out) const;

private:
    void FeedSingleBytes(std::string_view chunk, std::string& out);
    void FeedLines(std::string_view chunk, std::string& out);

    std::vector<std::string> entries_;
    std::string breaks_;
    // When every entry is one distinct byte other than CR, LF and space, the entries cannot affect one
    // another and a single pass over the bytes gives the same result as applying them in turn.
    bool singleBytePass_ = false;
    std::array<std::int16_t, 256> byteClass_{};
    std::vector<std::string> replacements_;
    bool dropSpace_ = false;
    std::string pendingLine_;
};

// Convenience for whole texts (tests, the fuzzer).
std::string ConvertText(std::string_view text, const std::vector<std::string>& entries, int enterCount);

// Converts one input file into one output file. The output appears whole or not at all; a failure
// (unreadable or non-regular input, missing or read-only output folder, full disk) throws one EngineError
// naming the file.
void InsertEnterInFile(const std::string& inputPath, const std::string& outputPath, int enterCount,
                       const std::vector<std::string>& entries);

} // namespace brantlewick
