// SPDX-License-Identifier: GPL-3.0-or-later
// The standard error report: numbered statements that report a failure and go on with the next one.
// Plain C++, so that the Qt-free folder scan reports through the same trap as the window.
#pragma once

#include <exception>
#include <optional>
#include <string>
#include <string_view>
#include <type_traits>

namespace brantlewick {

inline constexpr std::string_view kSupportAddress = "support@brantlewick.example";
inline constexpr std::string_view kErrorReportCaption = "Application Error";

// The report's text: description, CR LF, location, "at line " and the number, two bare CRs, and the
// request to mail a screenshot to the support address.
std::string ErrorReportText(std::string_view description, std::string_view location, int line);

// Shows one report (caption "Application Error", warning icon, OK only) and returns when it is closed.
class ErrorReporter {
public:
    virtual ~ErrorReporter() = default;
    virtual void ShowErrorReport(const std::string& text) = 0;
    // Tells `error` in plain words instead, when it is a condition the user can set right (a file that
    // cannot be found or read, a full disk, a damaged settings file); false leaves it to the report, which
    // is for the faults of the program.
    virtual bool TellPlainly(const std::exception& /*error*/) { return false; }
};

// The trap of one procedure. Each numbered line (100, 102, 104, ...) runs its statements; when they
// throw, the report names this procedure and that line, and the procedure goes on with its next line.
// A helper called from a line needs nothing: its failure ends the helper and is reported with the
// caller's line.
//
//     ErrorTrap trap = Trap(location::kAddCharacters);
//     const QString text = trap.Line(100, [&] { return AskText(...); }).value_or(QString());
//     trap.Line(102, [&] { ListView2()->Append(text); });
//
// Line() answers whether the statements completed; for statements that give a value it answers that
// value, or nothing after a failure (the variable it was meant for keeps its previous value).
class ErrorTrap {
public:
    ErrorTrap(ErrorReporter& reporter, std::string_view location)
        : reporter_(reporter), location_(location) {}

    template <typename Statements> auto Line(int number, Statements&& statements) {
        using Result = std::invoke_result_t<Statements&>;
        line_ = number;
        if constexpr (std::is_void_v<Result>) {
            try {
                statements();
                return true;
            } catch (const std::exception& error) {
                Report(error);
            } catch (...) {
                Report(kUnknownError);
            }
            return false;
        } else {
            try {
                return std::optional<Result>(statements());
            } catch (const std::exception& error) {
                Report(error);
            } catch (...) {
                Report(kUnknownError);
            }
            return std::optional<Result>();
        }
    }

    // Reports a failure that arose outside this procedure's statements as one of its line `number`.
    void ReportAt(int number, std::string_view description) {
        line_ = number;
        Report(description);
    }

    // The numbered line running now, or 0 before the first.
    int CurrentLine() const { return line_; }
    std::string_view Location() const { return location_; }

private:
    static constexpr std::string_view kUnknownError = "Unexpected error";
    void Report(std::string_view description);
    void Report(const std::exception& error) {
        if (!reporter_.TellPlainly(error)) {
            Report(error.what());
        }
    }

    ErrorReporter& reporter_;
    std::string_view location_;
    int line_ = 0;
};

// For handlers that have no trap: a failure is dropped without a message, so that it never travels into
// the toolkit's event dispatch.
template <typename Statements> void WithoutTrap(Statements&& statements) noexcept {
    try {
        statements();
    } catch (...) {
    }
}

} // namespace brantlewick
