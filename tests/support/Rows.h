// SPDX-License-Identifier: GPL-3.0-or-later
// Table rows that say which one failed: every failure inside a row's loop names the row.
#pragma once

#include <gtest/gtest.h>

#include <cstddef>
#include <iterator>
#include <string>
#include <tuple>

namespace brantlewick::testing {

// "row N" counted from 1 as the table reads, with the row's `name` if it has one, else the row itself
// when it is a pair or tuple (gtest prints those; a struct without a name would print as raw bytes).
template <typename Row> std::string RowLabel(std::size_t index, const Row& row) {
    std::string label = "row " + std::to_string(index + 1);
    if constexpr (requires { row.name; }) {
        label += " (" + ::testing::PrintToString(row.name) + ")";
    } else if constexpr (requires { std::tuple_size<Row>::value; }) {
        label += ": " + ::testing::PrintToString(row);
    }
    return label;
}

} // namespace brantlewick::testing

// for (const auto& row : table), each pass traced with RowLabel: FOR_EACH_ROW(row, table) { ... }.
// NOLINTBEGIN(bugprone-macro-parentheses): `row` names the variable it declares.
#define FOR_EACH_ROW(row, table)                                                                             \
    for (std::size_t row##Index_ = 0; row##Index_ < std::size(table); ++row##Index_)                         \
        if (const auto& row = *std::next(std::begin(table), static_cast<std::ptrdiff_t>(row##Index_)); true) \
            if (const ::testing::ScopedTrace row##Trace_(                                                    \
                    __FILE__, __LINE__, ::brantlewick::testing::RowLabel(row##Index_, row));                 \
                true)
// NOLINTEND(bugprone-macro-parentheses)
