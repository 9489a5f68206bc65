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

bool DropRoot() {
    return ::setgroups(0, nullptr) == 0 && ::setgid(kNobody) == 0 && ::setuid(kNobody) == 0;
}

// The status of a finished child; -1 when it did not exit by itself.
int ExitStatusOf(pid_t child) {
    int status = 0;
    if (::waitpid(child, &status, 0) != child || !WIFEXITED(status)) {
        return -1;
    }
    return WEXITSTATUS(status);
}

} // namespace

bool CanRunAsOrdinaryUser() {
    if (::geteuid() != 0) {
        return true;
    }
    const pid_t child = ::fork();
    if (child == 0) {
        ::_exit(DropRoot() ? 0 : kCannotDrop);
    }
    return child > 0 && ExitStatusOf(child) == 0;
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
        if (!DropRoot()) {
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
    const int status = child > 0 ? ExitStatusOf(child) : -1;
    if (status != 0) {
        throw std::runtime_error(status == kCannotDrop ? "the child could not take an ordinary user id"
                                                       : "the unprivileged child failed");
    }
    return result;
}

} // namespace brantlewick::testing
