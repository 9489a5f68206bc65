// SPDX-License-Identifier: GPL-3.0-or-later
// A forked child drops root's privileges and hands its result back through a pipe.
#include "Unprivileged.h"

#include <grp.h>
#include <sys/wait.h>
#include <unistd.h>

#include <stdexcept>

namespace brantlewick::testing {
namespace {

constexpr uid_t kNobody = 65534;
constexpr int kCannotDrop = 77;
} // namespace

bool CanRunAsOrdinaryUser() {
    try {
        RunAsOrdinaryUser([] { return std::string(); });
        return true;
    } catch (const std::runtime_error&) {
        return false;
    }
}

std::string RunAsOrdinaryUser(const std::function<std::string()>& work) {
    if (::geteuid() != 0) {
        return work();
    }
    int ends[2];
    if (::pipe(ends) != 0) {
        throw std::runtime_error("no pipe to the unprivileged child");
    }
    const pid_t child = ::fork();
    if (child == 0) {
        ::close(ends[0]);
        if (::setgroups(0, nullptr) != 0 || ::setgid(kNobody) != 0 || ::setuid(kNobody) != 0) {
            ::_exit(kCannotDrop);
        }
        const std::string result = work();
        const bool written =
            ::write(ends[1], result.data(), result.size()) == static_cast<ssize_t>(result.size());
        ::_exit(written ? 0 : 1);
    }
    ::close(ends[1]);
    std::string result;
    char buffer[4096];
    for (ssize_t got; child > 0 && (got = ::read(ends[0], buffer, sizeof buffer)) > 0;) {
        result.append(buffer, static_cast<std::size_t>(got));
    }
    ::close(ends[0]);
    int status = -1;
    if (child > 0 && ::waitpid(child, &status, 0) == child) {
        status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    }
    if (status != 0) {
        throw std::runtime_error(status == kCannotDrop ? "the child could not take an ordinary user id"
                                                       : "the unprivileged child failed");
    }
    return result;
}

} // namespace brantlewick::testing
