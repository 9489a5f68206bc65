// SPDX-License-Identifier: GPL-3.0-or-later
// Running a reader in a process of its own, held to its limits.
#include "ReaderProcess.h"

#include "TempDir.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <fstream>
#include <thread>

namespace brantlewick::testing {

namespace {

using Clock = std::chrono::steady_clock;

std::string WithBatch(std::string text, const std::string& batch) {
    for (std::size_t at = text.find("{batch}"); at != std::string::npos; at = text.find("{batch}", at)) {
        text.replace(at, 7, batch);
        at += batch.size();
    }
    return text;
}

void WriteBatch(const std::string& path, const std::vector<std::string_view>& texts, std::size_t from) {
    std::ofstream batch(path, std::ios::binary | std::ios::trunc);
    for (std::size_t i = from; i < texts.size(); ++i) {
        batch << texts[i].size() << '\n' << texts[i];
    }
}

// The records written in full; a reader stopped mid-way leaves the last one short.
std::vector<std::string> ReadRecords(const std::string& output) {
    std::vector<std::string> records;
    std::size_t at = 0;
    for (std::size_t end = output.find('\n'); end != std::string::npos; end = output.find('\n', at)) {
        const std::size_t size = std::stoul(output.substr(at, end - at));
        if (output.size() - end - 1 < size) {
            break;
        }
        records.push_back(output.substr(end + 1, size));
        at = end + 1 + size;
    }
    return records;
}

struct Strings {
    std::vector<std::string> owned;
    std::vector<char*> pointers;

    explicit Strings(std::vector<std::string> strings) : owned(std::move(strings)) {
        for (std::string& s : owned) {
            pointers.push_back(s.data());
        }
        pointers.push_back(nullptr);
    }
};

// Starts the reader in a process group of its own, its output and messages into files. Everything the
// child needs is made before fork(): the tests may run threads.
pid_t Start(const Strings& argv, const Strings& environment, const std::string& out, const std::string& err,
            unsigned long long bytes) {
    const pid_t pid = ::fork();
    if (pid != 0) {
        if (pid > 0) {
            ::setpgid(pid, pid);
        }
        return pid;
    }
    ::setpgid(0, 0);
    const int in = ::open("/dev/null", O_RDONLY);
    const int output = ::open(out.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    const int messages = ::open(err.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    const rlimit limit{bytes, bytes};
    if (in < 0 || output < 0 || messages < 0 || ::dup2(in, 0) < 0 || ::dup2(output, 1) < 0 ||
        ::dup2(messages, 2) < 0 || ::setrlimit(RLIMIT_AS, &limit) != 0) {
        ::_exit(126);
    }
    ::execve(argv.pointers[0], argv.pointers.data(), environment.pointers.data());
    ::_exit(127);
}

long long SizeOf(const std::string& path) {
    struct stat status {};
    return ::stat(path.c_str(), &status) == 0 ? static_cast<long long>(status.st_size) : -1;
}

// Waits for the reader to end; one that writes nothing for longer than the limit is ended with its group.
void Wait(pid_t pid, const std::string& out, const ReaderLimits& limits) {
    auto deadline = Clock::now() + std::chrono::seconds(limits.secondsToStart + limits.secondsPerText);
    long long written = 0;
    int status = 0;
    while (::waitpid(pid, &status, WNOHANG) == 0) {
        if (const long long size = SizeOf(out); size > written) {
            written = size;
            deadline = Clock::now() + std::chrono::seconds(limits.secondsPerText);
        }
        if (Clock::now() > deadline) {
            ::kill(-pid, SIGKILL);
            ::waitpid(pid, &status, 0);
            break;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    ::kill(-pid, SIGKILL); // anything it left behind
}

std::string Tail(const std::string& text) {
    return text.size() > 400 ? text.substr(text.size() - 400) : text;
}

} // namespace

ReaderResults RenderEach(const ReaderCommand& reader, const std::vector<std::string_view>& texts,
                         const std::string& dir, const ReaderLimits& limits) {
    const std::string batch = dir + "/batch";
    const std::string out = dir + "/out";
    const std::string err = dir + "/err";
    std::vector<std::string> argv;
    for (const std::string& arg : reader.argv) {
        argv.push_back(WithBatch(arg, batch));
    }
    std::vector<std::string> environment;
    for (char** variable = environ; *variable != nullptr; ++variable) {
        environment.emplace_back(*variable);
    }
    for (const std::string& variable : reader.environment) {
        environment.push_back(WithBatch(variable, batch));
    }
    const Strings args(argv);
    const Strings variables(environment);

    ReaderResults results;
    results.texts.resize(texts.size());
    int failedInARow = 0;
    for (std::size_t from = 0; from < texts.size();) {
        WriteBatch(batch, texts, from);
        const pid_t pid = Start(args, variables, out, err, limits.bytes);
        if (pid < 0) {
            results.failure = reader.name + ": cannot start a process";
            return results;
        }
        Wait(pid, out, limits);
        const std::vector<std::string> records = ReadRecords(ReadBytes(out));
        for (std::size_t i = 0; i < records.size() && from + i < texts.size(); ++i) {
            results.texts[from + i] = records[i];
        }
        from += records.size();
        if (from < texts.size()) {
            failedInARow = records.empty() ? failedInARow + 1 : 1;
            if (failedInARow == 3) {
                results.failure = reader.name + " rendered none of three texts in a row (scripts/setup.sh " +
                                  "installs the readers); it said:\n" + Tail(ReadBytes(err));
                return results;
            }
            ++results.skipped;
            ++from;
        }
    }
    return results;
}

} // namespace brantlewick::testing
