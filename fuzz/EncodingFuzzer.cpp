// SPDX-License-Identifier: GPL-3.0-or-later
// Fuzzes the reading side: the byte-order mark, the NUL check and the decoding and encoding back, with the
// input handed over in reads of a size the first byte picks. A conversion that changes nothing must give
// back the input exactly, or refuse it exactly when glibc's iconv refuses its encoding (or, unmarked, when
// it holds a NUL); the same bytes in one read must give the same answer.
#include "TempDir.h"
#include "brantlewick/engine/Conversion.h"
#include "brantlewick/files/ConvertFile.h"
#include "brantlewick/files/EngineError.h"
#include "brantlewick/files/LineFile.h"

#include <iconv.h>

#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>
#include <utility>

namespace {

// The result, or the reason it was refused.
std::string Convert(std::string_view bytes, std::size_t pieceSize, bool& refused) {
    const brantlewick::testing::PiecesDescriptor pipe(bytes, pieceSize);
    brantlewick::InputFile input(pipe.Descriptor(), "in");
    std::string out;
    refused = false;
    try {
        // No entries and the line ends kept: nothing changes.
        brantlewick::ConvertStream(input, {{}, 1, brantlewick::LineBreaks::Keep},
                                   [&out](std::string_view piece) { out += piece; });
    } catch (const brantlewick::EngineError& error) {
        refused = true;
        if (!out.empty()) {
            std::abort(); // a refused input wrote something
        }
        return error.Reason();
    }
    return out;
}

bool IconvAccepts(const char* encoding, std::string_view body) {
    const iconv_t converter = ::iconv_open("UTF-8", encoding);
    std::string out(body.size() * 2 + 16, '\0');
    char* in = const_cast<char*>(body.data());
    char* cursor = out.data();
    std::size_t inLeft = body.size();
    std::size_t outLeft = out.size();
    const bool done = ::iconv(converter, &in, &inLeft, &cursor, &outLeft) != static_cast<std::size_t>(-1);
    ::iconv_close(converter);
    return done;
}

// Whether the file should be refused, judged from its mark alone and iconv.
bool Invalid(std::string_view file) {
    using namespace std::string_view_literals;
    for (const auto& [mark, name] :
         {std::pair("\xFF\xFE\0\0"sv, "UTF-32LE"), std::pair("\0\0\xFE\xFF"sv, "UTF-32BE"),
          std::pair("\xFF\xFE"sv, "UTF-16LE"), std::pair("\xFE\xFF"sv, "UTF-16BE")}) {
        if (file.starts_with(mark)) {
            return !IconvAccepts(name, file.substr(mark.size()));
        }
    }
    return file.substr(0, std::size_t{8} * 1024).find('\0') !=
           std::string_view::npos; // unmarked: NUL in the first 8 KiB
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 1 || size > std::size_t{32} * 1024) {
        return 0;
    }
    const std::string_view file(reinterpret_cast<const char*>(data + 1), size - 1);
    bool refused = false;
    bool refusedWhole = false;
    const std::string result = Convert(file, 1 + data[0] % 64, refused);
    if (result != Convert(file, file.size() + 1, refusedWhole) || refused != refusedWhole ||
        refused != Invalid(file) || (!refused && result != file)) {
        std::abort();
    }
    return 0;
}
