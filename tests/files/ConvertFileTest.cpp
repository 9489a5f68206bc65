// SPDX-License-Identifier: GPL-3.0-or-later
// Converting real files: the output appears whole or not at all, and every failure is one named error.
#include "brantlewick/files/ConvertFile.h"
#include "ExactError.h"
#include "InPlaceSeam.h"
#include "Rows.h"
#include "TempDir.h"
#include "TemporaryFilesSeam.h"
#include "brantlewick/engine/Conversion.h"
#include "brantlewick/files/EngineError.h"
#include "brantlewick/files/LineFile.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <sys/xattr.h>
#include <unistd.h>

#include <csignal>
#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <map>
#include <memory>
#include <sstream>

namespace brantlewick {
namespace {

using testing::TempDir;

TEST(ConvertFileTest, FailuresLeaveNoOutputAndNameTheFile) {
    TempDir dir;
    testing::WriteBytes(dir / "in.txt", "Hi.");
    ::mkdir((dir / "locked").c_str(), 0500);
    ASSERT_EQ(::mkfifo((dir / "fifo").c_str(), 0600), 0);
    const std::string notRegular = "is not a regular file (a device, FIFO or socket)";
    struct Failure {
        std::string input, output, named, reason; // named: the file the error names
    };
    std::vector<Failure> failures = {
        {dir / "missing.txt", dir / "out.txt", dir / "missing.txt", "cannot open: No such file or directory"},
        {dir.Path(), dir / "out.txt", dir.Path(), "is a folder, not a file"},
        {dir / "fifo", dir / "out.txt", dir / "fifo", notRegular}, // never blocks waiting for a writer
        {"/dev/zero", dir / "out.txt", "/dev/zero", notRegular},
        // A regular file whose read fails (address 0 is never mapped): a read retried on any error hung.
        {"/proc/self/mem", dir / "out.txt", "/proc/self/mem", "cannot read: Input/output error"},
        {dir / "in.txt", dir / "no-such-folder/out.txt", dir / "no-such-folder/out.txt",
         "cannot create the output file: No such file or directory"},
        {dir / "in.txt", dir.Path(), dir.Path(), "cannot replace the output file: Is a directory"},
    };
    if (::geteuid() != 0) { // root writes into read-only folders anyway
        failures.push_back({dir / "in.txt", dir / "locked/out.txt", dir / "locked/out.txt",
                            "cannot create the output file: Permission denied"});
    }
    for (const Failure& failure : failures) {
        EXPECT_ENGINE_ERROR(ConvertFile(failure.input, failure.output, {}), failure.named, failure.reason);
    }
    EXPECT_EQ(testing::ListNames(dir.Path()), "fifo|in.txt|locked");
    EXPECT_EQ(testing::ListNames(dir / "locked"), "");
}

[[noreturn]] void ConvertUnderFileSizeLimit(const std::string& input, const std::string& output) {
    ::signal(SIGXFSZ, SIG_IGN);
    const rlimit limit{rlim_t{64} * 1024, rlim_t{64} * 1024};
    ::setrlimit(RLIMIT_FSIZE, &limit);
    try {
        ConvertFile(input, output, {});
    } catch (const EngineError& error) {
        std::_Exit(std::string(error.what()) == "\"" + output + "\": cannot write: File too large" ? 3 : 4);
    }
    std::_Exit(5);
}

// A write that fails half-way (here a file-size limit standing in for a full disk) must leave neither the
// output nor the temporary file behind.
TEST(ConvertFileTest, WriteFailureHalfWayLeavesNoPartialFile) {
    TempDir dir;
    testing::WriteBytes(dir / "in.txt", std::string(std::size_t{4} << 20, 'x') + ". end");
    testing::WriteBytes(dir / "out.txt", "previous");
    EXPECT_EXIT(ConvertUnderFileSizeLimit(dir / "in.txt", dir / "out.txt"), ::testing::ExitedWithCode(3), "");
    EXPECT_EQ(testing::ListNames(dir.Path()), "in.txt|out.txt");
    EXPECT_EQ(testing::ReadBytes(dir / "out.txt"), "previous");
}

mode_t ModeOf(const std::string& path) {
    struct stat info {};
    return ::stat(path.c_str(), &info) == 0 ? info.st_mode & 07777 : 0;
}

// The modes of the files without a name (O_TMPFILE) that this process holds open in `folder`.
std::string OpenTemporaryModes(const std::string& folder) {
    std::string modes;
    for (const auto& entry : std::filesystem::directory_iterator("/proc/self/fd")) {
        if (std::filesystem::read_symlink(entry.path()).string().starts_with(folder + "/#")) {
            modes += std::to_string(ModeOf(entry.path())) + " ";
        }
    }
    return modes;
}

// A result gets its input's permission bits less the umask, as cp gives them, and its temporary file is its
// owner's alone meanwhile. Results used to get 0666 less the umask: a private diary came out world-readable.
TEST(ConvertFileTest, AResultHasItsInputsPermissionsLessTheUmask) {
    const struct {
        mode_t input, umask, temporary, result;
    } rows[] = {{0600, 022, 0600, 0600}, {0644, 077, 0600, 0600}, {0755, 022, 0600, 0755},
                {0444, 002, 0600, 0444}, {0666, 002, 0600, 0664}, {04755, 0, 0600, 0755}};
    TempDir dir;
    const mode_t usual = ::umask(022);
    for (const auto& row : rows) {
        for (const bool waited : {false, true}) { // converted over an old file, or finished and committed
            SCOPED_TRACE(std::to_string(row.input) + (waited ? " waited" : ""));
            ::umask(row.umask);
            testing::WriteBytes(dir / "in.txt", "A. B.");
            ::chmod((dir / "in.txt").c_str(), row.input);
            testing::WriteBytes(dir / "out.txt", "an older, much longer output that must vanish");
            if (waited) {
                SafeOutputFile output(dir / "out.txt", InputFile(dir / "in.txt").Permissions());
                output.Write("A.\r\nB.\r\n");
                EXPECT_EQ(OpenTemporaryModes(dir.Path()), std::to_string(row.temporary) + " ");
                std::filesystem::remove(dir / "out.txt");
                output.Finish();
                EXPECT_TRUE(output.CommitIfFree(dir / "out.txt"));
            } else {
                const ConversionCounts counts = ConvertFile(dir / "in.txt", dir / "out.txt", {});
                EXPECT_EQ(std::to_string(counts.bytesIn) + " in, " + std::to_string(counts.bytesOut),
                          "5 in, 8");
            }
            EXPECT_EQ(testing::ReadBytes(dir / "out.txt"), "A.\r\nB.\r\n");
            EXPECT_EQ(ModeOf(dir / "out.txt"), row.result);
            EXPECT_EQ(testing::ListNames(dir.Path()), "in.txt|out.txt"); // no temporary file left
        }
    }
    ::umask(usual);
}

// A save made while a run converts the file in place is never lost: written into the file, renamed over it
// or added to its end, it stays as the user made it and the file is refused. The result used to replace it.
TEST(ConvertFileTest, InPlaceNeverReplacesASaveMadeMeanwhile) {
    TempDir dir;
    const std::string file = dir / "notes.md";
    const std::pair<std::function<void()>, std::string> saves[] = {
        {[&] { testing::WriteBytes(file, "Saved."); }, "Saved."},
        {[&] { testing::WriteBytes(dir / "new", "Saved."), std::filesystem::rename(dir / "new", file); },
         "Saved."},
        {[&] { std::ofstream(file, std::ios::app) << "Saved."; }, "Hi. Bye.\nSaved."},
        {[&] { // as long as before, and its time stamp put back, as a restore of a backup does
             struct stat was {};
             ::stat(file.c_str(), &was);
             testing::WriteBytes(file, "Hi. Bye!\n");
             const timespec times[2] = {was.st_atim, was.st_mtim};
             ::utimensat(AT_FDCWD, file.c_str(), times, 0);
         },
         "Hi. Bye!\n"},
    };
    FOR_EACH_ROW(save, saves) {
        testing::WriteBytes(file, "Hi. Bye.\n");
        EXPECT_ENGINE_ERROR(detail::ConvertInPlace(file, {}, nullptr, save.first), file,
                            "changed while it was read");
        EXPECT_EQ(testing::ReadBytes(file), save.second);
        EXPECT_EQ(testing::ListNames(dir.Path()), "notes.md");
    }
}

// In place, a file keeps its whole mode, its extended attributes and, with ACLs, who may read and write it;
// one that no one may write is refused, also by root, who may write anyway. The set-ID and sticky bits and
// the attributes used to go, and root used to replace 0444 files.
TEST(ConvertFileTest, InPlaceKeepsModeAndAttributesAndRefusesReadOnlyFiles) {
    TempDir dir;
    const std::string file = dir / "a.md";
    for (const mode_t mode : {06755, 02750, 01640, 0600}) {
        testing::WriteBytes(file, "Hi. Bye.");
        ::chmod(file.c_str(), mode);
        const bool noted = ::setxattr(file.c_str(), "user.origin", "draft", 5, 0) == 0;
        ASSERT_TRUE(ConvertInPlace(file, {}).changes);
        char origin[8] = {};
        EXPECT_EQ(::getxattr(file.c_str(), "user.origin", origin, sizeof origin), noted ? 5 : -1);
        EXPECT_EQ(std::to_string(ModeOf(file)) + origin, std::to_string(mode) + (noted ? "draft" : ""));
    }
    ::chmod(file.c_str(), 0444);
    EXPECT_ENGINE_ERROR(ConvertInPlace(file, {}), file, "is read-only; it is not converted in place");

    // A named reader and a shut-out group stay as they were; a file without a list of its own gets none
    // from its folder's default list, which would let in whom the folder names.
    ::chmod(file.c_str(), 0640);
    ::mkdir((dir / "shared").c_str(), 0755);
    for (const std::string& path : {file, dir / "shared/b.md"}) {
        testing::WriteBytes(path, "Hi. Bye.");
        ::chmod(path.c_str(), 0640);
    }
    const auto acl = [&](const std::string& path) {
        return std::system(("getfacl -cp '" + path + "' >'" + dir / "acl'").c_str()) == 0
                   ? testing::ReadBytes(dir / "acl")
                   : "";
    };
    if (std::system(("setfacl -m u:nobody:r--,g::--- '" + file + "' && setfacl -d -m u:nobody:rwx '" +
                     dir / "shared' 2>/dev/null")
                        .c_str()) != 0) {
        GTEST_SKIP() << "setfacl is missing, or the file system of " << dir.Path() << " has no ACLs";
    }
    const std::string before = acl(file);
    ASSERT_TRUE(ConvertInPlace(file, {}).changes && ConvertInPlace(dir / "shared/b.md", {}).changes);
    EXPECT_EQ(acl(file), before);
    EXPECT_NE(before.find("user:nobody:r--"), std::string::npos) << before;
    EXPECT_EQ(acl(dir / "shared/b.md"), "user::rw-\ngroup::r--\nother::---\n\n");
}

// A child that writes results into `folder` and leaves them finished, waiting to be committed: with few
// open files to spare, most wait under a temporary name. Returns once they are written.
pid_t StartWaitingWriter(const std::string& folder) {
    int ready[2];
    EXPECT_EQ(::pipe(ready), 0);
    const pid_t child = ::fork();
    if (child == 0) {
        const rlimit few{24, 24};
        ::setrlimit(RLIMIT_NOFILE, &few);
        std::vector<std::unique_ptr<SafeOutputFile>> waiting;
        for (int i = 0; i < 40; ++i) {
            waiting.push_back(std::make_unique<SafeOutputFile>(folder + "/r" + std::to_string(i), 0644));
            waiting.back()->Finish();
        }
        // The process grows after it stamped the names: what tells it apart is its start time alone.
        const std::string grown(std::size_t{64} << 20, 'x');
        if (grown.size() > 1 && ::write(ready[1], "!", 1) == 1) {
            ::pause(); // until killed
        }
        std::_Exit(1);
    }
    char done = 0;
    EXPECT_EQ(::read(ready[0], &done, 1), 1);
    ::close(ready[0]);
    ::close(ready[1]);
    return child;
}

// Another process writes into `folder`, as the next run would, and answers the temporary files it finds
// there afterwards, by name, with their modes.
std::map<std::string, mode_t> WriteOnceMore(const std::string& folder) {
    const pid_t child = ::fork();
    if (child == 0) {
        SafeOutputFile(folder + "/next.txt", 0644).Commit();
        std::_Exit(0);
    }
    ::waitpid(child, nullptr, 0);
    std::map<std::string, mode_t> found;
    for (const auto& entry : std::filesystem::directory_iterator(folder)) {
        if (entry.path().filename().string().starts_with(".brantlewick-")) {
            found[entry.path().filename()] = ModeOf(entry.path());
        }
    }
    return found;
}

// A sweep removes only what is provably stale: a live run's temporaries stay, also for one that does not
// share the folder's lock (through a FUSE view it deleted them); a killed run's go, but not one that another
// process holds open, another user's or host's, nor an older version's until it is a day old.
TEST(ConvertFileTest, OnlyProvablyStaleTemporariesAreSwept) {
    TempDir dir;
    const pid_t live = StartWaitingWriter(dir.Path());
    const std::map<std::string, mode_t> waiting = WriteOnceMore(dir.Path());
    ASSERT_GT(waiting.size(), 30u);
    // The names carry the writer's start as the kernel counts it (the 22nd field of its /proc/PID/stat).
    std::istringstream stat(testing::ReadBytes("/proc/" + std::to_string(live) + "/stat"));
    const std::vector<std::string> fields{std::istream_iterator<std::string>(stat), {}};
    EXPECT_EQ(std::stoull(waiting.begin()->first.substr(49, 16), nullptr, 16), std::stoull(fields.at(21)));
    std::string reused = waiting.begin()->first; // its process's ID, as a process that started later has it
    testing::WriteBytes(dir / reused.replace(49, 16, "0000000000000001"), "");
    const int folder = ::open(dir.Path().c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    detail::RemoveStaleTemporaries(folder); // as through a view without the lock
    ::close(folder);
    EXPECT_EQ(WriteOnceMore(dir.Path()), waiting);

    const std::string host = waiting.begin()->first.substr(13, 8); // after ".brantlewick-"
    const auto named = [](const std::string& from, const char* tag) {
        return ".brantlewick-" + from + "-" + tag + ".part";
    };
    const std::string old = named(host, "00000000000000bb"), dayOld = named(host, "00000000000000dd");
    const std::string otherHost = named(host == "00000000" ? "ffffffff" : "00000000", "00000000000000cc");
    const std::string otherUser = named(host, "00000000000000aa");
    std::map<std::string, mode_t> leftAlone;
    for (const std::string& name : {old, dayOld, otherHost, otherUser}) {
        testing::WriteBytes(dir / name, "left by an older version, on another host or by another user");
        leftAlone[name] = ModeOf(dir / name);
    }
    const std::time_t twoDays = std::time_t{2} * 24 * 3600;
    const timespec twoDaysAgo[2] = {{::time(nullptr) - twoDays, 0}, {::time(nullptr) - twoDays, 0}};
    ::utimensat(AT_FDCWD, (dir / dayOld).c_str(), twoDaysAgo, 0);
    ::utimensat(AT_FDCWD, (dir / otherUser).c_str(), twoDaysAgo, 0);
    leftAlone.erase(dayOld);
    if (::geteuid() != 0 || ::chown((dir / otherUser).c_str(), 65534, 65534) != 0) { // only root can
        leftAlone.erase(otherUser);
    }
    ::kill(live, SIGKILL);
    ::waitpid(live, nullptr, 0);
    const int holder = ::open((dir / waiting.begin()->first).c_str(), O_RDONLY | O_CLOEXEC);
    auto left = leftAlone;
    left.insert(*waiting.begin());
    EXPECT_EQ(WriteOnceMore(dir.Path()), left);
    ::close(holder);
    EXPECT_EQ(WriteOnceMore(dir.Path()), leftAlone);
}

} // namespace
} // namespace brantlewick
