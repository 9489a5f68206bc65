// SPDX-License-Identifier: GPL-3.0-or-later
// Decoding UTF-16/32 into UTF-8 for the conversion and encoding its result back, exactly or not at all.
#include "TextEncoding.h"

#include "brantlewick/base/Utf8.h"
#include "brantlewick/files/EngineError.h"
#include "brantlewick/files/LineFile.h"

#include <fcntl.h>
#include <stdlib.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <cstring>

namespace brantlewick {
namespace {

// Enough to tell text from a binary file by its NUL bytes, small enough to look at before every file.
constexpr std::size_t kFirstBlock = std::size_t{8} * 1024;
// The first read is as large as the conversion's own, so that a file's bytes reach it in the same pieces
// as they would straight from the file.
constexpr std::size_t kRawPiece = std::size_t{64} * 1024;

bool IsUtf16(TextEncoding encoding) {
    return encoding == TextEncoding::Utf16LE || encoding == TextEncoding::Utf16BE;
}

bool IsLittleEndian(TextEncoding encoding) {
    return encoding == TextEncoding::Utf16LE || encoding == TextEncoding::Utf32LE;
}

std::size_t UnitSize(TextEncoding encoding) {
    return IsUtf16(encoding) ? 2 : 4;
}

const char* EncodingName(TextEncoding encoding) {
    return IsUtf16(encoding) ? "UTF-16" : "UTF-32";
}

std::uint32_t UnitAt(std::string_view data, std::size_t at, TextEncoding encoding) {
    const std::size_t size = UnitSize(encoding);
    std::uint32_t unit = 0;
    for (std::size_t i = 0; i < size; ++i) {
        const auto byte =
            static_cast<unsigned char>(data[at + (IsLittleEndian(encoding) ? size - 1 - i : i)]);
        unit = unit << 8 | byte;
    }
    return unit;
}

void AppendUnit(std::uint32_t unit, TextEncoding encoding, std::string& out) {
    const std::size_t size = UnitSize(encoding);
    for (std::size_t i = 0; i < size; ++i) {
        const std::size_t shift = 8 * (IsLittleEndian(encoding) ? i : size - 1 - i);
        out.push_back(static_cast<char>(unit >> shift & 0xFF));
    }
}

bool IsSurrogate(std::uint32_t c) {
    return c >= 0xD800 && c <= 0xDFFF;
}

// A file without a name in the temporary folder, readable by nobody else: nothing of it outlives the
// process, however the process ends.
int OpenUnnamedTemporary(const std::string& name) {
    const char* variable = std::getenv("TMPDIR");
    const std::string folder = variable != nullptr && *variable != '\0' ? variable : "/tmp";
    int fd = ::open(folder.c_str(), O_TMPFILE | O_RDWR | O_CLOEXEC, 0600);
    if (fd < 0) {
        // Not every file system makes unnamed files; a named one unlinked at once serves nearly as well.
        std::string path = folder + "/.brantlewick-XXXXXX";
        fd = ::mkostemp(path.data(), O_CLOEXEC);
        if (fd < 0) {
            ThrowSystemError(errno, "cannot create a temporary file in " + folder, name);
        }
        ::unlink(path.c_str());
    }
    return fd;
}

} // namespace

TextEncoding EncodingOf(std::string_view start) {
    // FF FE 00 00 could also be UTF-16 LE text that begins with U+0000, but no text does: the UTF-32 mark
    // wins, so that one file is never read in two encodings depending on what follows its mark.
    for (const TextEncoding encoding :
         {TextEncoding::Utf32LE, TextEncoding::Utf32BE, TextEncoding::Utf16LE, TextEncoding::Utf16BE}) {
        if (start.starts_with(ByteOrderMark(encoding))) {
            return encoding;
        }
    }
    return TextEncoding::Bytes;
}

std::string_view ByteOrderMark(TextEncoding encoding) {
    using namespace std::string_view_literals;
    switch (encoding) {
    case TextEncoding::Utf16LE:
        return "\xFF\xFE"sv;
    case TextEncoding::Utf16BE:
        return "\xFE\xFF"sv;
    case TextEncoding::Utf32LE:
        return "\xFF\xFE\0\0"sv;
    case TextEncoding::Utf32BE:
        return "\0\0\xFE\xFF"sv;
    case TextEncoding::Bytes:
        break;
    }
    return {};
}

TextDecoder::TextDecoder(TextEncoding encoding, std::string name)
    : encoding_(encoding), name_(std::move(name)), offset_(ByteOrderMark(encoding).size()) {}

void TextDecoder::Feed(std::string_view piece, std::string& out) {
    if (carry_.empty()) {
        DecodeUnits(piece, out);
        return;
    }
    std::string data = std::move(carry_);
    data.append(piece);
    carry_.clear();
    DecodeUnits(data, out);
}

void TextDecoder::DecodeUnits(std::string_view data, std::string& out) {
    const std::size_t unitSize = UnitSize(encoding_);
    std::size_t at = 0;
    while (data.size() - at >= unitSize) {
        std::uint32_t c = UnitAt(data, at, encoding_);
        std::size_t used = unitSize;
        if (!IsUtf16(encoding_)) {
            if (c > 0x10FFFF || IsSurrogate(c)) {
                Fail(offset_ + at, "a value that is no character");
            }
        } else if (c >= 0xDC00 && c <= 0xDFFF) {
            Fail(offset_ + at, "a lone surrogate");
        } else if (c >= 0xD800 && c <= 0xDBFF) {
            if (data.size() - at < 4) {
                break; // the other half comes with the next piece
            }
            const std::uint32_t low = UnitAt(data, at + 2, encoding_);
            if (low < 0xDC00 || low > 0xDFFF) {
                Fail(offset_ + at, "a lone surrogate");
            }
            c = 0x10000 + ((c - 0xD800) << 10) + (low - 0xDC00);
            used = 4;
        }
        utf8::Append(out, c);
        at += used;
    }
    offset_ += at;
    carry_.assign(data.substr(at));
}

void TextDecoder::Finish() {
    if (!carry_.empty()) {
        Fail(offset_,
             IsUtf16(encoding_) && carry_.size() >= 2 ? "a lone surrogate" : "a last character cut short");
    }
}

void TextDecoder::Fail(std::size_t offset, const char* what) const {
    throw EngineError(name_, std::string("not valid ") + EncodingName(encoding_) + " text (" + what +
                                 " at byte " + std::to_string(offset) + "); not converted");
}

TextEncoder::TextEncoder(TextEncoding encoding, std::string name)
    : encoding_(encoding), name_(std::move(name)) {}

void TextEncoder::Feed(std::string_view piece, std::string& out) {
    if (carry_.empty()) {
        EncodeCharacters(piece, out);
        return;
    }
    std::string data = std::move(carry_);
    data.append(piece);
    carry_.clear();
    EncodeCharacters(data, out);
}

void TextEncoder::EncodeCharacters(std::string_view data, std::string& out) {
    std::size_t at = 0;
    const char* const end = data.data() + data.size();
    while (at < data.size()) {
        const utf8::Char character = utf8::DecodeAt(data.data() + at, end);
        if (character.code >= utf8::kMalformed) {
            if (data.size() - at < utf8::SequenceLength(static_cast<unsigned char>(data[at]))) {
                break; // the rest of the character may come with the next piece; Finish() fails if not
            }
            Fail();
        }
        const std::uint32_t c = character.code;
        if (IsUtf16(encoding_) && c >= 0x10000) {
            AppendUnit(0xD800 + ((c - 0x10000) >> 10), encoding_, out);
            AppendUnit(0xDC00 + ((c - 0x10000) & 0x3FF), encoding_, out);
        } else {
            AppendUnit(c, encoding_, out);
        }
        at += static_cast<std::size_t>(character.size);
    }
    carry_.assign(data.substr(at));
}

void TextEncoder::Finish() {
    if (!carry_.empty()) {
        Fail();
    }
}

void TextEncoder::Fail() const {
    throw EngineError(name_, std::string("the result is not UTF-8 text and cannot be written back as ") +
                                 EncodingName(encoding_) +
                                 " (is a sentence ending not valid UTF-8?); not converted");
}

TextInput::TextInput(InputFile& input)
    : input_(input), first_(std::make_unique_for_overwrite<char[]>(kRawPiece)) {
    // A pipe may hand over a few bytes at a time: whatever the reads give, the mark and the NUL bytes are
    // looked for in the same first block as in a file.
    while (firstSize_ < kFirstBlock) {
        const std::size_t more = input.Read(first_.get() + firstSize_, kRawPiece - firstSize_);
        if (more == 0) {
            break;
        }
        firstSize_ += more;
    }
    const std::string_view first(first_.get(), firstSize_);
    encoding_ = EncodingOf(first);
    if (encoding_ == TextEncoding::Bytes) {
        if (first.substr(0, kFirstBlock).find('\0') != std::string_view::npos) {
            throw EngineError(input.Name(),
                              "not a text file: it holds NUL bytes (a UTF-16 or UTF-32 text needs "
                              "its byte-order mark); not converted");
        }
        return;
    }
    firstUsed_ = ByteOrderMark(encoding_).size();
    decoder_.emplace(encoding_, input.Name());
    encoder_.emplace(encoding_, input.Name());
}

std::size_t TextInput::Read(char* buffer, std::size_t size) {
    if (encoding_ == TextEncoding::Bytes) {
        if (firstUsed_ == firstSize_) {
            return input_.Read(buffer, size);
        }
        const std::size_t count = std::min(size, firstSize_ - firstUsed_);
        std::memcpy(buffer, first_.get() + firstUsed_, count);
        firstUsed_ += count;
        return count;
    }
    while (decodedUsed_ == decoded_.size()) {
        if (ended_) {
            return 0;
        }
        decoded_.clear();
        decodedUsed_ = 0;
        if (firstUsed_ < firstSize_) {
            decoder_->Feed(std::string_view(first_.get() + firstUsed_, firstSize_ - firstUsed_), decoded_);
            firstUsed_ = firstSize_;
            continue;
        }
        raw_.resize(kRawPiece);
        const std::size_t got = input_.Read(raw_.data(), raw_.size());
        if (got == 0) {
            decoder_->Finish();
            ended_ = true;
            return 0;
        }
        decoder_->Feed(std::string_view(raw_.data(), got), decoded_);
    }
    const std::size_t count = std::min(size, decoded_.size() - decodedUsed_);
    std::memcpy(buffer, decoded_.data() + decodedUsed_, count);
    decodedUsed_ += count;
    return count;
}

TextInput::~TextInput() {
    if (held_ >= 0) {
        ::close(held_);
    }
}

std::function<void(std::string_view)> TextInput::Output(std::function<void(std::string_view)> write) {
    if (encoding_ == TextEncoding::Bytes) {
        return write;
    }
    write_ = std::move(write);
    if (!input_.Id()) {
        held_ = OpenUnnamedTemporary(input_.Name());
    }
    return [this](std::string_view utf8) { WriteEncoded(utf8); };
}

void TextInput::WriteEncoded(std::string_view utf8) {
    encoded_.clear();
    if (!markWritten_) {
        encoded_.append(ByteOrderMark(encoding_));
        markWritten_ = true;
    }
    encoder_->Feed(utf8, encoded_);
    if (held_ >= 0) {
        Hold(encoded_);
    } else {
        write_(encoded_);
    }
}

void TextInput::Hold(std::string_view encoded) {
    try {
        WriteAll(held_, encoded, input_.Name());
    } catch (const EngineError& error) {
        throw EngineError(input_.Name(), "cannot keep the result in a temporary file until the input is "
                                         "read whole (" +
                                             error.Reason() + ")");
    }
}

void TextInput::WriteHeld() {
    if (::lseek(held_, 0, SEEK_SET) != 0) {
        ThrowSystemError(errno, "cannot read back the temporary file", input_.Name());
    }
    InputFile held(held_, input_.Name());
    raw_.resize(kRawPiece);
    while (const std::size_t got = held.Read(raw_.data(), raw_.size())) {
        write_(std::string_view(raw_.data(), got));
    }
}

void TextInput::Finish() {
    if (encoding_ == TextEncoding::Bytes) {
        return;
    }
    encoder_->Finish();
    if (!markWritten_) {
        WriteEncoded({});
    }
    if (held_ >= 0) {
        WriteHeld();
    }
}

} // namespace brantlewick
