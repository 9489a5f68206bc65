// SPDX-License-Identifier: GPL-3.0-or-later
// The text of the standard error report and its display through the reporter.
#include "brantlewick/trap/ErrorTrap.h"

namespace brantlewick {

std::string ErrorReportText(std::string_view description, std::string_view location, int line) {
    std::string text;
    text.append(description);
    text.append("\r\n");
    text.append(location);
    text.append("at line ");
    text.append(std::to_string(line));
    text.append("\r\r");
    text.append("Please email screenshot of this message to ");
    text.append(kSupportAddress);
    return text;
}

void ErrorTrap::Report(std::string_view description) {
    reporter_.ShowErrorReport(ErrorReportText(description, location_, line_));
}

} // namespace brantlewick
