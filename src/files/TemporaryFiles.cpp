// SPDX-License-Identifier: GPL-3.0-or-later
// The process's register of named temporary files, the folder locks that keep a sweep off them, the sweep,
// and the signal handling that removes them.
#include "brantlewick/files/TemporaryFiles.h"
#include "TemporaryFilesSeam.h"

#include "brantlewick/filesystem/FileSystem.h"
#include "brantlewick/filesystem/PathHelpers.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <charconv>
#include <csignal>
#include <cstdint>
#include <cstdio>
#include <ctime>
#include <iterator>
#include <mutex>
#include <optional>
#include <random>
#include <string_view>
#include <system_error>
#include <thread>
#include <unordered_map>
#include <unordered_set>

namespace brantlewick {
namespace {

constexpr std::string_view kSuffix = ".part";
constexpr std::size_t kTagDigits = 16;

std::uint32_t Digest(std::string_view bytes) {
    std::uint32_t digest = 2166136261u; // FNV-1a: the same in every build, unlike std::hash
    for (const char c : bytes) {
        digest = (digest ^ static_cast<unsigned char>(c)) * 16777619u;
    }
    return digest;
}

// ".brantlewick-" and a digest of the host's name: a run removes only what runs on its own host left, whose
// liveness its own kernel tells for sure, whatever a network file system does with locks.
const std::string& OwnPrefix() {
    static const std::string prefix = [] {
        char host[256] = {};
        ::gethostname(host, sizeof host - 1);
        char text[9];
        std::snprintf(text, sizeof text, "%08x", static_cast<unsigned>(Digest(host)));
        return ".brantlewick-" + std::string(text) + "-";
    }();
    return prefix;
}

// The run a temporary belongs to, as its name tells it: the host's boot, the process ID namespace, and the
// process with the time it started (the same process ID comes again, with another start). 0: unknown.
struct RunStamp {
    std::uint32_t boot = 0;
    std::uint32_t pidSpace = 0;
    std::uint32_t process = 0;
    std::uint64_t started = 0;
};

// What a small file of the system holds (its first 4 KiB); nothing where it cannot be read, errno telling.
std::optional<std::string> SmallFile(const char* path) {
    const int file = ::open(path, O_RDONLY | O_CLOEXEC | O_NOCTTY);
    if (file < 0) {
        return std::nullopt;
    }
    std::string text(4096, '\0');
    const ssize_t got = ::read(file, text.data(), text.size());
    const int error = errno;
    ::close(file);
    if (got < 0) {
        errno = error;
        return std::nullopt;
    }
    text.resize(static_cast<std::size_t>(got));
    return text;
}

// When a process started, in clock ticks since the boot: the 22nd field of /proc/PID/stat, the 20th after
// the name in brackets (which may hold anything, brackets too) and the space that follows it. Nothing,
// errno telling, where it is gone.
std::optional<std::uint64_t> StartOf(const char* statPath) {
    const std::optional<std::string> stat = SmallFile(statPath);
    const std::size_t nameEnd = stat ? stat->rfind(')') : std::string::npos;
    if (nameEnd == std::string::npos) {
        return std::nullopt;
    }
    std::size_t at = nameEnd + 1;
    for (int field = 1; field < 20 && at != std::string::npos; ++field) {
        at = stat->find(' ', at + 1);
    }
    std::uint64_t started = 0;
    if (at == std::string::npos ||
        std::from_chars(stat->data() + at + 1, stat->data() + stat->size(), started).ec != std::errc()) {
        errno = EINVAL;
        return std::nullopt;
    }
    return started;
}

// This process's stamp, taken anew in a child made by fork().
RunStamp OwnStamp() {
    static std::mutex taking;
    static RunStamp own;
    const std::lock_guard held(taking);
    const auto process = static_cast<std::uint32_t>(::getpid());
    if (own.process == process) {
        return own;
    }
    own = RunStamp{};
    own.process = process;
    struct stat space {};
    const std::optional<std::string> boot = SmallFile("/proc/sys/kernel/random/boot_id");
    const std::optional<std::uint64_t> started = StartOf("/proc/self/stat");
    if (boot && started && ::stat("/proc/self/ns/pid", &space) == 0) {
        own.boot = Digest(*boot) | 1u; // never 0, which stands for unknown
        own.pidSpace = static_cast<std::uint32_t>(space.st_ino) | 1u;
        own.started = *started;
    }
    return own;
}

constexpr std::size_t kStampDigits = 8 + 1 + 8 + 1 + 8 + 1 + 16;

// Names only need to differ; O_EXCL keeps them safe. Seeding once per thread matters: seeding from the
// system's entropy for each file cost more than converting a small one.
std::string NewName(const std::string& folder) {
    thread_local std::mt19937_64 random{std::random_device{}()};
    const RunStamp own = OwnStamp();
    char tag[kStampDigits + 1 + kTagDigits + 1];
    std::snprintf(tag, sizeof tag, "%08x-%08x-%08x-%016llx-%016llx", static_cast<unsigned>(own.boot),
                  static_cast<unsigned>(own.pidSpace), static_cast<unsigned>(own.process),
                  static_cast<unsigned long long>(own.started), static_cast<unsigned long long>(random()));
    return folder + OwnPrefix() + tag + std::string(kSuffix);
}

bool IsHex(std::string_view digits) {
    return !digits.empty() && digits.find_first_not_of("0123456789abcdef") == std::string_view::npos;
}

template <typename Number> Number HexValue(std::string_view digits) {
    Number value = 0;
    std::from_chars(digits.data(), digits.data() + digits.size(), value, 16);
    return value;
}

// Whether `name` is a temporary of this user's programs on this host, and the stamp of its run where the
// name has one: those of earlier versions have none.
bool IsOwnHostsName(std::string_view name, std::optional<RunStamp>& stamp) {
    const std::string& prefix = OwnPrefix();
    if (!name.starts_with(prefix) || !name.ends_with(kSuffix)) {
        return false;
    }
    const std::string_view tag = name.substr(prefix.size(), name.size() - prefix.size() - kSuffix.size());
    if (tag.size() == kTagDigits) {
        stamp.reset();
        return IsHex(tag);
    }
    if (tag.size() != kStampDigits + 1 + kTagDigits || tag[8] != '-' || tag[17] != '-' || tag[26] != '-' ||
        tag[kStampDigits] != '-') {
        return false;
    }
    const std::string_view parts[] = {tag.substr(0, 8), tag.substr(9, 8), tag.substr(18, 8),
                                      tag.substr(27, 16), tag.substr(kStampDigits + 1)};
    if (!std::all_of(std::begin(parts), std::end(parts), IsHex)) {
        return false;
    }
    stamp = RunStamp{HexValue<std::uint32_t>(parts[0]), HexValue<std::uint32_t>(parts[1]),
                     HexValue<std::uint32_t>(parts[2]), HexValue<std::uint64_t>(parts[3])};
    return true;
}

enum class Run { Alive, Ended, Unknown };

// Whether the run a stamp names lives: a run of another boot has ended, one of this boot and process ID
// namespace lives as long as its process, with its start time, does. From another namespace (a container
// on the same kernel) nothing can be told.
Run RunOf(const std::optional<RunStamp>& stamp) {
    const RunStamp own = OwnStamp();
    if (!stamp || own.boot == 0 || stamp->boot == 0) {
        return Run::Unknown;
    }
    if (stamp->boot != own.boot) {
        return Run::Ended;
    }
    if (stamp->pidSpace != own.pidSpace) {
        return Run::Unknown;
    }
    char statPath[32];
    std::snprintf(statPath, sizeof statPath, "/proc/%u/stat", static_cast<unsigned>(stamp->process));
    const std::optional<std::uint64_t> started = StartOf(statPath);
    if (!started) {
        return errno == ENOENT || errno == ESRCH ? Run::Ended : Run::Unknown;
    }
    return *started == stamp->started ? Run::Alive : Run::Ended;
}

// A folder in which this process has named temporaries, and the shared lock it holds on it meanwhile (-1
// where the folder cannot be opened or the file system cannot lock it; then no run can sweep it either).
struct FolderLock {
    int descriptor = -1;
    std::size_t names = 0;
};

struct Register {
    std::mutex mutex;
    std::unordered_set<std::string> names;
    std::unordered_map<std::string, FolderLock> folders; // by the folder as its names spell it
    std::unordered_set<std::string> sweptFolders;
};

Register& TheRegister() {
    // Never destroyed: a signal may come while the process exits.
    static auto* const temporaries = new Register;
    return *temporaries;
}

const char* Spelled(const std::string& folder) {
    return folder.empty() ? "." : folder.c_str();
}

int OpenFolder(const std::string& folder) {
    return ::open(Spelled(folder), O_RDONLY | O_DIRECTORY | O_CLOEXEC | O_NOCTTY);
}

// Descriptors kept open for later: finished results without a name, and the locks on folders with named
// temporaries. Results take at most a sixteenth of what the process may open, and locks the next
// sixteenth, so that a run converting far ahead keeps enough for the files it reads and writes meanwhile:
// two for each of up to 256 jobs with the usual limit of 1024.
std::atomic<std::uint64_t> kept{0};

bool KeepWithin(std::uint64_t sixteenths) {
    constexpr std::uint64_t kWithoutLimit = 1 << 16;
    rlimit limit{};
    const std::uint64_t most = ::getrlimit(RLIMIT_NOFILE, &limit) == 0 && limit.rlim_cur != RLIM_INFINITY
                                   ? limit.rlim_cur / 16 * sixteenths
                                   : kWithoutLimit;
    if (kept.fetch_add(1) < most) {
        return true;
    }
    kept.fetch_sub(1);
    return false;
}

bool LockShared(int folder) {
    int locked = 0;
    while ((locked = ::flock(folder, LOCK_SH)) != 0 && errno == EINTR) {
    }
    return locked == 0;
}

// Counts one more name in `folder`, taking the shared lock first if this is the only one. With
// `withinBudget`, false with errno when the lock would take a descriptor beyond the budget or none is left:
// a file that may wait long is named only under the lock, which keeps a sweep off it. A folder that cannot
// be opened for another reason, or locked, cannot be swept either. The lock may have to wait for a sweep
// elsewhere, so the register is not held meanwhile.
bool EnterFolder(Register& temporaries, std::unique_lock<std::mutex>& held, const std::string& folder,
                 bool withinBudget) {
    if (const auto known = temporaries.folders.find(folder); known != temporaries.folders.end()) {
        ++known->second.names;
        return true;
    }
    if (!withinBudget) {
        kept.fetch_add(1);
    } else if (!KeepWithin(2)) {
        errno = EMFILE;
        return false;
    }
    held.unlock();
    int descriptor = OpenFolder(folder);
    const int openError = descriptor < 0 ? errno : 0;
    if (descriptor >= 0 && !LockShared(descriptor)) {
        ::close(descriptor);
        descriptor = -1;
    }
    held.lock();
    if (descriptor < 0) {
        temporary::Unkeep();
        if (withinBudget && (openError == EMFILE || openError == ENFILE)) {
            errno = openError;
            return false;
        }
    }
    const auto [entry, added] = temporaries.folders.try_emplace(folder, FolderLock{descriptor, 0});
    if (!added && descriptor >= 0) {
        ::close(descriptor); // another thread locked it meanwhile
        temporary::Unkeep();
    }
    ++entry->second.names;
    return true;
}

void LeaveFolder(Register& temporaries, const std::string& folder) {
    const auto entry = temporaries.folders.find(folder);
    if (entry == temporaries.folders.end() || --entry->second.names > 0) {
        return;
    }
    if (entry->second.descriptor >= 0) {
        ::close(entry->second.descriptor);
        temporary::Unkeep();
    }
    temporaries.folders.erase(entry);
}

void Forget(Register& temporaries, const std::string& name) {
    if (temporaries.names.erase(name) > 0) {
        LeaveFolder(temporaries, FolderOf(name));
    }
}

// Makes a new name in `folder` with `make`, which answers false with errno; retried while a name is taken.
template <typename Make>
bool MakeName(const std::string& folder, std::string& name, bool withinBudget, const Make& make) {
    Register& temporaries = TheRegister();
    std::unique_lock held(temporaries.mutex);
    if (!EnterFolder(temporaries, held, folder, withinBudget)) {
        return false;
    }
    for (int attempt = 0; attempt < 100; ++attempt) {
        name = NewName(folder);
        if (make(name)) {
            temporaries.names.insert(name);
            return true;
        }
        if (errno != EEXIST) {
            break;
        }
    }
    const int error = errno;
    LeaveFolder(temporaries, folder);
    errno = error;
    return false;
}

// Removes `name` from `folder` unless another process holds it open. A write lease is granted only on a file
// that no one else has open, and while it is held, an open elsewhere waits; where the file system grants
// none (a network file system), this cannot be told, and the name and age decide alone.
void RemoveUnlessHeldOpen(int folder, const char* name, const struct stat& info) {
    const int file = ::openat(folder, name, O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC | O_NOCTTY);
    if (file < 0) {
        return;
    }
    struct stat opened {};
    int leaseError = EBADF;
    if (::fstat(file, &opened) == 0 && opened.st_dev == info.st_dev && opened.st_ino == info.st_ino) {
        leaseError = ::fcntl(file, F_SETLEASE, F_WRLCK) == 0 ? 0 : errno;
    }
    if (leaseError != EAGAIN && leaseError != EBADF) {
        ::unlinkat(folder, name, 0);
    }
    if (leaseError == 0) {
        ::fcntl(file, F_SETLEASE, F_UNLCK);
    }
    ::close(file);
}

} // namespace

namespace detail {

void RemoveStaleTemporaries(int folder) {
    DIR* const listing = ::fdopendir(::dup(folder));
    if (listing == nullptr) {
        return;
    }
    constexpr time_t kDay = time_t{24} * 60 * 60;
    const time_t dayAgo = ::time(nullptr) - kDay;
    const uid_t user = ::geteuid();
    std::optional<RunStamp> stamp;
    while (const dirent* entry = ::readdir(listing)) {
        struct stat info {};
        if (!IsOwnHostsName(entry->d_name, stamp) ||
            ::fstatat(folder, entry->d_name, &info, AT_SYMLINK_NOFOLLOW) != 0 || !S_ISREG(info.st_mode) ||
            info.st_uid != user) {
            continue;
        }
        const Run run = RunOf(stamp);
        if (run == Run::Ended || (run == Run::Unknown && info.st_mtime < dayAgo)) {
            RemoveUnlessHeldOpen(folder, entry->d_name, info);
        }
    }
    ::closedir(listing);
}

} // namespace detail

namespace {

// The write end of the pipe through which the signal handler wakes the thread that ends the process.
int signalPipe[2] = {-1, -1};

extern "C" void OnEndingSignal(int signal, siginfo_t* info, void* /*context*/) {
    const int savedError = errno;
    const auto number = static_cast<unsigned char>(signal);
    if (::write(signalPipe[1], &number, 1) != 1) {
        ::signal(signal, SIG_DFL);
        ::raise(signal);
    }
    // A write of this process to a pipe that no one reads any more (its own kill would name it too, but
    // the process sends itself none): the writing thread waits here for the end, rather than report the
    // write failed and perhaps finish the run before the thread that ends it. It holds no lock that the
    // end needs: nothing is written to a pipe while the register is held.
    if (signal == SIGPIPE && info != nullptr && info->si_pid == ::getpid()) {
        for (;;) {
            ::pause();
        }
    }
    errno = savedError;
}

// Waits for a signal's number from the handler, then does what a handler may not: takes the register's
// lock, deletes the files and ends the process.
void EndOnSignal() {
    unsigned char number = 0;
    while (::read(signalPipe[0], &number, 1) != 1) {
        if (errno != EINTR) {
            return;
        }
    }
    AbandonTemporaryFiles();
    ::_exit(128 + number);
}

} // namespace

void EndCleanlyOnSignals() {
    if (::pipe2(signalPipe, O_CLOEXEC) != 0) {
        return;
    }
    try {
        std::thread(EndOnSignal).detach();
    } catch (const std::system_error&) {
        return; // the signals keep their usual effect
    }
    for (const int signal : {SIGINT, SIGTERM, SIGHUP, SIGPIPE}) {
        struct sigaction current {};
        if (::sigaction(signal, nullptr, &current) != 0 || current.sa_handler == SIG_IGN) {
            continue;
        }
        struct sigaction action {};
        action.sa_sigaction = OnEndingSignal;
        sigemptyset(&action.sa_mask);
        action.sa_flags = SA_RESTART | SA_SIGINFO;
        ::sigaction(signal, &action, nullptr);
    }
}

void AbandonTemporaryFiles() noexcept {
    Register& temporaries = TheRegister();
    // Never unlocked: every other thread that would name a temporary waits here until the process ends.
    temporaries.mutex.lock();
    for (const std::string& name : temporaries.names) {
        ::unlink(name.c_str());
    }
}

namespace temporary {

void SweepBeforeFirstUse(const std::string& folder) {
    Register& temporaries = TheRegister();
    const std::lock_guard held(temporaries.mutex);
    // Tried once per folder: while another run holds it, trying again for every file would only cost. A
    // folder spelled in two ways is swept twice, which does no harm.
    if (!temporaries.sweptFolders.insert(folder).second) {
        return;
    }
    const int descriptor = OpenFolder(folder);
    if (descriptor < 0) {
        return;
    }
    if (::flock(descriptor, LOCK_EX | LOCK_NB) == 0) {
        detail::RemoveStaleTemporaries(descriptor);
    }
    ::close(descriptor);
}

int Create(const std::string& folder, std::string& name) {
    int descriptor = -1;
    MakeName(folder, name, false, [&descriptor](const std::string& candidate) {
        descriptor =
            ::open(candidate.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC | O_NOCTTY | O_NOFOLLOW, 0600);
        return descriptor >= 0;
    });
    return descriptor;
}

bool Link(int descriptor, const std::string& folder, std::string& name, bool toWait) {
    return MakeName(folder, name, toWait, [descriptor](const std::string& candidate) {
        return LinkOpenFile(descriptor, candidate);
    });
}

bool Keep() {
    return KeepWithin(1);
}

void Unkeep() {
    kept.fetch_sub(1);
}

bool Rename(const std::string& name, const std::string& target, bool replace) {
    Register& temporaries = TheRegister();
    const std::lock_guard held(temporaries.mutex);
    const unsigned flags = replace ? 0 : RENAME_NOREPLACE;
    if (::renameat2(AT_FDCWD, name.c_str(), AT_FDCWD, target.c_str(), flags) != 0) {
        return false;
    }
    Forget(temporaries, name);
    return true;
}

void Remove(const std::string& name) noexcept {
    Register& temporaries = TheRegister();
    const std::lock_guard held(temporaries.mutex);
    ::unlink(name.c_str());
    Forget(temporaries, name);
}

} // namespace temporary
} // namespace brantlewick
