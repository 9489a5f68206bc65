// SPDX-License-Identifier: GPL-3.0-or-later
// The preview and the file list's context menu, through the window and the scripted desktop.
#include "Contrast.h"
#include "Rows.h"
#include "TestWindow.h"
#include "brantlewick/window/PreviewWindow.h"
#include "brantlewick/window/QtDesktopServices.h"

#include <QLineEdit>
#include <QRadioButton>

#include <map>

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
    const auto shown = [&] { return test.ShownPreview(); };
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

// It opens beside the main window in the largest room there is, frames counted, fitted to it: the panes
// side by side ("=") where it is wide, one above the other ("|") where it is tall. Where no room beside it
// holds a preview, it lies over the file list's column and what is left of and above it, clear of the
// options and "Start Adding". The main window is centred or at the left, right, top or bottom edge; at
// scale 2 the screen has half as many pixels as the main window sees. It once opened over the options on
// a 1600 x 1000 screen, and covered the main window's title bar when above it.
TEST(PreviewTest, ThePreviewOpensInTheLargestRoomBesideTheMainWindow) {
    const struct {
        int width, height, scale;
        const char* places; // centred, left, right, top, bottom
    } screens[] = {
        {1366, 768, 1, "over| over| over= over= over|"},
        {1600, 900, 1, "over| right| left| below= above="},
        {1600, 1000, 1, "over| right| left| below= above="},
        {1920, 1080, 1, "right| right= left= below= above="},
        {2560, 1440, 1, "right| right= left= below= above="},
        {3840, 2160, 1, "right= right= left= right= right="},
        {1366, 768, 2, "over= over= over= over= over="},
        {1600, 900, 2, "over= over= over= over= over="},
        {1600, 1000, 2, "over= over= over= over= over="},
        {1920, 1080, 2, "over= over= over= over= over="},
        {2560, 1440, 2, "over| over| over| over= over|"},
        {3840, 2160, 2, "right| right= left= below= above="},
    };
    const QMargins frame(1, 30, 1, 1);
    const QSize main = QSize(1064, 498).grownBy(frame);
    FOR_EACH_ROW(row, screens) {
        const QRect screen(0, 0, row.width / row.scale, row.height / row.scale);
        const QPoint centred((screen.width() - main.width()) / 2, (screen.height() - main.height()) / 2);
        const QPoint right(screen.width() - main.width(), centred.y()),
            bottom(centred.x(), screen.height() - main.height());
        QStringList places;
        for (const QPoint wanted : {centred, QPoint(0, centred.y()), right, QPoint(centred.x(), 0), bottom}) {
            // A window manager keeps the title bar on the screen.
            const QRect mainFrame(QPoint(std::max(0, wanted.x()), std::max(0, wanted.y())), main);
            const QRect list(mainFrame.topLeft() + QPoint(frame.left(), frame.top()), QSize(536, 408));
            const PreviewPlacement placement = PreviewPlace(mainFrame, list, screen);
            const QRect& at = placement.frame;
            const QString side = !at.intersects(mainFrame) ? at.left() > mainFrame.right()   ? "right"
                                                             : at.right() < mainFrame.left() ? "left"
                                                             : at.top() > mainFrame.bottom() ? "below"
                                                                                             : "above"
                                 : at.right() < list.right() - 7 && at.bottom() < list.bottom() - 7
                                     ? "over"
                                     : "covers options";
            places.append(side + (placement.panes == Qt::Horizontal ? "=" : "|"));
            EXPECT_TRUE(screen.contains(at))
                << at.x() << "," << at.y() << " " << at.width() << "x" << at.height();
            if (side != "over") {
                EXPECT_TRUE((at.width() >= 640 && at.height() >= 360) ||
                            (at.width() >= 400 && at.height() >= 480));
            }
        }
        EXPECT_EQ(places.join(' '), row.places);
    }
}

// The preview follows the main window as long as the user leaves it where it opened; once moved, it stays,
// and the place is kept for the screens as they are set up, for the next time it opens. It used to stay
// where it first opened, behind a main window that had moved.
TEST(PreviewTest, ThePreviewFollowsTheMainWindowUntilTheUserPlacesItAndRemembersThePlace) {
    struct Places : PreviewPlaces {
        std::map<QString, QRect> kept;
        std::optional<QRect> Remembered(const QString& screens) override {
            const auto found = kept.find(screens);
            return found != kept.end() ? std::optional(found->second) : std::nullopt;
        }
        void Remember(const QString& screens, const QRect& frame) override { kept[screens] = frame; }
    } places;
    QWidget main;
    main.setGeometry(20, 20, 200, 400); // on a screen of 800 x 600: the room is on the right
    main.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&main));
    const auto preview = [&] { return main.findChild<PreviewWindow*>(); };
    const auto settle = [] { QTest::qWait(50); };
    PreviewPage page;
    page.input = "/a.txt";
    {
        QtDesktopServices desktop;
        desktop.ShowPreview(&main, page, false, &places);
        settle();
        const QRect opened = preview()->frameGeometry();
        EXPECT_GT(opened.left(), main.frameGeometry().right());
        main.move(40, 60);
        settle();
        // Within the frame's width: the frame is known only once the preview is on the screen.
        EXPECT_NEAR(preview()->frameGeometry().left() - opened.left(), 20, 2);
        EXPECT_TRUE(places.kept.empty());
        preview()->move(300, 200);
        settle();
        EXPECT_EQ(places.kept, (std::map<QString, QRect>{{ScreenSetUp(), preview()->frameGeometry()}}));
        main.move(20, 20);
        settle();
        EXPECT_EQ(preview()->frameGeometry().topLeft(), QPoint(300, 200));
        delete preview();
    }
    QtDesktopServices desktop;
    desktop.ShowPreview(&main, page, false, &places);
    settle();
    EXPECT_EQ(preview()->frameGeometry().topLeft(), QPoint(300, 200));
}

// What the preview shows is made anew after a run (the result it would replace is there now) and when
// its file changes on disk. It used to show the state of before until another entry was clicked.
TEST(PreviewTest, ThePreviewIsShownAnewAfterARunAndWhenItsFileChanges) {
    TestWindow test;
    test.Show();
    const std::string input = test.dir / "a.txt";
    WriteBytes(input, "Hi. Bye.");
    test.Files().Append(QString::fromStdString(input));
    test.Get<QRadioButton>("Option2").click();
    QTest::keyClick(test.form.get(), Qt::Key_P, Qt::ControlModifier);
    EXPECT_FALSE(test.ShownPreview().replaces);
    test.Click("PushButton2");
    EXPECT_TRUE(test.ShownPreview().replaces);
    WriteBytes(input, "No. Yes.");
    EXPECT_TRUE(test.ShownPreview().original.startsWith("No."));
}

// The markers' tiles stayed light in dark themes and the dropped blank's dot was hard to see in any: each
// glyph now stands out from its tile and from the base by at least 4.5:1, in light and dark palettes.
TEST(PreviewTest, MarkersStandOutInLightAndDarkPalettes) {
    for (const QColor base : {QColor(Qt::white), QColor(0xf5f5f5), QColor(0x1e1e1e), QColor(0x2b2b2b),
                              QColor(0x353535), QColor(0x808080)}) {
        QPalette palette;
        palette.setColor(QPalette::Base, base);
        for (int kind = 0; kind < 5; ++kind) {
            const MarkerColours colours = MarkerColoursOn(static_cast<PreviewMarker>(kind), palette);
            EXPECT_GE(ContrastRatio(colours.glyph, colours.tile), 4.5) << base.name().toStdString() << kind;
            EXPECT_GE(ContrastRatio(colours.glyph, base), 4.5) << base.name().toStdString() << kind;
        }
    }
}

} // namespace
} // namespace brantlewick::testing
