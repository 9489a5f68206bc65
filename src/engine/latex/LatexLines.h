// SPDX-License-Identifier: GPL-3.0-or-later
// The few facts about LaTeX's commands and environments that the line scanner and the paragraph rules
// share.
#pragma once

#include <cstddef>
#include <string_view>

namespace brantlewick::latex {

// Where a "%" comment starts in `line` (a "%" no backslash escapes), or the line's size.
std::size_t CommentStart(std::string_view line);
// The name of the command at `at` (a backslash, then letters, or one other character), without its
// backslash; empty when there is none.
std::string_view CommandNameAt(std::string_view text, std::size_t at);
// Commands whose braced argument is prose, read and re-broken as the text around it ("\emph{...}").
bool TakesProse(std::string_view command);
// Commands that may start a line of prose ("\emph", "\cite", "\item"); a line starting with any other
// command is structure and stays as it is.
bool StartsProse(std::string_view command);
// Environments whose lines are prose, perhaps with more environments inside.
bool IsProseEnvironment(std::string_view name);
// Environments whose lines are passed over unread up to their end ("verbatim", "lstlisting").
bool IsVerbatimEnvironment(std::string_view name);

} // namespace brantlewick::latex
