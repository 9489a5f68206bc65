// Fuzzes the streaming conversion against the plain reference: the first bytes pick the Enter count, the
// entries and the chunk size; the rest is the text, converted both in small chunks and whole (the whole
// text reaches the single pass's 64-byte windows).
#include "ReferenceConversion.h"
#include "SentenceBreaks.h"

#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 3) {
        return 0;
    }
    const int enters = data[0] % 10; // above 7 a replacement outgrows the 16-byte fixed copy
    const std::size_t chunk = 1 + data[1] % 64;
    // Entries: up to four, each 1 to 3 bytes long, taken from the input after a header byte.
    std::size_t at = 3;
    std::vector<std::string> entries;
    for (int i = 0; i < data[2] % 5 && at < size; ++i) {
        const std::size_t length = 1 + data[at++] % 3;
        if (at + length > size) {
            break;
        }
        entries.emplace_back(reinterpret_cast<const char*>(data + at), length);
        at += length;
    }
    const std::string text(reinterpret_cast<const char*>(data + at), size - at);

    brantlewick::SentenceBreaker breaker(entries, enters);
    std::string streamed;
    for (std::size_t from = 0; from < text.size(); from += chunk) {
        breaker.Feed(std::string_view(text).substr(from, chunk), streamed);
    }
    breaker.Finish(streamed);
    const std::string expected = brantlewick::testing::ReferenceConvert(text, entries, enters);
    if (streamed != expected || brantlewick::ConvertText(text, entries, enters) != expected) {
        std::abort();
    }
    return 0;
}
