// SPDX-License-Identifier: GPL-3.0-or-later
// The settings store on real INI files in a temporary folder: values, booleans, and files it must not spoil.
#include "SettingsStore.h"
#include "TempDir.h"
#include "Unprivileged.h"

#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <functional>

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

TEST(SettingsStoreTest, EveryWriteIsOnDiskAtOnceAndTheDefaultOnlyServesAKeyNeverWritten) {
    TempDir dir;
    SettingsStore store(Q(dir / "Kestrova.ini"));
    EXPECT_EQ(store.GetSetting(setting::kText1, "1"), "1");
    store.SaveSetting(setting::kText1, QString());
    EXPECT_EQ(store.GetSetting(setting::kText1, "1"), QString());
    store.SaveBoolSetting(setting::kOption1, false);
    store.SaveBoolSetting(setting::kOption2, true);
    store.SaveSetting(setting::kOutputFolder, "/home/a b/Out/");
    EXPECT_EQ(ReadBytes(dir / "Kestrova.ini"),
              "[Brantlewick]\nOption1=False\nOption2=True\nOutput%20Folder=/home/a b/Out/\nText1=\n");
}

TEST(SettingsStoreTest, TheUserStoreIsKestrovaIniInTheConfigurationFolder) {
    TempDir dir;
    ASSERT_EQ(::setenv("XDG_CONFIG_HOME", (dir / "config").c_str(), 1), 0);
    EXPECT_EQ(SettingsStore::DefaultFilePath(), Q(dir / "config/Kestrova.ini"));
    SettingsStore().SaveSetting(setting::kExtension, "txt");
    EXPECT_EQ(ReadBytes(dir / "config/Kestrova.ini"), "[Brantlewick]\nExtension=txt\n");
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
    for (const std::string stored : {"maybe", "", "Yes", "nan", "1x"}) {
        EXPECT_EQ(Message([&] { SettingsStore::ParseBoolSetting(setting::kOption1, Q(stored)); }),
                  "Type mismatch: the setting \"Option1\" holds \"" + stored + "\"" + neither);
    }
    // A huge value is cut in the message, so that the report stays readable.
    EXPECT_EQ(Message([&] { SettingsStore::ParseBoolSetting(setting::kOption1, QString(5000, u'y')); }),
              "Type mismatch: the setting \"Option1\" holds \"" + std::string(60, 'y') +
                  "...\" (5000 characters)" + neither);
}

// A value with commas written by hand reads as one text; other programs' groups outlive a write.
TEST(SettingsStoreTest, HandWrittenValuesAndOtherGroupsSurviveAWrite) {
    TempDir dir;
    const std::string path = dir / "Kestrova.ini";
    WriteBytes(
        path,
        "; by hand\r\n[Other]\r\nnote=first \\\r\n  second\r\n[Brantlewick]\r\nOutput%20Folder=/a, b,c\r\n");
    SettingsStore store(Q(path));
    EXPECT_EQ(store.GetSetting(setting::kOutputFolder, ""), "/a, b, c");
    store.SaveSetting(setting::kText1, "8");
    EXPECT_EQ(ReadBytes(path),
              "[Brantlewick]\nOutput%20Folder=/a, b, c\nText1=8\n\n[Other]\nnote=first   second\n");
}

// A damaged file is refused by every read and write, and never rewritten by them. Recovery keeps a copy
// beside it (never over an earlier copy) and rewrites it with every line that could be read.
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
        {"a # line", "# notes\r\n[Brantlewick]\r\nText1=3\r\n", 1, "[Brantlewick]\r\nText1=3\r\n",
         "1 line that could not be read was"},
        {"bytes that are not UTF-8", "[Other]\nname=caf\xe9\n[Brantlewick]\nText1=3\n", 2,
         "[Other]\n[Brantlewick]\nText1=3\n", "1 line that could not be read was"},
        {"NUL bytes after a crash", std::string("[Brantlewick]\nText1=3\n\0\0\0\0", 26), 3,
         "[Brantlewick]\nText1=3\n", "1 line that could not be read was"},
        {"a value continued onto a damaged line", "[Brantlewick]\nListView2=a \\\n\xff\nText1=3\nb c\n", 3,
         "[Brantlewick]\nText1=3\n", "3 lines that could not be read were"},
    };
    const QDateTime now(QDate(2024, 2, 29), QTime(13, 5, 9));
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
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
        EXPECT_EQ(store.RecoverDamagedFile(now),
                  Q("The settings file " + path + " was damaged at line " + std::to_string(c.line) +
                    " and could not be used as it was.\r\rA copy of it is kept as " + copy +
                    "-3. Every setting that could be read is kept; " + c.leftOut + " left out."));
        EXPECT_EQ(ReadBytes(copy) + "|" + ReadBytes(copy + "-2"), "an earlier copy|another earlier copy");
        EXPECT_EQ(ReadBytes(copy + "-3"), c.content);
        EXPECT_EQ(ReadBytes(path), c.kept);
        EXPECT_EQ(store.GetSetting(setting::kText1, "1"), c.kept.empty() ? "1" : "3");
        EXPECT_FALSE(store.RecoverDamagedFile(now).has_value());
    }
}

TEST(SettingsStoreTest, AFileWithoutPermissionsIsNeitherReadNorReplaced) {
    SKIP_WITHOUT_ORDINARY_USER();
    TempDir dir;
    ASSERT_EQ(::chmod(dir.Path().c_str(), 0777), 0); // reachable for the ordinary user the check runs as
    const std::string path = dir / "Kestrova.ini";
    WriteBytes(path, "[Brantlewick]\nText1=4\n");
    ASSERT_EQ(::chmod(path.c_str(), 0), 0);
    const auto messages = testing::RunAsOrdinaryUser([&] {
        SettingsStore store(Q(path));
        return Message([&] { store.GetSetting(setting::kText1, "1"); }) + "|" +
               Message([&] { store.SaveSetting(setting::kText1, "5"); }) +
               (store.RecoverDamagedFile() ? "|set aside" : "");
    });
    const std::string expected = "Cannot read the settings file " + path + ": Permission denied.";
    EXPECT_EQ(messages, expected + "|" + expected);
    ASSERT_EQ(::chmod(path.c_str(), 0600), 0);
    EXPECT_EQ(ReadBytes(path), "[Brantlewick]\nText1=4\n");
}

} // namespace
} // namespace brantlewick
