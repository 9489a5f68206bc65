// The main window's start-up and shutdown against a settings file in a temporary folder.
#include "Form1.h"
#include "ListView.h"
#include "ScriptedDesktopServices.h"
#include "SettingsStore.h"
#include "TempDir.h"

#include <QLineEdit>
#include <QRadioButton>

#include <gtest/gtest.h>

namespace brantlewick {
namespace {

using testing::ScriptedDesktopServices;
using testing::TempDir;

TEST(Form1StartupTest, FirstStartShowsTheDefaults) {
    TempDir dir;
    SettingsStore store(QString::fromStdString(dir / "Kestrova.ini"));
    ScriptedDesktopServices desktop;
    desktop.desktopLocation = QStringLiteral("/home/tester/Desktop");
    Form1 form(store, desktop, QString::fromStdString(dir.Path()));
    form.Form_Load();

    EXPECT_EQ(form.windowTitle(), QStringLiteral("Brantlewick"));
    EXPECT_EQ(form.Text1()->text(), QStringLiteral("1"));
    EXPECT_EQ(form.Text3()->text(), QStringLiteral("/home/tester/Desktop/"));
    EXPECT_TRUE(form.Option1()->isChecked());
    EXPECT_EQ(form.ListView2()->Texts(), (QStringList{".", "!", "?"}));
    EXPECT_TRUE(desktop.messages.empty());
    EXPECT_EQ(store.GetSetting(setting::kOutputFolder, QString()), QStringLiteral("/home/tester/Desktop/"));
}

} // namespace
} // namespace brantlewick
