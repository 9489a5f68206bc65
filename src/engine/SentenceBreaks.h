// The sentence-break transformation: after every sentence-ending entry insert a number of CR LF pairs and
// drop the one space that followed it. Pure text in, text out; files are handled by InsertEnterInFile.
#pragma once

#include <array>
#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <exception>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <string_view>
#include <thread>
#include <vector>

namespace brantlewick {

class InputFile;

// Where converted bytes go. The converter writes straight into the room that Reserve() hands out, so the
// hot loop pays for no call per byte run; the sink decides what happens to bytes once its room runs out.
class OutputSink {
public:
    virtual ~OutputSink() = default;

    // At least `size` writable bytes from the returned position; valid until the next call on the sink.
    char* Reserve(std::size_t size) {
        if (static_cast<std::size_t>(limit_ - cursor_) < size) {
            MakeRoom(size);
        }
        return cursor_;
    }
    // The end of the room Reserve() handed out.
    char* Limit() const noexcept { return limit_; }
    // Everything before `cursor`, which lies in the reserved room, is written.
    void Advance(char* cursor) noexcept { cursor_ = cursor; }
    void Append(std::string_view bytes);

protected:
    // Passes on or keeps what is written, then points cursor_ and limit_ at room for at least `size` bytes.
    virtual void MakeRoom(std::size_t size) = 0;

    char* cursor_ = nullptr;
    char* limit_ = nullptr;
};

// Collects into a string; the string holds exactly what was written once Close() ran.
class StringSink final : public OutputSink {
public:
    explicit StringSink(std::string& out);
    void Close();

private:
    void MakeRoom(std::size_t size) override;
    std::string& out_;
};

// Collects into a buffer and hands it to `drain` whenever it is full and at Flush(). Once a second buffer
// is needed, `drain` runs on a thread of its own while the other buffer fills, so that writing overlaps
// converting; it is never called from two threads at once, and a failure it throws comes out of the next
// Reserve(), Append() or Flush() on the caller's thread. Destroying the sink drops what was not flushed.
class DrainingSink final : public OutputSink {
public:
    DrainingSink(std::function<void(std::string_view)> drain, std::size_t capacity);
    ~DrainingSink() override;
    DrainingSink(const DrainingSink&) = delete;
    DrainingSink& operator=(const DrainingSink&) = delete;

    // Returns when everything written so far has been drained.
    void Flush();

private:
    void MakeRoom(std::size_t size) override;
    // Hands the filled buffer to the drain thread (starting it the first time) and fills the other one.
    void HandOver();
    void WaitUntilDrained(std::unique_lock<std::mutex>& lock);
    void DrainLoop();

    std::function<void(std::string_view)> drain_;
    std::unique_ptr<char[]> buffers_[2];
    std::size_t capacities_[2];
    int filling_ = 0;
    bool drainHere_ = false;

    std::mutex mutex_;
    std::condition_variable changed_;
    std::string_view pending_; // handed over and not yet drained; empty while the thread waits
    std::exception_ptr failure_;
    bool stopping_ = false;
    std::thread thread_;
};

// Converts a stream of bytes. The input's own line terminators (CR LF, LF, lone CR) are consumed and not
// written, so lines run together except where breaks were inserted; no match or dropped space ever
// reaches across a terminator. Matching ignores ASCII letter case and writes each entry's own spelling.
class SentenceBreaker {
public:
    // Entries are applied in order, duplicates included; empty entries match nothing.
    SentenceBreaker(std::vector<std::string> entries, int enterCount);

    // Converts `chunk`. A line still open at the end of the chunk is held back until its terminator or
    // Finish().
    void Feed(std::string_view chunk, OutputSink& out);
    void Finish(OutputSink& out);
    // The same, appending to a string.
    void Feed(std::string_view chunk, std::string& out);
    void Finish(std::string& out);

private:
    // An entry with the two replacements it takes part in, built once.
    struct Rule {
        std::string entry;
        std::string entryAndSpace;
        std::string entryAndBreaks;
    };

    // What the single pass does at a stop byte, kept in one table entry per byte so that the stop needs one
    // look-up: write the replacement (empty for CR and LF) and, after an entry, skip one space.
    struct StopAction {
        std::array<char, 16> start{}; // the replacement's first bytes, zero-padded for a fixed-size copy
        std::uint32_t size = 0;
        std::uint32_t rule = 0; // where to find a replacement longer than `start`
        bool dropsSpace = false;
    };

    template <typename StopMask>
    void FeedSingleBytes(std::string_view chunk, OutputSink& out, const StopMask& stops);
    void FeedLines(std::string_view chunk, OutputSink& out);
    // One line without terminator, exactly as the entries rewrite it one after another.
    void ConvertLine(std::string_view line, OutputSink& out);

    std::vector<Rule> rules_;
    // When every entry is one distinct byte other than CR, LF and space, the entries cannot affect one
    // another and a single pass over the bytes gives the same result as applying them in turn.
    bool singleBytePass_ = false;
    std::array<bool, 256> isStop_{};
    std::array<StopAction, 256> stopActions_{};
    // The bytes the single pass stops at: CR, LF and the entries in both letter cases.
    std::string stopBytes_;
    std::size_t longestReplacement_ = 0;
    bool dropSpace_ = false;
    std::string pendingLine_;
    std::string line_;
    std::string scratch_;
};

// Convenience for whole texts (tests, the fuzzer).
std::string ConvertText(std::string_view text, const std::vector<std::string>& entries, int enterCount);

// Converts everything `input` holds, handing the result to `write` in pieces of bounded size.
void ConvertStream(InputFile& input, const std::vector<std::string>& entries, int enterCount,
                   const std::function<void(std::string_view)>& write);

// Converts one input file into one output file. The output appears whole or not at all; a failure
// (unreadable or non-regular input, missing or read-only output folder, full disk) throws one EngineError
// naming the file.
void InsertEnterInFile(const std::string& inputPath, const std::string& outputPath, int enterCount,
                       const std::vector<std::string>& entries);

} // namespace brantlewick
