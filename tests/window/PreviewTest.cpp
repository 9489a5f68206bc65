// SPDX-License-Identifier: GPL-3.0-or-later
// The preview and the file list's context menu, through the window and the scripted desktop.
#include "Rows.h"
#include "TestWindow.h"
#include "brantlewick/window/PreviewWindow.h"

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
    const QString hiBye = "Breaks inserted: 2, spaces dropped: 1, lines in: 1, out: 2, line ends: CR LF";
    const struct {
        int entry;
        const char* folder;             // "": beside the input
        QString shown, output, summary; // shown: the original, "=>", the result
        bool replaces;
    } rows[] = {
        {1, "out", "One.\n=>One.¶\n↵", "out/a.txt",
         "Breaks inserted: 1, spaces dropped: 0, lines in: 1, out: 1, line ends: CR LF", false},
        {2, "", "Hi. Bye!=>Hi.¶\n·Bye!¶\n", "in/a-Pellnor.txt", hiBye, false},
        {3, "", "x\u00E9. \nNo=>x\u00E9.¶\n·↵No", "in/b-Pellnor.txt",
         "Breaks inserted: 1, spaces dropped: 1, lines in: 2, out: 2, line ends: CR LF", true},
        // out/a.txt is the earlier a.txt's; a second time, the result replaces the first's.
        {2, "out", "Hi. Bye!", "out/a-Pellnor.txt", hiBye, false},
        {6, "out", "Hi. Bye!", "out/a-Pellnor.txt", hiBye, true},
        {2, "gone", "Hi. Bye!", "", hiBye, false},
        {4, "", "=>", "in/none-Pellnor.txt",
         QString::fromStdString('"' + test.dir / "in/none.txt" +
                                "\": cannot open: No such file or directory"),
         false},
        {5, "", "......", "in/big-Pellnor.txt",
         "Breaks inserted: 100000, spaces dropped: 0, lines in: 1, out: 100000, line ends: CR LF (showing "
         "the "
         "first 98 KiB of 1.0 MiB: the result of more is too long to show here)",
         false},
    };
    FOR_EACH_ROW(row, rows) {
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
        EXPECT_EQ(page.readProblem.isEmpty() ? PreviewSummary(page) : page.readProblem, row.summary);
    }
    EXPECT_EQ(ListNames(test.dir / "out") + ListNames(test.dir / "in"),
              "a.txt|b-Pellnor.txt|b.txt|big.txt|sub");

    test.Get<QRadioButton>("Option2").click();
    test.Files().Select(2);
    test.desktop.menuAnswers = {0, 1, 2, 2};
    emit test.Files().customContextMenuRequested(QPoint(5, 5));
    EXPECT_EQ(test.desktop.dialogs.back().join('|'),
              "&Preview Result...\tCtrl+P|Open &Containing Folder|&Remove From List");
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
    FOR_EACH_ROW(row, rows) {
        const auto& [names, expected] = row;
        QStringList entries;
        for (const QString& name : names) {
            entries.append(QString::fromStdString(dir / name.toStdString()));
        }
        const PreviewPage page =
            MakePreviewPage(entries, static_cast<int>(names.size() - 1), {}, dir / "out");
        EXPECT_EQ(page.output.toStdString() + (page.replaces ? " replaces" : ""), dir / expected);
    }
}

QChar Glyph(PreviewMarker kind) {
    constexpr QChar kGlyphs[] = {kBreakMarker, kBlankMarker, kJoinedLineMarker, kAddedLineMarker,
                                 kContinuedMarker};
    return kGlyphs[static_cast<int>(kind)];
}

// The sentence mode's breaks and dropped blanks went unmarked while the counts below said how many there
// were, and no mode marked the input's own line breaks it took out. Every mode and line choice now marks
// what it changes, a paragraph break that the line choice adds included; a line of thousands of
// characters is cut for the screen (a preview of one 256 KiB word took seconds), after a blank when one
// is near, and every mark stands on its marker. A Markdown file is previewed as the run converts it, as
// Markdown; the preview once took every break for CR LF and lost its way after Markdown's LF breaks and
// the quote markers that follow them.
TEST(PreviewTest, EveryModeAndLineChoiceMarksWhatItChanges) {
    const std::string wrapped = "  Wrapped line\n  goes on.  \n\n\n\nNext para. Two.";
    const struct {
        bool sentences;
        LineBreaks lines;
        std::string text;
        QString result;
        int enters = 1;
        const char* name = "text.txt";
    } rows[] = {
        {false, LineBreaks::Join, "Hello\nworld. Foo", "Hello↵world.¶\n·Foo"},
        {false, LineBreaks::Keep, "a. \r\nb", "a.¶\n·\nb"},
        {false, LineBreaks::Keep, "Dr. Smith came.\nHe left. \n", "Dr.¶\n·Smith came.¶\n\nHe left.¶\n·\n"},
        {false, LineBreaks::Reflow, "Hello\nworld. Foo", "Hello↵ world.¶\n·Foo⏎\n"},
        {false, LineBreaks::Reflow, wrapped, "Wrapped line↵ goes on.¶\n\n↵↵↵Next para.¶\n·Two.¶\n"},
        {true, LineBreaks::Join, "Dr. Smith came.\nHe left. \n", "Dr. Smith came.¶\n↵He left.¶\n·↵"},
        {true, LineBreaks::Join, "a. \r\nb", "a. ↵b"},
        {true, LineBreaks::Keep, wrapped, "  Wrapped line\n  goes on.··\n\n\n\nNext para. Two.¶\n"},
        {true, LineBreaks::Reflow, "Hi. Bye!", "Hi.¶\n·Bye!⏎\n"},
        {true, LineBreaks::Reflow, wrapped, "Wrapped line↵ goes on.\n\n↵↵Next para. Two.⏎\n"},
        {true, LineBreaks::Reflow, "Dr. Smith came.\nHe left. \n", "Dr. Smith came.¶\n·↵He left.\n"},
        {false, LineBreaks::Join, std::string(5000, 'a') + ". Next.",
         QString(4000, u'a') + "\n↪" + QString(1000, u'a') + ".¶\n·Next.¶\n"},
        {false, LineBreaks::Keep, std::string(3990, 'b') + " " + std::string(100, 'c'),
         QString(3990, u'b') + " \n↪" + QString(100, u'c')},
        {false, LineBreaks::Keep,
         std::string(3900, 'x') + " " + std::string(50, 'y') + ". " + std::string(100, 'z'),
         QString(3900, u'x') + " \n↪" + QString(50, u'y') + ".·" + QString(100, u'z'), 0},
        {true, LineBreaks::Join, "Hi. Bye!\n", "Hi.¶\n·Bye!\n", 1, "a.md"},
        {true, LineBreaks::Join, "> Hi.  Bye! `x`\r\n", "> Hi.¶\n> ··Bye!¶\n> ·`x`\n", 3, "a.MARKDOWN"},
        {true, LineBreaks::Keep, "- Hi. Bye.\n  No. *Go.*\n", "- Hi.¶\n  ·Bye.\n  No.¶\n  ·*Go.*\n", 1,
         "a.mkd"},
    };
    TempDir dir;
    for (const auto& row : rows) {
        SCOPED_TRACE(row.text.substr(0, 40));
        const std::string path = dir / row.name;
        WriteBytes(path, row.text);
        ConversionOptions options;
        options.sentences = row.sentences;
        options.lines = row.lines;
        options.enterCount = row.enters;
        const PreviewPage page = MakePreviewPage({QString::fromStdString(path)}, 0, options, std::nullopt);
        EXPECT_EQ(page.result, row.result);
        EXPECT_EQ(page.result.count(kBreakMarker), page.counts.breaksInserted);
        EXPECT_EQ(page.result.count(kBlankMarker), page.counts.spacesDropped);
        for (const auto* shown : {&page.result, &page.original}) {
            for (const PreviewMark& mark : shown == &page.result ? page.marks : page.originalMarks) {
                EXPECT_EQ(shown->mid(mark.at, mark.length), QString(mark.length, Glyph(mark.kind)));
            }
        }
    }
}

// The preview says which line ends the result has, and when they are mixed.
TEST(PreviewTest, TheLineEndsOfTheResultAreNamed) {
    const std::pair<std::string_view, const char*> rows[] = {{"a\r\nb\r\n", "CR LF"},
                                                             {"a\nb", "LF"},
                                                             {"a\rb\r", "CR"},
                                                             {"ab", "none"},
                                                             {"a\r\nb\nc\r", "mixed: CR LF and LF and CR"},
                                                             {"a\n\r\n", "mixed: CR LF and LF"}};
    FOR_EACH_ROW(row, rows) {
        EXPECT_EQ(LineEndsOf(row.first), row.second);
    }
}

// It opens beside the main window, where the options it follows stay in sight: to the right, else to
// the left, below or above; where none has room, as near to the right as the screen lets it.
TEST(PreviewTest, ThePreviewOpensBesideTheMainWindow) {
    const QSize size(1000, 640);
    const QRect main(100, 100, 1080, 500);
    const struct {
        QRect main, screen, place;
    } rows[] = {
        {main, {0, 0, 2560, 1440}, {1188, 100, 1000, 640}},
        {QRect(1400, 200, 1080, 500), {0, 0, 2560, 1440}, {392, 200, 1000, 640}},
        {QRect(400, 0, 1080, 500), {0, 0, 1920, 1200}, {400, 508, 1000, 640}},
        {QRect(400, 700, 1080, 500), {0, 0, 1920, 1200}, {400, 52, 1000, 640}},
        {main, {0, 0, 1920, 1080}, {920, 100, 1000, 640}},
        {QRect(2000, 100, 1080, 500), {1920, 0, 1920, 1080}, {2840, 100, 1000, 640}},
        {main, {0, 0, 800, 600}, {0, 0, 1000, 640}},
    };
    FOR_EACH_ROW(row, rows) {
        EXPECT_EQ(PreviewPlace(row.main, size, row.screen), row.place);
    }
}

} // namespace
} // namespace brantlewick::testing
