// The entry points the window and the command line used before the conversion took its options as one
// value; they convert with the input's line ends dropped. New code uses Conversion.h.
#pragma once

#include "Conversion.h"

#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace brantlewick {

void ConvertStream(InputFile& input, const std::vector<std::string>& entries, int enterCount,
                   const std::function<void(std::string_view)>& write);

void InsertEnterInFile(const std::string& inputPath, const std::string& outputPath, int enterCount,
                       const std::vector<std::string>& entries);

} // namespace brantlewick
