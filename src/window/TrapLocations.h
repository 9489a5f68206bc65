// SPDX-License-Identifier: GPL-3.0-or-later
// Where the window's error reports say a failure happened; the trailing space belongs to the text.
#pragma once

#include <string_view>

namespace brantlewick::location {

inline constexpr std::string_view kFormLoad = "in Moravelle2021/08/31.Form1.Form_Load ";
inline constexpr std::string_view kFormQueryUnload = "in Moravelle2021/08/31.Form1.Form_QueryUnload ";
inline constexpr std::string_view kPushButton1Click = "in Moravelle2021/08/31.Form1.PushButton1_Click ";
inline constexpr std::string_view kPushButton2Click = "in Moravelle2021/08/31.Form1.PushButton2_Click ";
inline constexpr std::string_view kPushButton3Click = "in Moravelle2021/08/31.Form1.PushButton3_Click ";
inline constexpr std::string_view kPushButton4Click = "in Moravelle2021/08/31.Form1.PushButton4_Click ";
inline constexpr std::string_view kPushButton5Click = "in Moravelle2021/08/31.Form1.PushButton5_Click ";
inline constexpr std::string_view kPushButton7Click = "in Moravelle2021/08/31.Form1.PushButton7_Click ";
inline constexpr std::string_view kPushButton9Click = "in Moravelle2021/08/31.Form1.PushButton9_Click ";
inline constexpr std::string_view kPushButton10Click = "in Moravelle2021/08/31.Form1.PushButton10_Click ";
inline constexpr std::string_view kPushButton12Click = "in Moravelle2021/08/31.Form1.PushButton12_Click ";
inline constexpr std::string_view kInsertEnterInFile = "in Moravelle2021/08/31.AddRemove.InsertEnterInFile ";

} // namespace brantlewick::location
