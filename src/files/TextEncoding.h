// SPDX-License-Identifier: GPL-3.0-or-later
// Text stored as UTF-16 or UTF-32 is converted in its own encoding, and files that are plainly not text
// are refused: the conversion itself only ever sees single-byte or UTF-8 text.
#pragma once

#include <cstddef>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

namespace brantlewick {

class InputFile;

// How a file's text is stored. Only a byte-order mark tells UTF-16 and UTF-32 apart from bytes; every
// other file, UTF-8 with or without its mark and single-byte text alike, is converted as bytes.
enum class TextEncoding { Bytes, Utf16LE, Utf16BE, Utf32LE, Utf32BE };

// The encoding that the mark at the start of a file names; at least four bytes, or the whole file.
TextEncoding EncodingOf(std::string_view start);

// The byte-order mark of an encoding; empty for Bytes.
std::string_view ByteOrderMark(TextEncoding encoding);

// UTF-16 or UTF-32 without its mark into UTF-8, piece by piece: a unit or surrogate pair cut at the end of
// a piece is completed by the next. What has no exact UTF-8 form (a lone surrogate, a UTF-32 value that is
// no character, trailing bytes that make no whole unit) is never changed into something else: it throws
// an EngineError naming `name` and the byte's offset in the file.
class TextDecoder {
public:
    TextDecoder(TextEncoding encoding, std::string name);
    void Feed(std::string_view piece, std::string& out);
    // Throws when the input ended inside a unit or a surrogate pair.
    void Finish();

private:
    void DecodeUnits(std::string_view data, std::string& out);
    [[noreturn]] void Fail(std::size_t offset, const char* what) const;

    TextEncoding encoding_;
    std::string name_;
    std::string carry_;
    std::size_t offset_;
};

// UTF-8 back into UTF-16 or UTF-32 without the mark, piece by piece. Bytes that are not UTF-8 throw an
// EngineError naming `name`.
class TextEncoder {
public:
    TextEncoder(TextEncoding encoding, std::string name);
    void Feed(std::string_view piece, std::string& out);
    // Throws when the text ended inside a character.
    void Finish();

private:
    void EncodeCharacters(std::string_view data, std::string& out);
    [[noreturn]] void Fail() const;

    TextEncoding encoding_;
    std::string name_;
    std::string carry_;
};

// An input as the conversion reads it, and the way back for its output.
class TextInput {
public:
    // Reads the input's first block. Throws an EngineError when the input is plainly not text: NUL bytes
    // in its first block and no UTF-16 or UTF-32 mark.
    explicit TextInput(InputFile& input);
    ~TextInput();
    TextInput(const TextInput&) = delete;
    TextInput& operator=(const TextInput&) = delete;

    TextEncoding Encoding() const noexcept { return encoding_; }
    // Like InputFile::Read: the bytes as they are, or the text decoded into UTF-8 without its mark.
    std::size_t Read(char* buffer, std::size_t size);
    // Where the converted output goes: `write` itself for bytes, otherwise an encoder back into the
    // input's encoding that writes the mark first. The returned writer uses this object. An encoded
    // input read from a descriptor (standard input) may yet prove invalid after much of its result is
    // out, and that result cannot be taken back from a pipe: it waits in an unnamed temporary file
    // until Finish(), so that a refused input writes nothing.
    std::function<void(std::string_view)> Output(std::function<void(std::string_view)> write);
    // After the last output: the mark alone for an empty result, and what waited; throws when the result
    // ended inside a character.
    void Finish();

private:
    void WriteEncoded(std::string_view utf8);
    void Hold(std::string_view encoded);
    void WriteHeld();

    InputFile& input_;
    TextEncoding encoding_ = TextEncoding::Bytes;
    // The first block, read before the conversion starts; not zeroed, as every file of a batch makes one.
    std::unique_ptr<char[]> first_;
    std::size_t firstSize_ = 0;
    std::size_t firstUsed_ = 0;
    std::optional<TextDecoder> decoder_;
    std::optional<TextEncoder> encoder_;
    std::string raw_;
    std::string decoded_;
    std::size_t decodedUsed_ = 0;
    bool ended_ = false;
    std::function<void(std::string_view)> write_;
    std::string encoded_;
    bool markWritten_ = false;
    int held_ = -1; // the temporary file the result waits in, when it waits
};

} // namespace brantlewick
