// SPDX-License-Identifier: GPL-3.0-or-later
// The folder scan: its name rules on literal names (unsafe folder names, how characters are decoded and
// counted, wildcards), and on real trees level order, links, permissions, odd entries, limits, the trap.
#include "brantlewick/filelist/FolderScan.h"
#include "FolderScanSeam.h"
#include "Rows.h"
#include "TempDir.h"
#include "Unprivileged.h"
#include "Wildcard.h"
#include "brantlewick/base/Utf8.h"
#include "brantlewick/filesystem/FileSystem.h"

#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <sstream>

namespace brantlewick {
namespace {

using testing::TempDir;
using Paths = std::vector<std::string>;

// Creates the entries below `root`: a name ending in "/" is a folder, one with "->" a link, any other a file.
void MakeTree(const std::string& root, const Paths& entries) {
    for (const std::string& entry : entries) {
        const auto arrow = entry.find("->");
        std::string path = root;
        path += '/';
        path += entry.substr(0, arrow);
        if (arrow != std::string::npos) {
            ASSERT_EQ(::symlink(entry.substr(arrow + 2).c_str(), path.c_str()), 0);
        } else if (entry.ends_with("/")) {
            ASSERT_EQ(::mkdir(path.c_str(), 0755), 0) << entry;
        } else {
            testing::WriteBytes(path, "Text.");
        }
    }
}

// The words of `spaced`.
Paths Split(const std::string& spaced) {
    Paths words;
    std::istringstream in(spaced);
    for (std::string word; in >> word;) {
        words.push_back(word);
    }
    return words;
}

// The paths with `root` cut off the front, so that expectations read "/A/a.txt".
Paths Relative(Paths paths, const std::string& root) {
    for (std::string& path : paths) {
        path.starts_with(root) ? path.erase(0, root.size()) : path.insert(0, "outside: ");
    }
    return paths;
}

Paths Folders(const std::string& root, const Paths& given, bool recurse = true, const ScanHooks& hooks = {}) {
    Paths folders;
    for (const std::string& item : given) {
        folders.push_back(root + item);
    }
    AppendSubFolders(folders, recurse, hooks);
    return Relative(folders, root);
}

Paths Collect(const std::string& root, const std::string& pattern = "*.*", const ScanHooks& hooks = {}) {
    return Relative(CollectFolderFiles(root, pattern, hooks).files, root);
}

// A second "Add All File(s) In Folder" after a run took the results too, and the next run wrote
// a-Pellnor-Pellnor.txt. A file named as this program's result for another file of its folder is left out
// and told; one whose input is not there, or not a file, stays, and so does every file when results are
// wanted.
TEST(FolderScanTest, ResultsBesideTheirInputsAreLeftOutAndTold) {
    TempDir dir;
    MakeTree(dir.Path(), Split("sub/ x.txt/ a.txt a-Pellnor.txt a-Pellnor-Pellnor.txt b-Pellnor.txt README "
                               "README-Pellnor. c.tar.gz c.tar-Pellnor.gz x-Pellnor.txt A-pellnor.txt "
                               "sub/a-Pellnor.txt d.-Pellnor.txt"));
    ScanHooks hooks;
    const FolderFiles found = CollectFolderFiles(dir.Path(), "*", hooks);
    EXPECT_EQ(Relative(found.files, dir.Path()),
              (Paths{"/A-pellnor.txt", "/a.txt", "/b-Pellnor.txt", "/c.tar.gz", "/d.-Pellnor.txt", "/README",
                     "/x-Pellnor.txt", "/sub/a-Pellnor.txt"}));
    EXPECT_EQ(Relative(found.resultsLeftOut, dir.Path()),
              (Paths{"/a-Pellnor-Pellnor.txt", "/a-Pellnor.txt", "/c.tar-Pellnor.gz", "/README-Pellnor."}));
    hooks.keepResults = true;
    const FolderFiles kept = CollectFolderFiles(dir.Path(), "*.txt", hooks);
    EXPECT_EQ(kept.files.size(), 8u);
    EXPECT_EQ(kept.resultsLeftOut.size(), 0u);
}

// Folders come level by level, grouped by parent, by name ignoring case; a missing item stays. Files are
// collected folder by folder in that order, leaving out names beginning with "~" and writable dot-files.
// Linked folders are followed, but each is entered once, under the first path found.
TEST(FolderScanTest, FoldersAndTheirFilesComeLevelByLevel) {
    TempDir dir;
    const std::string& root = dir.Path();
    MakeTree(root,
             Split("b/ a/ C/ a/2/ a/1/ C/x/ a/1/deep/ x.txt a/a.txt C/x/cx.txt a/1/deep/d.txt ~lock.txt "
                   "a~b.txt .hidden .readonly .linked->x.txt C/~$d.doc a/self->. a/up->.. C/x/loop->../.. "
                   "a/same.txt->a.txt Z->a"));
    ::chmod((dir / ".readonly").c_str(), 0444);
    EXPECT_EQ(Folders(root, {"/"}),
              (Paths{"/", "/a/", "/b/", "/C/", "/a/1/", "/a/2/", "/C/x/", "/a/1/deep/"}));
    EXPECT_EQ(Folders(root, {"/C/", "/missing/", "/a/"}, false),
              (Paths{"/C/", "/missing/", "/a/", "/C/x/", "/a/1/", "/a/2/", "/a/up/"}));
    EXPECT_EQ(Relative(CollectFolderFiles(root + "/", "*.*").files, root),
              (Paths{"/.linked", "/.readonly", "/a~b.txt", "/x.txt", "/a/a.txt", "/a/same.txt", "/C/x/cx.txt",
                     "/a/1/deep/d.txt"}));
    TempDir early;
    MakeTree(early.Path(), {"real/", "real/r.txt", "0link->real"});
    EXPECT_EQ(Collect(early.Path()), (Paths{"/0link/r.txt"}));
    // Not the root: an empty answer from a picker must not scan the whole disk.
    EXPECT_EQ(CollectFolderFiles("", "*.*", {[] { FAIL(); }, nullptr}).files, Paths{});
}

TEST(FolderScanTest, ListingMatchesThePatternInAnyCaseAndSortsTheNames) {
    TempDir dir;
    Paths many = Split("b.txt a.txt C.txt A.TXT _x.Txt 10.txt 9.txt c.txt.bak notes t.txt/");
    for (int i = 0; i < 250; ++i) { // more names than one read of the folder returns
        many.push_back("f" + std::to_string(1999 - i) + ".doc");
    }
    MakeTree(dir.Path(), many);
    EXPECT_EQ(ListFilesInFolder(dir.Path() + "/", "*.TXT"),
              (Paths{"10.txt", "9.txt", "_x.Txt", "A.TXT", "a.txt", "b.txt", "C.txt"}));
    const Paths docs = ListFilesInFolder(dir.Path(), "*.doc");
    ASSERT_EQ(docs.size(), 250u);
    EXPECT_TRUE(std::is_sorted(docs.begin(), docs.end()) && docs.front() == "f1750.doc");
    EXPECT_EQ(ListFilesInFolder(dir / "missing", "*.*"), Paths{});
}

// Folder names that hold "?", control characters or are not UTF-8 are skipped with all below them; file
// names are not checked, but one that is not UTF-8 cannot be passed on. Only regular files exist: FIFOs
// (which would block an open), devices and dangling links are never collected.
TEST(FolderScanTest, UnsafeNamesAndAnythingButRegularFilesAreLeftOut) {
    TempDir dir;
    const std::string& root = dir.Path();
    for (const std::string folder : {"caf\xc3\xa9/", "what?/", "two\nlines/", "latin\xe9/", "c1\xc2\x85/"}) {
        MakeTree(root, {folder, folder + "f.txt", folder + "deeper/", folder + "deeper/g.txt"});
    }
    MakeTree(root, {"bad\xff.txt", "what?.txt", "s/", "s/folder.txt/", "s/link.txt->../what?.txt",
                    "s/gone.txt->x"});
    ASSERT_EQ(::mkfifo((dir / "s/pipe.txt").c_str(), 0644), 0);
    EXPECT_EQ(Collect(root),
              (Paths{"/what?.txt", "/caf\xc3\xa9/f.txt", "/s/link.txt", "/caf\xc3\xa9/deeper/g.txt"}));
    for (const char* path : {"/s/folder.txt", "/s/gone.txt", "/s/pipe.txt", "/what?.txt/", "/bad\xff.txt"}) {
        EXPECT_FALSE(IsExistingFile(root + path)) << path;
    }
    EXPECT_TRUE(IsExistingFile(root + "/s/link.txt"));
    EXPECT_FALSE(IsExistingFile("") || IsExistingFile("/dev/null"));
}

// The attribute values 22 and 1046 never occur on Linux but for the root, so the scan gets them here
// through its attribute read. Such a folder is neither listed nor entered unless it is the root; given as
// an item it stays, but nothing below it is looked at.
TEST(FolderScanTest, HiddenSystemFoldersAreSkippedUnlessTheyAreTheRoot) {
    TempDir dir;
    const std::string& root = dir.Path();
    MakeTree(root, {"sys/", "sys/in/", "junction/", "junction/in/", "odd/", ".dot/", ".dot/in/"});
    const detail::AttributeReader reader = [&](const std::string& path) -> std::optional<std::uint32_t> {
        for (const auto& [faked, value] : {std::pair{root + "/sys/", 22u},
                                           {"/", 22u},
                                           {root + "/junction/", 1046u},
                                           {root + "/odd/", 23u}}) {
            if (path == faked) {
                return value;
            }
        }
        return FileAttributes(path);
    };
    const auto scan = [&](Paths given, bool recurse) {
        detail::AppendSubFolders(given, recurse, {}, reader);
        return given;
    };
    EXPECT_EQ(Relative(scan({root + "/"}, true), root), (Paths{"/", "/.dot/", "/odd/", "/.dot/in/"}));
    EXPECT_EQ(Relative(scan({root + "/sys/"}, true), root), (Paths{"/sys/"}));
    const Paths top = scan({"/"}, false);
    EXPECT_NE(std::find(top.begin(), top.end(), root.substr(0, root.find('/', 1) + 1)), top.end());
}

// A folder path of 260 characters or more (counted as characters, not bytes) is listed but not entered.
TEST(FolderScanTest, FoldersOf260CharactersOrMoreAreListedButNotEntered) {
    for (const std::string fill : {"x", "\xc3\xa9"}) {
        for (const std::size_t length : {259u, 260u}) {
            TempDir dir;
            std::string folder = dir.Path() + "/";
            for (std::size_t count = folder.size(); count < length;) {
                const std::size_t take =
                    std::min<std::size_t>(length - count - 1, 100) - (length - count == 102 ? 1 : 0);
                for (std::size_t i = 0; i < take; ++i) {
                    folder += fill;
                }
                folder += "/";
                count += take + 1;
                ::mkdir(folder.c_str(), 0755);
            }
            MakeTree(folder.substr(0, folder.size() - 1), {"own.txt", "s/", "s/f.txt"});
            const Paths entered = {folder + "own.txt", folder + "s/f.txt"};
            EXPECT_EQ(CollectFolderFiles(dir.Path(), "*.*").files, length < 260 ? entered : Paths{entered[0]})
                << length;
        }
    }
}

// A folder that vanishes during the scan is left out with what it had not yet given, whatever the yield;
// the others are all there. One that denies access is dropped silently.
TEST(FolderScanTest, FoldersThatVanishOrDenyAccessAreLeftOutAndTheRestFinishes) {
    const Paths tree = {"A/", "A/a.txt", "B/", "B/b.txt", "B/B1/", "B/B1/b1.txt", "C/", "C/c.txt"};
    for (int when = 1;; ++when) {
        TempDir dir;
        MakeTree(dir.Path(), tree);
        int calls = 0;
        const Paths files = Collect(dir.Path(), "*.*",
                                    {[&] {
                                         if (++calls == when) {
                                             std::filesystem::remove_all(dir / "B");
                                         }
                                     },
                                     nullptr});
        Paths kept = files;
        std::erase_if(kept, [](const std::string& path) { return path.starts_with("/B/"); });
        EXPECT_EQ(kept, (Paths{"/A/a.txt", "/C/c.txt"})) << when;
        if (calls < when) {
            EXPECT_EQ(files, (Paths{"/A/a.txt", "/B/b.txt", "/C/c.txt", "/B/B1/b1.txt"}));
            break;
        }
    }
    {
        // Given twice and gone before its second copy is listed, a folder loses that one copy only.
        TempDir dir;
        MakeTree(dir.Path(), {"D/"});
        int calls = 0;
        const ScanHooks hooks{[&] { ++calls == 2 ? void(std::filesystem::remove(dir / "D")) : void(); },
                              nullptr};
        EXPECT_EQ(Folders(dir.Path(), {"/D/", "/D/"}, true, hooks), (Paths{"/D/"}));
    }
    SKIP_WITHOUT_ORDINARY_USER();
    TempDir dir;
    ::chmod(dir.Path().c_str(), 0755);
    MakeTree(dir.Path(),
             {"locked/", "locked/l.txt", "noexec/", "noexec/n.txt", "noexec/sub/", "open/", "open/o.txt"});
    ::chmod((dir / "locked").c_str(), 0);
    ::chmod((dir / "noexec").c_str(), 0644);
    const auto seen = testing::RunAsOrdinaryUser([&] {
        std::string out;
        for (const Paths& paths :
             {Folders(dir.Path(), {"/"}), Collect(dir.Path()), Folders(dir.Path(), {"/locked/", "/open/"})}) {
            for (const std::string& path : paths) {
                out += path + " ";
            }
        }
        return out;
    });
    // "noexec" can be listed but nothing in it examined.
    EXPECT_EQ(seen, "/ /noexec/ /open/ /open/o.txt /open/ ");
}

// A failing statement outside the enumeration is reported with its line under the scan's own location,
// and the scan goes on; a failure inside it (at finding A) silently leaves out what that folder had left.
TEST(FolderScanTest, TheTrapReportsFailuresOutsideTheEnumerationAndResumes) {
    const struct {
        const char* name;
        int failingYield; // 0: none fails
        std::string failingAttributesOf;
        Paths folders;
        std::string lines; // reported
    } cases[] = {
        {"the first yield", 1, "", {"/", "/A/", "/B/", "/A/A1/"}, "106 "},
        {"a yield inside the enumeration", 2, "", {"/"}, ""},
        {"the last yield", 11, "", {"/", "/A/", "/B/", "/A/A1/"}, "118 "},
        {"the attributes of B", 0, "/B/", {"/", "/A/", "/A/A1/"}, "104 120 "},
    };
    FOR_EACH_ROW(row, cases) {
        TempDir dir;
        MakeTree(dir.Path(), {"A/", "A/A1/", "B/"});
        int calls = 0;
        struct : ErrorReporter {
            std::string lines;
            void ShowErrorReport(const std::string& text) override {
                EXPECT_TRUE(
                    text.starts_with(
                        "window gone\r\nin Tovarquin2021/08/31.AddFolder.GetSubDirectories2016 at line ") ||
                    text.starts_with("unreadable\r\n"));
                lines += text.substr(text.find(" at line ") + 9, 3) + " ";
            }
        } reporter;
        const ScanHooks hooks{
            [&] { ++calls == row.failingYield ? throw std::runtime_error("window gone") : void(); },
            &reporter};
        Paths scanned{dir.Path() + "/"};
        detail::AppendSubFolders(scanned, true, hooks, [&](const std::string& path) {
            return path == dir.Path() + row.failingAttributesOf ? throw std::runtime_error("unreadable")
                                                                : FileAttributes(path);
        });
        EXPECT_EQ(Relative(scanned, dir.Path()), row.folders);
        EXPECT_EQ(reporter.lines, row.lines);
    }
}

// Unsafe: "?", below 32, from 127 to 159 (as decoded code points), or not UTF-8, of which each stray byte
// counts as one character.
TEST(FolderScanTest, NamesAreDecodedAsStrictUtf8AndCheckedForUnsafeCharacters) {
    const struct {
        std::string name;
        bool valid, unsafe;
        std::size_t characters;
    } cases[] = {
        {"", true, false, 0},
        {"Reports 2021 ~!#$%&'()+,-.;=@[]^_`{}", true, false, 36},
        {"\xc2\xa0\xe0\xa0\x80\xe2\x82\xac", true, false, 3}, // U+00A0 past the range, U+0800, the euro sign
        {"\xed\x9f\xbf\xee\x80\x80\xef\xbf\xbd", true, false,
         3},                                                  // U+D7FF, U+E000 around the surrogates; U+FFFD
        {"\xf0\x90\x80\x80\xf4\x8f\xbf\xbf", true, false, 2}, // U+10000 and U+10FFFF
        {"what?", true, true, 5},
        {std::string("nul\0x\t\x1f", 7), true, true, 7},
        {"del\x7f", true, true, 4},
        {"\xc2\x80", true, true, 1},
        {"\xc2\x9f", true, true, 1},
        {"\xe9t\xe9", false, true, 3},        // Latin-1 bytes
        {"\xc0\xaf", false, true, 2},         // overlong "/"
        {"\xe0\x9f\xbf", false, true, 3},     // overlong U+07FF
        {"\xed\xa0\x80", false, true, 3},     // the first surrogate
        {"\xed\xbf\xbf", false, true, 3},     // the last surrogate
        {"\xf4\x90\x80\x80", false, true, 4}, // past U+10FFFF
        {"a\xe2\x82", false, true, 3},        // cut short
        {"\x80", false, true, 1},             // a stray continuation byte
        {"\xfc\x80\x80\x80", false, true, 4}, // no lead byte past F4
    };
    FOR_EACH_ROW(c, cases) {
        EXPECT_EQ(std::tuple(utf8::IsValid(c.name), HasUnsafeChars(c.name), utf8::CharacterCount(c.name)),
                  std::tuple(c.valid, c.unsafe, c.characters))
            << ::testing::PrintToString(c.name);
    }
}

TEST(FolderScanTest, WildcardsMatchAsTheListingRulesSay) {
    const std::tuple<const char*, const char*, bool> cases[] = {
        {"*.*", "README", true},    {"*.*", ".profile", true},
        {"*.*", "trailing.", true}, {"*", "any.thing.at.all", true},
        {"*.txt", "A.TXT", true},   {"*.txt", "a.b.txt", true},
        {"*.txt", ".txt", true},    {"*.txt", "a.txt.bak", false},
        {"*.txt", "a.txtx", false}, {"*.txt", "atxt", false},
        {"*.", "README", true},     {"*.", "a.txt", false},
        {"*.", ".profile", false},  {"a?.txt", "a.txt", true},
        {"a?.txt", "ab.txt", true}, {"a?.txt", "abc.txt", false},
        {"ab??", "ab", true},       {"ab??", "abcd", true},
        {"ab??", "abcde", false},   {"?", "\xc3\xa9", true},
        {"?x", "\xc3\xa9x", true},  {"*.t?t", "a.tt", false},
        {"read.", "read", true},    {"*a*", "banana", true},
        {"*a*", "bbb", false},      {"*.\xc3\xa9", "x.\xc3\x89", false},
        {"data", "data1", false},   {"", "a", false},
        {"?.*", "README", false},   {"a.*", "a", true},
        {"a.*", "b.txt", false},    {"a.?", "a.b", true}, // not every three elements match every name
        {"*.?", "a.bc", false},     {"x", "y", false},
    };
    FOR_EACH_ROW(row, cases) {
        const auto& [pattern, name, matches] = row;
        EXPECT_EQ(WildcardPattern(pattern).Matches(name), matches) << pattern << " " << name;
    }
}

} // namespace
} // namespace brantlewick
