// The folder scan on real trees: level order, rules, links, permissions, odd entries, limits, the trap.
#include "FolderScan.h"
#include "FileSystem.h"
#include "FolderScanSeam.h"
#include "TempDir.h"
#include "Unprivileged.h"

#include <gtest/gtest.h>

#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include <algorithm>
#include <cstring>
#include <filesystem>
#include <functional>
#include <optional>
#include <random>
#include <stdexcept>

namespace brantlewick {
namespace {

using testing::TempDir;
using Paths = std::vector<std::string>;

// Creates the entries below `root`: a name ending in "/" is a folder, any other a small file.
void MakeTree(const std::string& root, const Paths& entries) {
    for (const std::string& entry : entries) {
        const std::string path = root + "/" + entry;
        if (entry.ends_with("/")) {
            ASSERT_EQ(::mkdir(path.c_str(), 0755), 0) << path << ": " << std::strerror(errno);
        } else {
            testing::WriteBytes(path, "Text.");
        }
    }
}

void Link(const std::string& target, const std::string& path) {
    ASSERT_EQ(::symlink(target.c_str(), path.c_str()), 0) << path;
}

// The paths with `root` cut off the front, so that expectations read "/A/a.txt".
Paths Relative(const Paths& paths, const std::string& root) {
    Paths relative;
    for (const std::string& path : paths) {
        relative.push_back(path.starts_with(root) ? path.substr(root.size()) : "outside: " + path);
    }
    return relative;
}

Paths Folders(const std::string& root, const Paths& given, bool recurse = true, const ScanHooks& hooks = {}) {
    Paths folders;
    for (const std::string& item : given) {
        folders.push_back(root + item);
    }
    GetSubDirectories2016(folders, recurse, hooks);
    return Relative(folders, root);
}

Paths Collect(const std::string& root, const std::string& pattern = "*.*", const ScanHooks& hooks = {}) {
    return Relative(CollectFolderFiles(root, pattern, hooks), root);
}

TEST(FolderScanTest, FoldersAndTheirFilesComeLevelByLevel) {
    TempDir dir;
    const std::string& root = dir.Path();
    MakeTree(root, {"b/", "a/", "C/", "a/2/", "a/1/", "C/x/", "a/1/deep/", "C/x/deeper/",
                    "C/x/deeper/deepest/", "x.txt", "a/a.txt", "C/x/cx.txt", "a/1/deep/d.txt"});
    EXPECT_EQ(Folders(root, {"/"}), (Paths{"/", "/a/", "/b/", "/C/", "/a/1/", "/a/2/", "/C/x/", "/a/1/deep/",
                                           "/C/x/deeper/", "/C/x/deeper/deepest/"}));
    EXPECT_EQ(Folders(root, {"/"}, false), (Paths{"/", "/a/", "/b/", "/C/"}));
    // Several items: the items first, then their sub-folders grouped by item; a missing item stays.
    EXPECT_EQ(Folders(root, {"/C/", "/missing/", "/a/"}, false),
              (Paths{"/C/", "/missing/", "/a/", "/C/x/", "/a/1/", "/a/2/"}));
    EXPECT_EQ(Folders(root, {"/b/", "/missing/", "/a/1/"}),
              (Paths{"/b/", "/missing/", "/a/1/", "/a/1/deep/"}));
    // So the file of C/x comes before the deeper one of a/1, and a folder given with its separator gives
    // paths with single separators.
    EXPECT_EQ(Relative(CollectFolderFiles(root + "/", "*.*"), root),
              (Paths{"/x.txt", "/a/a.txt", "/C/x/cx.txt", "/a/1/deep/d.txt"}));
}

TEST(FolderScanTest, CollectionLeavesOutTildeNamesAndWritableDotFilesOnly) {
    TempDir dir;
    MakeTree(dir.Path(),
             {"plain.txt", "~lock.txt", "a~b.txt", ".hidden", ".readonly", "readonly.txt", "noext",
              ".folder/", ".folder/inside.txt", "sub/", "sub/~$draft.doc", "sub/keep.doc"});
    ::chmod((dir / ".readonly").c_str(), 0444); // 35: hidden, archive, read-only
    ::chmod((dir / "readonly.txt").c_str(), 0444);
    Link("plain.txt", dir / ".linked"); // 1058: a link is no plain dot-file
    EXPECT_EQ(Collect(dir.Path()), (Paths{"/.linked", "/.readonly", "/a~b.txt", "/noext", "/plain.txt",
                                          "/readonly.txt", "/.folder/inside.txt", "/sub/keep.doc"}));
    // ListFilesInFolder itself keeps every file, hidden ones included, and never a folder.
    EXPECT_EQ(ListFilesInFolder(dir.Path(), "*.*"),
              (Paths{".hidden", ".linked", ".readonly", "a~b.txt", "noext", "plain.txt", "readonly.txt",
                     "~lock.txt"}));
}

TEST(FolderScanTest, ListingMatchesThePatternInAnyCaseAndSortsTheNames) {
    TempDir dir;
    MakeTree(dir.Path(), {"b.txt", "a.txt", "C.txt", "A.TXT", "_x.Txt", "10.txt", "9.txt", "c.txt.bak",
                          "d.text", "notes", "t.txt/"});
    const std::pair<const char*, Paths> cases[] = {
        {"*.*",
         {"10.txt", "9.txt", "_x.Txt", "A.TXT", "a.txt", "b.txt", "C.txt", "c.txt.bak", "d.text", "notes"}},
        {"*.TXT", {"10.txt", "9.txt", "_x.Txt", "A.TXT", "a.txt", "b.txt", "C.txt"}},
        {"*.", {"notes"}},
        {"?.t*", {"9.txt", "A.TXT", "a.txt", "b.txt", "C.txt", "c.txt.bak", "d.text"}},
        {"*.doc", {}},
    };
    for (const auto& [pattern, names] : cases) {
        EXPECT_EQ(ListFilesInFolder(dir.Path() + "/", pattern), names) << pattern;
    }
    EXPECT_EQ(ListFilesInFolder(dir / "missing", "*.*"), Paths{});

    TempDir many; // more names than one read of the folder returns
    Paths expected;
    for (int i = 0; i < 250; ++i) {
        expected.push_back("f" + std::to_string(1000 + i) + ".txt");
    }
    Paths shuffled = expected;
    std::shuffle(shuffled.begin(), shuffled.end(), std::mt19937(42));
    MakeTree(many.Path(), shuffled);
    EXPECT_EQ(ListFilesInFolder(many.Path(), "*.*"), expected);
}

TEST(FolderScanTest, UnsafeFolderNamesAreSkippedWithEverythingBelow) {
    TempDir dir;
    const std::string& root = dir.Path();
    for (const std::string folder : {"caf\xc3\xa9/", "what?/", "two\nlines/", "latin\xe9/", "c1\xc2\x85/"}) {
        MakeTree(root, {folder, folder + "f.txt", folder + "deeper/", folder + "deeper/g.txt"});
    }
    // File names are not checked for safety, but one that is not UTF-8 cannot be passed on.
    MakeTree(root, {"bad\xff.txt", "two\nlines.txt", "what?.txt"});
    EXPECT_EQ(Collect(root),
              (Paths{"/two\nlines.txt", "/what?.txt", "/caf\xc3\xa9/f.txt", "/caf\xc3\xa9/deeper/g.txt"}));
}

TEST(FolderScanTest, OnlyRegularFilesExistAndFifosAndSocketsAreNeverCollectedNorOpened) {
    TempDir dir;
    MakeTree(dir.Path(), {"sub/", "sub/real.txt", "sub/folder.txt/", "bad\xff.txt"});
    ASSERT_EQ(::mkfifo((dir / "sub/pipe.txt").c_str(), 0644), 0);
    Link("pipe.txt", dir / "sub/pipe-link.txt");
    Link("real.txt", dir / "sub/link.txt");
    Link("gone.txt", dir / "sub/dangling.txt");
    const int sock = ::socket(AF_UNIX, SOCK_STREAM, 0);
    ASSERT_GE(sock, 0);
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    const std::string socketPath = dir / "sub/socket.txt";
    ASSERT_LT(socketPath.size(), sizeof address.sun_path);
    std::strcpy(address.sun_path, socketPath.c_str());
    ASSERT_EQ(::bind(sock, reinterpret_cast<const sockaddr*>(&address), sizeof address), 0);
    // Opening the FIFO for reading would block this test until its time limit.
    EXPECT_EQ(Collect(dir.Path(), "*.txt"), (Paths{"/sub/link.txt", "/sub/real.txt"}));
    ::close(sock);
    const std::pair<std::string, bool> cases[] = {
        {dir / "sub/real.txt", true},
        {dir / "sub/link.txt", true},
        {dir / "sub/folder.txt", false},
        {dir / "sub/dangling.txt", false},
        {dir / "sub/pipe.txt", false},
        {dir / "sub/socket.txt", false},
        {dir / "sub/missing", false},
        {dir / "sub/real.txt/", false},
        {"", false},
        {"/dev/null", false},
        {dir / "bad\xff.txt", false},
    };
    for (const auto& [path, exists] : cases) {
        EXPECT_EQ(IsExistingFile(path), exists) << path;
    }
}

TEST(FolderScanTest, LinkedFoldersAreFollowedButEnteredOnce) {
    TempDir outside;
    MakeTree(outside.Path(), {"o.txt"});
    TempDir dir;
    const std::string& root = dir.Path();
    MakeTree(root, {"A/", "A/a.txt", "A/B/", "A/B/b.txt"});
    Link(".", dir / "A/self");
    Link("..", dir / "A/up");
    Link("../..", dir / "A/B/loop");
    Link("a.txt", dir / "A/same.txt"); // a linked file is a file of its own
    Link("A", dir / "Z");
    Link(outside.Path(), dir / "ext");
    EXPECT_EQ(Folders(root, {"/"}), (Paths{"/", "/A/", "/ext/", "/A/B/"}));
    EXPECT_EQ(Collect(root), (Paths{"/A/a.txt", "/A/same.txt", "/ext/o.txt", "/A/B/b.txt"}));

    // The first path found in level order is the one kept, here through the link.
    TempDir early;
    MakeTree(early.Path(), {"real/", "real/r.txt"});
    Link("real", early / "0link");
    EXPECT_EQ(Collect(early.Path()), (Paths{"/0link/r.txt"}));
}

// The attribute values 22 and 1046 never occur on Linux but for the root, so the scan gets them here
// through its attribute read.
TEST(FolderScanTest, HiddenSystemFoldersAreSkippedUnlessTheyAreTheRoot) {
    TempDir dir;
    const std::string& root = dir.Path();
    MakeTree(root, {"sys/", "sys/in/", "junction/", "junction/in/", "plain/", "plain/in/", "odd/", ".dot/",
                    ".dot/in/"});
    const detail::AttributeReader reader = [&](const std::string& path) -> std::optional<std::uint32_t> {
        const std::pair<std::string, std::uint32_t> faked[] = {
            {root + "/sys/", 22}, {"/", 22}, {root + "/junction/", 1046}, {root + "/odd/", 23}};
        for (const auto& [fakedPath, value] : faked) {
            if (path == fakedPath) {
                return value; // only the exact values 22 and 1046 count
            }
        }
        return FileAttributes(path);
    };
    const auto scan = [&](Paths given, bool recurse) {
        detail::GetSubDirectories2016(given, recurse, {}, reader);
        return given;
    };
    EXPECT_EQ(Relative(scan({root + "/"}, true), root),
              (Paths{"/", "/.dot/", "/odd/", "/plain/", "/.dot/in/", "/plain/in/"}));
    // An item given with such a value stays, but nothing below it is looked at.
    EXPECT_EQ(Relative(scan({root + "/sys/"}, true), root), (Paths{"/sys/"}));
    // The root is entered whatever its value.
    const Paths top = scan({"/"}, false);
    ASSERT_GT(top.size(), 1u);
    EXPECT_EQ(top.front(), "/");
    const std::string firstLevel = root.substr(0, root.find('/', 1) + 1);
    EXPECT_NE(std::find(top.begin(), top.end(), firstLevel), top.end()) << firstLevel;
}

// A folder path of exactly `length` characters (with its final "/") below `root`, made of `fill`.
std::string MakeFolderOfLength(const std::string& root, std::size_t length, const std::string& fill) {
    std::string path = root + "/";
    for (std::size_t count = path.size(); count < length;) {
        const std::size_t left = length - count;
        std::size_t take = std::min<std::size_t>(left - 1, 100);
        if (left - 1 - take == 1) {
            --take; // never leave room for only a separator
        }
        for (std::size_t i = 0; i < take; ++i) {
            path += fill;
        }
        path += "/";
        count += take + 1;
        ::mkdir(path.c_str(), 0755);
    }
    return path;
}

TEST(FolderScanTest, FoldersOf260CharactersOrMoreAreListedButNotEntered) {
    for (const std::string fill : {"x", "\xc3\xa9"}) { // the limit counts characters, not bytes
        for (const std::size_t length : {259u, 260u}) {
            SCOPED_TRACE(std::to_string(length) + " characters of " + fill);
            TempDir dir;
            const std::string folder = MakeFolderOfLength(dir.Path(), length, fill);
            MakeTree(folder.substr(0, folder.size() - 1), {"own.txt", "s/", "s/f.txt"});
            const Paths entered = {folder + "own.txt", folder + "s/f.txt"};
            EXPECT_EQ(CollectFolderFiles(dir.Path(), "*.*"), length < 260 ? entered : Paths{entered[0]});
        }
    }
}

TEST(FolderScanTest, YieldsOncePerFolderAndSubFolderAtEveryStep) {
    TempDir dir;
    MakeTree(dir.Path(), {"A/", "A/A1/", "B/"});
    int yields = 0;
    const ScanHooks hooks{[&] { ++yields; }, nullptr};
    Paths folders{dir.Path() + "/"};
    GetSubDirectories2016(folders, true, hooks);
    // Entering the four folders, finding A, B and A1, and listing A1 on its level, then A, B, A1.
    EXPECT_EQ(yields, 4 + 3 + 1 + 3);
    yields = 0;
    CollectFolderFiles(dir.Path(), "*.*", hooks);
    EXPECT_GE(yields, 11 + 4); // and once more per folder while listing files
}

TEST(FolderScanTest, AFolderThatVanishesDuringTheScanIsLeftOutAndTheRestFinishes) {
    const Paths tree = {"A/", "A/a.txt", "B/", "B/b.txt", "B/B1/", "B/B1/b1.txt", "C/", "C/c.txt"};
    // Whatever of B was listed before it went stays, in level order; A and C are always there.
    const std::vector<Paths> allowed = {{"/A/a.txt", "/C/c.txt"},
                                        {"/A/a.txt", "/B/b.txt", "/C/c.txt"},
                                        {"/A/a.txt", "/C/c.txt", "/B/B1/b1.txt"},
                                        {"/A/a.txt", "/B/b.txt", "/C/c.txt", "/B/B1/b1.txt"}};
    int total = 0;
    {
        TempDir dir;
        MakeTree(dir.Path(), tree);
        EXPECT_EQ(Collect(dir.Path(), "*.*", {[&] { ++total; }, {}}), allowed.back());
    }
    ASSERT_GT(total, 10);
    for (int when = 1; when <= total; ++when) {
        SCOPED_TRACE("B removed at yield " + std::to_string(when));
        TempDir dir;
        MakeTree(dir.Path(), tree);
        int calls = 0;
        const auto removeB = [&] {
            if (++calls == when) {
                std::filesystem::remove_all(dir / "B");
            }
        };
        const Paths files = Collect(dir.Path(), "*.*", {removeB, {}});
        EXPECT_NE(std::find(allowed.begin(), allowed.end(), files), allowed.end())
            << ::testing::PrintToString(files);
    }

    // A given folder gone just before its sub-folders are listed is removed from the list.
    TempDir dir;
    MakeTree(dir.Path(), {"B/", "B/B1/"});
    Paths folders{dir / "B/"};
    GetSubDirectories2016(folders, true, {[&] { std::filesystem::remove_all(dir / "B"); }, {}});
    EXPECT_EQ(folders, Paths{});
}

// Runs `scan` as an ordinary user (see RunAsOrdinaryUser); nothing when that cannot be done.
std::optional<Paths> RunUnprivileged(const std::function<Paths()>& scan) {
    const auto joined = testing::RunAsOrdinaryUser([&] {
        std::string out;
        for (const std::string& path : scan()) {
            out += path + '\0';
        }
        return out;
    });
    if (!joined) {
        return std::nullopt;
    }
    Paths paths;
    for (std::size_t start = 0, end; (end = joined->find('\0', start)) != std::string::npos;
         start = end + 1) {
        paths.push_back(joined->substr(start, end - start));
    }
    return paths;
}

TEST(FolderScanTest, FoldersThatDenyAccessAreDroppedSilently) {
    TempDir dir;
    const std::string& root = dir.Path();
    ::chmod(root.c_str(), 0755);
    MakeTree(root, {"locked/", "locked/l.txt", "locked/sub/", "noexec/", "noexec/n.txt", "noexec/sub/",
                    "open/", "open/o.txt", "top.txt"});
    ::chmod((dir / "locked").c_str(), 0);
    ::chmod((dir / "noexec").c_str(), 0644);
    const auto folders = RunUnprivileged([&] { return Folders(root, {"/"}); });
    const auto files = RunUnprivileged([&] { return Collect(root); });
    if (!folders || !files) {
        GTEST_SKIP() << "running as root without a way to take an ordinary user id: permissions do not deny";
    }
    // "locked" cannot be listed and is dropped; "noexec" can be listed but nothing in it examined.
    EXPECT_EQ(*folders, (Paths{"/", "/noexec/", "/open/"}));
    EXPECT_EQ(*files, (Paths{"/top.txt", "/open/o.txt"}));
    // A given folder that denies access is dropped from the list too.
    EXPECT_EQ(RunUnprivileged([&] { return Folders(root, {"/locked/", "/open/"}); }), (Paths{"/open/"}));
}

TEST(FolderScanTest, TheTrapReportsFailuresOutsideTheEnumerationAndResumes) {
    // For a root with A (holding A1) and B the yields come in this order: 1 entering the root (line
    // 106); 2 and 3 finding A and B (inside the enumeration); 4 entering A; 5 finding A1; 6 entering B;
    // 7 entering A1; 8 listing A1 on its level (line 118); 9 to 11 listing A, B and A1 (line 118).
    const struct {
        const char* name;
        int failingYield;                // 0: none
        std::string failingAttributesOf; // a folder whose attribute read fails, relative to the root
        Paths expectedFolders;
        std::vector<int> expectedLines;
    } cases[] = {
        {"first yield", 1, "", {"/", "/A/", "/B/", "/A/A1/"}, {106}},
        {"yield while finding A", 2, "", {"/"}, {}},
        {"yield while finding A1", 5, "", {"/", "/A/", "/B/"}, {}},
        {"yield listing A1 one level down", 8, "", {"/", "/A/", "/B/", "/A/A1/"}, {118}},
        {"last yield", 11, "", {"/", "/A/", "/B/", "/A/A1/"}, {118}},
        {"attributes of B", 0, "/B/", {"/", "/A/", "/A/A1/"}, {104, 120}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        TempDir dir;
        const std::string& root = dir.Path();
        MakeTree(root, {"A/", "A/A1/", "B/"});
        int calls = 0;
        struct : ErrorReporter {
            std::vector<int> lines;
            void ShowErrorReport(const std::string& text) override {
                const auto at = text.find(" at line ");
                lines.push_back(std::stoi(text.substr(at + 9)));
                EXPECT_TRUE(text.starts_with(
                                "window gone\r\nin Tovarquin2021/08/31.AddFolder.GetSubDirectories2016 ") ||
                            text.starts_with("attributes unreadable\r\n"));
            }
        } reporter;
        ScanHooks hooks{[&] {
                            if (++calls == c.failingYield) {
                                throw std::runtime_error("window gone");
                            }
                        },
                        &reporter};
        std::vector<int>& lines = reporter.lines;
        const detail::AttributeReader reader = [&](const std::string& path) {
            if (!c.failingAttributesOf.empty() && path == root + c.failingAttributesOf) {
                throw std::runtime_error("attributes unreadable");
            }
            return FileAttributes(path);
        };
        Paths folders{root + "/"};
        detail::GetSubDirectories2016(folders, true, hooks, reader);
        EXPECT_EQ(Relative(folders, root), c.expectedFolders);
        EXPECT_EQ(lines, c.expectedLines);
    }
}

// Not the root: an empty answer from a picker must not scan the whole disk.
TEST(FolderScanTest, AnEmptyFolderScansNothing) {
    int yields = 0;
    EXPECT_EQ(CollectFolderFiles("", "*.*", {[&] { ++yields; }, nullptr}), Paths{});
    EXPECT_EQ(yields, 0);
}

} // namespace
} // namespace brantlewick
