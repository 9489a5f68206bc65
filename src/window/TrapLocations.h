// SPDX-License-Identifier: GPL-3.0-or-later
// Where the window's error reports say a failure happened, one constant per handler that has a trap. The
// texts are what users have seen and mailed in for years: they keep the window's and the buttons' old
// names, and the trailing space belongs to them.
#pragma once

#include <string_view>

namespace brantlewick::location {

inline constexpr std::string_view kStartUp = "in Moravelle2021/08/31.Form1.Form_Load ";
inline constexpr std::string_view kClosing = "in Moravelle2021/08/31.Form1.Form_QueryUnload ";
inline constexpr std::string_view kAddFiles = "in Moravelle2021/08/31.Form1.PushButton1_Click ";
inline constexpr std::string_view kStartAdding = "in Moravelle2021/08/31.Form1.PushButton2_Click ";
inline constexpr std::string_view kAddFolder = "in Moravelle2021/08/31.Form1.PushButton3_Click ";
inline constexpr std::string_view kClearList = "in Moravelle2021/08/31.Form1.PushButton4_Click ";
inline constexpr std::string_view kLoadSamples = "in Moravelle2021/08/31.Form1.PushButton5_Click ";
inline constexpr std::string_view kPickOutputFolder = "in Moravelle2021/08/31.Form1.PushButton7_Click ";
inline constexpr std::string_view kAddCharacters = "in Moravelle2021/08/31.Form1.PushButton9_Click ";
inline constexpr std::string_view kDeleteSelectedCharacter =
    "in Moravelle2021/08/31.Form1.PushButton10_Click ";
inline constexpr std::string_view kCharacterListHelp = "in Moravelle2021/08/31.Form1.PushButton12_Click ";
inline constexpr std::string_view kConvertOneFile = "in Moravelle2021/08/31.AddRemove.InsertEnterInFile ";

} // namespace brantlewick::location
