// SPDX-License-Identifier: GPL-3.0-or-later
// The one exception type the engine raises: a readable description that names the file concerned.
#pragma once

#include <stdexcept>
#include <string>

namespace brantlewick {

class EngineError : public std::runtime_error {
public:
    // `reason` is the bare cause ("No such file or directory"); what() adds the path so that a report
    // shown out of context still says which file failed.
    EngineError(const std::string& path, std::string reason, int systemError = 0);

    const std::string& Reason() const noexcept { return reason_; }
    // The file or folder concerned; empty when there is none.
    const std::string& Path() const noexcept { return path_; }
    // The errno value the failure came from; 0 when it did not come from the system. A batch run tells a
    // full disk apart by it.
    int SystemError() const noexcept { return systemError_; }

private:
    std::string path_;
    std::string reason_;
    int systemError_;
};

// The system's description of the errno value `error` ("No such file or directory"), safe to ask from any
// thread: the output of a conversion is written on a thread of its own.
std::string SystemErrorText(int error);

// Throws an EngineError for the errno value `error`, e.g. ("cannot open", "/a.txt") gives
// the reason "cannot open: No such file or directory".
[[noreturn]] void ThrowSystemError(int error, const std::string& action, const std::string& path);

} // namespace brantlewick
