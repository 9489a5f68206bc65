// SPDX-License-Identifier: GPL-3.0-or-later
// How one file of a batch is converted and where its result goes: what a front end answers for each file,
// and what the run, the files converted ahead, the dry run and the preview all convert it with.
#pragma once

#include "brantlewick/engine/Conversion.h"

#include <optional>
#include <string>
#include <string_view>

namespace brantlewick {

// How one file is converted, as the front end's choices stand when the file comes up. The Enter count
// travels here and nowhere else.
struct FileSettings {
    std::optional<std::string> outputFolder; // nothing: beside the input
    ConversionOptions conversion;
    // The sentence mode reads each input as its name says (TextFormatOfFile: Markdown for *.md and its
    // kin, plain otherwise, standard input plain) rather than as `conversion.format` says.
    bool formatByName = true;
    friend bool operator==(const FileSettings&, const FileSettings&) = default;
};

// How `input` is converted under `settings`: the one answer for the run, the dry run and the preview.
ConversionOptions ConversionFor(std::string_view input, const FileSettings& settings);

} // namespace brantlewick
