// SPDX-License-Identifier: GPL-3.0-or-later
// The settings store on real INI files in a temporary folder: values as QSettings reads and writes them,
// other programs' bytes left alone, files it must not spoil, and files it must not wait on.
#include "brantlewick/settings/SettingsStore.h"
#include "Rows.h"
#include "TempDir.h"
#include "Unprivileged.h"

#include <QSettings>

#include <gtest/gtest.h>

#include <fcntl.h>
#include <linux/fs.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <fstream>
#include <functional>
#include <string_view>
#include <vector>

namespace brantlewick {
namespace {

using testing::ReadBytes;
using testing::TempDir;
using testing::WriteBytes;

QString Q(const std::string& text) {
    return QString::fromStdString(text);
}

std::string Message(const std::function<void()>& action) {
    try {
        action();
    } catch (const SettingsError& error) {
        return error.what();
    }
    return "(no error)";
}

// Bytes this process has read ("rchar:") or written ("wchar:") so far, as the kernel counts them.
long long BytesMoved(const std::string& which) {
    std::ifstream io("/proc/self/io");
    std::string name;
    long long value = -1;
    while (io >> name >> value && name != which) {
    }
    return value;
}

const QString kGoesOn = " The program goes on with the default settings and saves none of your changes.";

TEST(SettingsStoreTest, TheUserStoreIsKestrovaIniInTheConfigurationFolder) {
    TempDir dir;
    ASSERT_EQ(::setenv("XDG_CONFIG_HOME", (dir / "config").c_str(), 1), 0);
    EXPECT_EQ(SettingsStore::DefaultFilePath(), Q(dir / "config/Kestrova.ini"));
    EXPECT_EQ(SettingsStore::DefaultFilePath(),
              QSettings(QSettings::IniFormat, QSettings::UserScope, "Kestrova").fileName());
    SettingsStore().SaveSetting(setting::kExtension, "txt");
    EXPECT_EQ(ReadBytes(dir / "config/Kestrova.ini"), "[Brantlewick]\nExtension=txt\n");
    // A relative XDG_CONFIG_HOME is ignored, as the XDG rules say: the file went below the working folder.
    const std::string home = std::getenv("HOME") != nullptr ? std::getenv("HOME") : "";
    ASSERT_EQ(::setenv("HOME", dir.Path().c_str(), 1), 0);
    for (const char* relative : {"config", "./config", ""}) {
        ASSERT_EQ(::setenv("XDG_CONFIG_HOME", relative, 1), 0);
        EXPECT_EQ(SettingsStore::DefaultFilePath().toStdString(), dir / ".config/Kestrova.ini") << relative;
    }
    ::setenv("HOME", home.c_str(), 1);
}

// True and False in any case and numbers are booleans; any other text is a type mismatch.
TEST(SettingsStoreTest, ReadsBooleansInAnyCaseAndNumbers) {
    for (const char* stored :
         {"True", "true", "TRUE", "1", "-1", "2.5", " True ", "1e3", "99999999999999999999"}) {
        EXPECT_TRUE(SettingsStore::ParseBoolSetting(setting::kOption1, stored)) << stored;
    }
    for (const char* stored : {"False", "fAlSe", "0", "0.0", " 0 ", "-0"}) {
        EXPECT_FALSE(SettingsStore::ParseBoolSetting(setting::kOption1, stored)) << stored;
    }
    const std::string neither = ", which is neither True, False nor a number.";
    for (const char* stored : {"maybe", "", "Yes", "nan", "1x"}) {
        EXPECT_EQ(Message([&] { SettingsStore::ParseBoolSetting(setting::kOption1, stored); }),
                  "Type mismatch: the setting \"Option1\" holds \"" +
                      std::string(stored).append("\"" + neither));
    }
    // A huge value is cut in the message, so that the report stays readable.
    EXPECT_EQ(Message([&] { SettingsStore::ParseBoolSetting(setting::kOption1, QString(5000, u'y')); }),
              "Type mismatch: the setting \"Option1\" holds \"" + std::string(60, 'y') +
                  "...\" (5000 characters)" + neither);
}

// QSettings is the other side of the file: what it wrote must read back the same here and the other way
// round, and a file written here holds the very bytes QSettings writes.
TEST(SettingsStoreTest, ValuesRoundTripWithQSettingsByteForByte) {
    using namespace std::literals;
    const std::u16string_view values[] = {
        u"plain"sv,    u" lead"sv,           u"trail "sv, u"a,b"sv,      u"a;b"sv,   u"a=b"sv,
        u"q\"q"sv,     u"back\\slash"sv,     u"end\\"sv,  u"@at"sv,      u"@@two"sv, u"tab\tnl\nx"sv,
        u"ctl\001A"sv, u"ctl\001g"sv,        u"\0370"sv,  u"é ü 中 😀"sv, u"#hash"sv, u"[br]"sv,
        u"nul\0001"sv, u"@ByteArray(x)"sv,   u"100%"sv,   u""sv,         u"\x7f"sv,  u"  "sv,
        u"\\\\\\"sv,   u"..\\\\\\!\\\\\\?"sv};
    TempDir dir;
    SettingsStore ours(Q(dir / "ours.ini"));
    {
        QSettings theirs(Q(dir / "theirs.ini"), QSettings::IniFormat);
        theirs.beginGroup("Brantlewick");
        for (int i = 0; i < std::ssize(values); ++i) {
            const QString key = QString("k%1 é").arg(i, 2, 10, QChar(u'0'));
            ours.SaveSetting(key, QStringView(values[i]).toString());
            theirs.setValue(key, QStringView(values[i]).toString());
        }
    }
    EXPECT_EQ(ReadBytes(dir / "ours.ini"), ReadBytes(dir / "theirs.ini"));
    QSettings theirs(Q(dir / "ours.ini"), QSettings::IniFormat);
    SettingsStore readingTheirs(Q(dir / "theirs.ini"));
    for (int i = 0; i < std::ssize(values); ++i) {
        const QString key = QString("k%1 é").arg(i, 2, 10, QChar(u'0'));
        EXPECT_EQ(theirs.value("Brantlewick/" + key).toString(), QStringView(values[i])) << i;
        EXPECT_EQ(readingTheirs.GetSetting(key, "-"), QStringView(values[i])) << i;
    }
}

// Other programs' groups, their order, comments of either kind, line ends and a byte-order mark come
// through every save byte for byte; only the key's own entry changes, a new key goes where QSettings
// would put it, and a missing group is added at the end. Several saves in a row edit what the last left.
TEST(SettingsStoreTest, EverythingButTheKeysOwnEntryComesThroughASaveByteForByte) {
    const struct {
        std::string before;
        std::vector<std::pair<QString, QString>> saves;
        std::string after;
    } rows[] = {
        {"; by hand\r\n[Other]\r\nnote=first \\\r\n  second\r\n[Brantlewick]\r\nOutput%20Folder=/a, b,c\r\n",
         {{"Text1", "8"}, {"Output Folder", "/b"}},
         "; by hand\r\n[Other]\r\nnote=first \\\r\n  second\r\n[Brantlewick]\r\nOutput%20Folder=/b\r\n"
         "Text1=8\r\n"},
        {"[Zed]\nz=1\n# notes\n[Brantlewick]\n; keys below\nOption1=True\nText1=3 ; three\n\n[Alpha]\na=1",
         {{"Text1", "a;b"}, {"Extension", "txt"}, {"Option1", "False"}},
         "[Zed]\nz=1\n# notes\n[Brantlewick]\n; keys below\nExtension=txt\nOption1=False\nText1=\"a;b\"\n\n"
         "[Alpha]\na=1"},
        {"[Brantlewick]\n  Text1 = 3\nListView2=a\\\\ \\\n  b\n[Brantlewick]\nText1=4\n",
         {{"Text1", "5"}, {"ListView2", "."}},
         "[Brantlewick]\n  Text1 = 3\nListView2=.\n[Brantlewick]\nText1=5\n"},
        {"[Brantlewick]\nText1=3\nListView2=a \\\n b\n[Other]\n",
         {{"Option2", "False"}, {"Text1", "33"}},
         "[Brantlewick]\nOption2=False\nText1=33\nListView2=a \\\n b\n[Other]\n"},
        {"\xEF\xBB\xBF[Other]\r\nx=\xC3\xA9",
         {{"Output Folder", "/d/"}, {"Extension", "*"}},
         "\xEF\xBB\xBF[Other]\r\nx=\xC3\xA9\r\n\r\n[Brantlewick]\r\nExtension=*\r\nOutput%20Folder=/d/\r\n"},
        {"[Other]\nx=1\n\n", {{"Text1", "2"}, {"Text1", "3"}}, "[Other]\nx=1\n\n[Brantlewick]\nText1=3\n"},
        {"[Brantlewick]", {{"Text1", "2"}, {"A", "1"}, {"Z", "26"}}, "[Brantlewick]\nA=1\nText1=2\nZ=26\n"},
        // A value that ends in a backslash does not go on onto a group's line: it swallowed the group.
        {"[Brantlewick]\nText1=3\\\n [Other]\nx=1\n",
         {{"x", "2"}},
         "[Brantlewick]\nText1=3\\\nx=2\n [Other]\nx=1\n"},
        // A key above every group header is QSettings' general group, not ours: it is left as it is.
        {"Text1=9\n[Brantlewick]\nA=1\n", {{"Text1", "2"}}, "Text1=9\n[Brantlewick]\nA=1\nText1=2\n"},
    };
    FOR_EACH_ROW(row, rows) {
        TempDir dir;
        const std::string path = dir / "Kestrova.ini";
        WriteBytes(path, row.before);
        SettingsStore store(Q(path));
        EXPECT_EQ(store.Open(), std::nullopt);
        for (const auto& [key, value] : row.saves) {
            store.SaveSetting(key, value);
            EXPECT_EQ(store.GetSetting(key, "-"), value);
        }
        EXPECT_EQ(ReadBytes(path), row.after);
    }
}

// The file is read once: reads after that, and the saves, do not read it again; each save writes it once.
// A change made meanwhile by another program is read before the next save, so that it is not lost.
TEST(SettingsStoreTest, TheFileIsReadOnceAndASaveWritesItOnceKeepingChangesMadeMeanwhile) {
    TempDir dir;
    const std::string path = dir / "Kestrova.ini";
    const std::string others = "[Other]\n" + std::string(4 << 20, 'x') + "=1\n";
    WriteBytes(path, "[Brantlewick]\nText1=3\n" + others);
    SettingsStore store(Q(path));
    EXPECT_EQ(store.Open(), std::nullopt);
    const long long readBefore = BytesMoved("rchar:");
    const long long writtenBefore = BytesMoved("wchar:");
    for (int i = 0; i < 5; ++i) {
        EXPECT_EQ(store.GetSetting(setting::kText1, "1"), QString::number(3 + i));
        EXPECT_EQ(store.GetSetting(setting::kExtension, "*"), "*");
        store.SaveSetting(setting::kText1, QString::number(4 + i));
    }
    EXPECT_LT(BytesMoved("rchar:") - readBefore, 1 << 20);
    EXPECT_LT(BytesMoved("wchar:") - writtenBefore, 5 * (std::ssize(others) + (1 << 16)));
    WriteBytes(path, ReadBytes(path) + "[Third]\ny=2\n");
    store.SaveSetting(setting::kText1, "9");
    EXPECT_EQ(ReadBytes(path), "[Brantlewick]\nText1=9\n" + others + "[Third]\ny=2\n");
}

// A damaged file is refused by every read and write, and never rewritten by them. Open() sets it aside:
// a copy beside it (never over an earlier copy), and the file rewritten with every line that could be
// read. A "#" line is a comment, not damage.
TEST(SettingsStoreTest, ADamagedFileIsRefusedUntilItIsSetAsideAndWhatCouldBeReadIsKept) {
    const std::string damaged = "The settings file %1 is damaged at line %2; it is left as it is and the "
                                "program's settings are neither read from it nor saved.";
    const struct {
        const char* name;
        std::string content;
        int line;
        std::string kept;
        std::string leftOut;
    } cases[] = {
        {"binary garbage", std::string("\x89PNG\r\n\x1a\n\x01\x02\x03garbage", 18), 1, "",
         "3 lines that could not be read were"},
        {"truncated in a group name", "[Brantlewick]\nText1=3\n[Other]\nkey=1\n[Brant", 5,
         "[Brantlewick]\nText1=3\n[Other]\nkey=1\n", "1 line that could not be read was"},
        {"bytes that are not UTF-8", "[Other]\nname=caf\xe9\n# c\n[Brantlewick]\nText1=3\n", 2,
         "[Other]\n# c\n[Brantlewick]\nText1=3\n", "1 line that could not be read was"},
        {"a value continued onto a damaged line", "[Brantlewick]\nListView2=a \\\n\xff\nText1=3\nb c\n", 3,
         "[Brantlewick]\nText1=3\n", "3 lines that could not be read were"},
    };
    const QDateTime now(QDate(2024, 2, 29), QTime(13, 5, 9));
    FOR_EACH_ROW(c, cases) {
        TempDir dir;
        const std::string path = dir / "Kestrova.ini";
        WriteBytes(path, c.content);
        const std::string refused = QString::fromStdString(damaged).arg(Q(path)).arg(c.line).toStdString();
        SettingsStore store(Q(path));
        EXPECT_EQ(Message([&] { store.SaveSetting(setting::kText1, "5"); }), refused);
        EXPECT_EQ(ReadBytes(path), c.content);

        const std::string copy = path + ".damaged-20240229-130509";
        WriteBytes(copy, "an earlier copy");
        WriteBytes(copy + "-2", "another earlier copy");
        EXPECT_EQ(store.Open(now),
                  QString("The settings file %1 was damaged at line %2 and could not be used as "
                          "it was.\r\rA copy of it is kept as %3-3. Every setting that could "
                          "be read is kept; %4 left out.")
                      .arg(Q(path), QString::number(c.line), Q(copy), Q(c.leftOut)));
        EXPECT_EQ(ReadBytes(copy) + "|" + ReadBytes(copy + "-2"), "an earlier copy|another earlier copy");
        EXPECT_EQ(ReadBytes(copy + "-3"), c.content);
        EXPECT_EQ(ReadBytes(path), c.kept);
        EXPECT_EQ(store.GetSetting(setting::kText1, "1"), c.kept.empty() ? "1" : "3");
        EXPECT_FALSE(store.Open(now).has_value());
    }
}

// A settings file kept elsewhere and linked to (as dotfile managers do) stays linked, and keeps its mode.
TEST(SettingsStoreTest, ALinkToTheSettingsFileStaysALink) {
    TempDir dir;
    const std::string path = dir / "Kestrova.ini";
    WriteBytes(dir / "real.ini", "[Brantlewick]\nText1=4\n");
    ASSERT_EQ(::chmod((dir / "real.ini").c_str(), 0640), 0);
    ASSERT_EQ(::symlink("real.ini", path.c_str()), 0);
    SettingsStore store(Q(path));
    EXPECT_EQ(store.Open(), std::nullopt);
    store.SaveSetting(setting::kText1, "5");
    EXPECT_EQ(ReadBytes(dir / "real.ini"), "[Brantlewick]\nText1=5\n");
    struct stat info {};
    EXPECT_TRUE(::lstat(path.c_str(), &info) == 0 && S_ISLNK(info.st_mode));
    EXPECT_TRUE(::stat(path.c_str(), &info) == 0 && (info.st_mode & 07777) == 0640);
}

// A damaged file in a folder the user may not write, or one made immutable, cannot be set aside: that is
// said once, with the reason, and nothing is changed. A file the user may not read is neither read nor
// replaced, and one made read-only is not replaced.
TEST(SettingsStoreTest, AFileThatCannotBeSetAsideReadOrWrittenIsLeftAsItIs) {
    SKIP_WITHOUT_ORDINARY_USER();
    TempDir dir;
    ASSERT_EQ(::chmod(dir.Path().c_str(), 0777), 0); // reachable for the ordinary user the check runs as
    const std::string locked = dir / "locked";
    ASSERT_EQ(::mkdir(locked.c_str(), 0777), 0);
    for (const auto& [path, content, mode] :
         {std::tuple{dir / "unreadable.ini", "[Brantlewick]\nText1=4\n", 0},
          {dir / "readonly.ini", "[Brantlewick]\nText1=4\n", 0444},
          {locked + "/damaged.ini", "[Brantlewick]\nText1=4\nbroken\n", 0666}}) {
        WriteBytes(path, content);
        ASSERT_EQ(::chmod(path.c_str(), static_cast<mode_t>(mode)), 0);
    }
    ASSERT_EQ(::chmod(locked.c_str(), 0555), 0);
    const QDateTime now(QDate(2024, 2, 29), QTime(13, 5, 9));
    const auto messages = testing::RunAsOrdinaryUser([&] {
        SettingsStore unreadable(Q(dir / "unreadable.ini"));
        SettingsStore readOnly(Q(dir / "readonly.ini"));
        SettingsStore damaged(Q(locked + "/damaged.ini"));
        std::string said = Message([&] { unreadable.Open(); }) + "|";
        said += Message([&] { readOnly.SaveSetting(setting::kText1, "5"); }) + "|";
        said += Message([&] { damaged.Open(now); }) + "|";
        said += damaged.GetSetting(setting::kText1, "1").toStdString();
        damaged.SaveSetting(setting::kText1, "5");
        return said;
    });
    EXPECT_EQ(messages, "Cannot read the settings file " + dir / "unreadable.ini" + ": Permission denied." +
                            kGoesOn.toStdString() + "|Cannot write the settings file " +
                            dir / "readonly.ini" + ": the file cannot be written.|The settings file " +
                            locked +
                            "/damaged.ini is damaged at line 3 and cannot be set aside: no copy of it can be "
                            "kept beside it (Cannot create " +
                            locked + "/damaged.ini.damaged-20240229-130509 for output: Permission denied)." +
                            kGoesOn.toStdString() + "|1");
    // An immutable file (root may make one) cannot be replaced by the file that keeps what could be read.
    const std::string immutable = dir / "immutable.ini";
    WriteBytes(immutable, "[Brantlewick]\nText1=4\nbroken\n");
    const int fd = ::open(immutable.c_str(), O_RDONLY);
    int flags = 0;
    if (fd >= 0 && ::ioctl(fd, FS_IOC_GETFLAGS, &flags) == 0 &&
        (flags |= FS_IMMUTABLE_FL, ::ioctl(fd, FS_IOC_SETFLAGS, &flags)) == 0) {
        const std::string said = Message([&] { SettingsStore(Q(immutable)).Open(); });
        flags &= ~FS_IMMUTABLE_FL;
        ::ioctl(fd, FS_IOC_SETFLAGS, &flags);
        EXPECT_EQ(said, "The settings file " + immutable +
                            " is damaged at line 3 and cannot be set aside: it "
                            "cannot be replaced (Existing file " +
                            immutable + " is not writable)." + kGoesOn.toStdString());
    }
    ::close(fd);
    ASSERT_EQ(::chmod((dir / "unreadable.ini").c_str(), 0600), 0);
    EXPECT_EQ(ReadBytes(dir / "unreadable.ini") + ReadBytes(dir / "readonly.ini") +
                  ReadBytes(locked + "/damaged.ini"),
              "[Brantlewick]\nText1=4\n[Brantlewick]\nText1=4\n[Brantlewick]\nText1=4\nbroken\n");
    EXPECT_EQ(testing::ListNames(locked), "damaged.ini");
    EXPECT_EQ(testing::ListNames(dir.Path()), "immutable.ini|locked|readonly.ini|unreadable.ini");
}

} // namespace
} // namespace brantlewick
