# SPDX-License-Identifier: GPL-3.0-or-later
# Writes the C++ file that carries the sentence lists' text, so that the program reads no data files at
# run time. Called by the build with -DDATA_DIR=<folder> -DNAMES=<file names, comma-separated> -DOUTPUT=<file>.
string(REPLACE "," ";" NAMES "${NAMES}")
set(entries "")
foreach(name IN LISTS NAMES)
    file(READ "${DATA_DIR}/${name}" text)
    string(FIND "${text}" ")list\"" clash)
    if(NOT clash EQUAL -1)
        message(FATAL_ERROR "${name} holds the text )list\" which ends the literal it is written into")
    endif()
    string(APPEND entries "    {\"${name}\", R\"list(${text})list\"},\n")
endforeach()
file(WRITE "${OUTPUT}.new" "// Generated from src/engine/sentences/data by EmbedData.cmake: edit the lists, not this file.
#include \"sentences/LanguageData.h\"

#include <string_view>
#include <utility>

namespace brantlewick::sentences {

std::string_view DataFile(std::string_view name) {
    static constexpr std::pair<std::string_view, std::string_view> kFiles[] = {
${entries}    };
    for (const auto& [fileName, text] : kFiles) {
        if (fileName == name) {
            return text;
        }
    }
    return {};
}

} // namespace brantlewick::sentences
")
file(COPY_FILE "${OUTPUT}.new" "${OUTPUT}" ONLY_IF_DIFFERENT)
file(REMOVE "${OUTPUT}.new")
