// SPDX-License-Identifier: GPL-3.0-or-later
// The names of results: the suffix a result gets, and which names are results of which.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace brantlewick {

inline constexpr std::string_view kOutputSuffix = "-Pellnor.";

// The name with the suffix: "a.txt" gives "a-Pellnor.txt", "README" gives "README-Pellnor.". The split is
// made in the file name, never in a folder name.
std::string WithOutputSuffix(const std::string& path);

// The file names whose result, with the suffix added once or more, is named `name`: "a-Pellnor-Pellnor.txt"
// gives "a-Pellnor.txt" and "a.txt"; "README-Pellnor." gives "README" and "README.". None for a name
// without the suffix.
std::vector<std::string> NamesWithResultNamed(std::string_view name);

} // namespace brantlewick
