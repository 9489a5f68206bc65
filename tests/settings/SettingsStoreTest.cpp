// The settings store on a real INI file in a temporary folder.
#include "SettingsStore.h"
#include "TempDir.h"

#include <gtest/gtest.h>

namespace brantlewick {
namespace {

using testing::ReadBytes;
using testing::TempDir;
using testing::WriteBytes;

TEST(SettingsStoreTest, DefaultOnlyForAKeyNeverWritten) {
    TempDir dir;
    SettingsStore store(QString::fromStdString(dir / "Kestrova.ini"));
    EXPECT_EQ(store.GetSetting(setting::kText1, QStringLiteral("1")), QStringLiteral("1"));
    store.SaveSetting(setting::kText1, QString());
    EXPECT_EQ(store.GetSetting(setting::kText1, QStringLiteral("1")), QString());
    EXPECT_EQ(ReadBytes(dir / "Kestrova.ini"), "[Brantlewick]\nText1=\n");
}

} // namespace
} // namespace brantlewick
