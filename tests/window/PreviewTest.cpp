// SPDX-License-Identifier: GPL-3.0-or-later
// The preview and the file list's context menu, through the window and the scripted desktop.
#include "TestWindow.h"

#include <QLineEdit>
#include <QRadioButton>

namespace brantlewick::testing {
namespace {

// The result the run would write, with markers where breaks went in and blanks came out, where it would
// go, and whether a file there (or the result of an earlier entry) would be replaced; nothing is written.
// The menu previews, opens the entry's folder and removes it as the double-click does; an open preview
// follows the selection and the options.
TEST(PreviewTest, PagesShowTheMarkedResultItsPathAndAReplacementAndFollowTheOptions) {
    TestWindow test;
    QDir().mkpath(QString::fromStdString(test.dir / "in/sub"));
    QDir().mkpath(QString::fromStdString(test.dir / "out"));
    const auto put = [&](const char* name, const std::string& bytes) { WriteBytes(test.dir / name, bytes); };
    put("in/sub/a.txt", "One.\n");
    put("in/a.txt", "Hi. Bye!");
    put("in/b.txt", "x\xE9. \r\nNo");
    put("in/b-Pellnor.txt", "old");
    put("in/big.txt", std::string(1 << 20, '.'));
    test.Show();
    for (const char* name : {"sub/a.txt", "a.txt", "b.txt", "none.txt", "big.txt", "a.txt"}) {
        test.Files().Append(QString::fromStdString(test.dir / "in/" + name));
    }
    const auto shown = [&] {
        QCoreApplication::processEvents();
        return test.desktop.previews.at(test.desktop.previews.size() - 1);
    };
    const struct {
        int entry;
        const char* folder;             // "": beside the input
        QString shown, output, summary; // shown: the original, "=>", the result
        bool replaces;
    } rows[] = {
        {1, "out", "One.\n=>One.¶\n", "out/a.txt", "", false},
        {2, "", "Hi. Bye!=>Hi.¶\n·Bye!¶\n", "in/a-Pellnor.txt",
         "Breaks inserted: 2, spaces dropped: 1, lines in: 1, out: 2", false},
        {3, "", "x\u00E9. \nNo=>x\u00E9.¶\n·No", "in/b-Pellnor.txt",
         "Breaks inserted: 1, spaces dropped: 1, lines in: 2, out: 2", true},
        {2, "out", "", "out/a-Pellnor.txt", "", false}, // out/a.txt is the earlier a.txt's
        {6, "out", "", "out/a-Pellnor.txt", "", true},  // a second time: replaces the first's result
        {2, "gone", "", "", "", false},
        {4, "", "", "in/none-Pellnor.txt", "cannot open", false},
        {5, "", "", "in/big-Pellnor.txt", "(showing the first 256 KiB of 1.0 MiB)", false},
    };
    for (const auto& row : rows) {
        test.Get<QRadioButton>(*row.folder == 0 ? "Option2" : "Option1").click();
        test.Get<QLineEdit>("Text3").setText(QString::fromStdString(test.dir / row.folder) + "/");
        test.Files().Select(row.entry);
        QTest::keyClick(&test.Files(), Qt::Key_P, Qt::ControlModifier);
        const PreviewPage page = shown();
        EXPECT_EQ((page.original + "=>" + page.result).left(row.shown.size()), row.shown);
        EXPECT_EQ(page.output,
                  row.output.isEmpty() ? "" : QString::fromStdString(test.dir / "") + row.output);
        EXPECT_EQ(page.outputProblem.isEmpty(), !row.output.isEmpty());
        EXPECT_EQ(page.replaces, row.replaces);
        EXPECT_TRUE((page.readProblem + PreviewSummary(page)).contains(row.summary))
            << page.readProblem.size();
    }
    EXPECT_EQ(ListNames(test.dir / "out") + ListNames(test.dir / "in"),
              "a.txt|b-Pellnor.txt|b.txt|big.txt|sub");

    test.Get<QRadioButton>("Option2").click();
    test.Files().Select(2);
    test.desktop.menuAnswers = {0, 1, 2, 2};
    emit test.Files().customContextMenuRequested(QPoint(5, 5));
    EXPECT_EQ(test.desktop.dialogs.back().join('|'),
              "Preview Result...|Open Containing Folder|Remove From List");
    test.Get<QLineEdit>("Text1").setText("2");
    EXPECT_EQ(shown().result, "Hi.¶\n¶\n·Bye!¶\n¶\n");
    test.Characters().Remove(1);
    EXPECT_EQ(shown().result, "Hi. Bye!¶\n¶\n");
    test.Files().Select(1);
    EXPECT_EQ(shown().input, QString::fromStdString(test.dir / "in/sub/a.txt"));
    emit test.Files().customContextMenuRequested(QPoint(5, 5));
    EXPECT_EQ(test.desktop.opened, QStringList{QString::fromStdString(test.dir / "in/sub")});
    test.WhileBusy([&] { emit test.Files().customContextMenuRequested(QPoint(5, 5)); });
    emit test.Files().customContextMenuRequested(QPoint(5, 5));
    EXPECT_EQ(test.Files().Count(), 5);
}

// The path line is the run's own decision, by a dry run of the entries that bear on it (names the suffix
// can make meet): an earlier entry that is not text leaves its name free. The preview's own naming loop took
// every earlier entry as written, and showed "x-Pellnor.txt" where the run wrote "x.txt".
TEST(PreviewTest, ThePathLineIsWhereTheRunWrites) {
    TempDir dir;
    for (const char* folder : {"a", "b", "out"}) {
        QDir().mkpath(QString::fromStdString(dir / folder));
    }
    WriteBytes(dir / "a/x.txt", std::string("x\0", 2));
    WriteBytes(dir / "out/x.txt", "old, deleted before a/x.txt fails and so not replaced by b/x.txt");
    for (const char* name : {"b/x.txt", "b/y.txt", "a/y.txt", "a/y-Pellnor.txt"}) {
        WriteBytes(dir / name, "X. x");
    }
    const std::pair<QStringList, std::string> rows[] = {
        {{"a/x.txt", "b/x.txt"}, "out/x.txt"},
        {{"b/y.txt", "b/x.txt", "a/y.txt", "a/y-Pellnor.txt"}, "out/y-Pellnor-Pellnor.txt"}};
    for (const auto& [names, expected] : rows) {
        QStringList entries;
        for (const QString& name : names) {
            entries.append(QString::fromStdString(dir / name.toStdString()));
        }
        const PreviewPage page =
            MakePreviewPage(entries, static_cast<int>(names.size() - 1), {}, dir / "out");
        EXPECT_EQ(page.output.toStdString() + (page.replaces ? " replaces" : ""), dir / expected);
    }
}

} // namespace
} // namespace brantlewick::testing
