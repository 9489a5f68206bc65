// The three add buttons and dropping on the file list, with scripted dialogs and real temporary trees.
#include "ListView.h"
#include "QtDesktopServices.h"
#include "TestWindow.h"

#include <QCoreApplication>
#include <QDir>
#include <QDropEvent>
#include <QMimeData>
#include <QUrl>

#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <functional>
#include <optional>
#include <stdexcept>
#include <utility>

namespace brantlewick {
namespace {

using testing::ExpectedReport;
using testing::TestWindow;

const QString kTitle = QStringLiteral("Brantlewick");
const QString kClick3 = QStringLiteral("in Moravelle2021/08/31.Form1.PushButton3_Click ");
const QString kScan = QStringLiteral("in Tovarquin2021/08/31.AddFolder.GetSubDirectories2016 ");
const QString kGone = QStringLiteral("The window system went away.");
const QString kSamplesQuestion =
    QStringLiteral("Would you like this software to open the folder where these sample files are stored (so "
                   "that you can view them before working with them)?");

// Creates `root` and the entries below it: a name ending in "/" is a folder, any other a small file.
void MakeTree(const std::string& root, std::initializer_list<const char*> entries) {
    ASSERT_TRUE(QDir().mkpath(QString::fromStdString(root))) << root;
    for (const std::string entry : entries) {
        if (entry.ends_with('/')) {
            ASSERT_TRUE(QDir().mkpath(QString::fromStdString(root + "/" + entry))) << entry;
        } else {
            testing::WriteBytes(root + "/" + entry, "One. Two.\n");
        }
    }
}

// The texts with `root` cut off the front, so that expectations read "/A/a.txt".
QStringList Relative(const QStringList& texts, const std::string& root) {
    const QString prefix = QString::fromStdString(root);
    QStringList relative;
    for (const QString& text : texts) {
        relative.append(text.startsWith(prefix) ? text.mid(prefix.size()) : "outside: " + text);
    }
    return relative;
}

QString Setting(const TestWindow& test, const QString& key) {
    return SettingsStore(QString::fromStdString(test.SettingsPath())).GetSetting(key, "(none)");
}

// ---- Add All File(s) In Folder ------------------------------------------------------------------------

TEST(Form1AddFolderTest, TheClickStopsWhereTheUserCancelsAndStoresWhatWasAnswered) {
    const struct {
        const char* name;
        std::vector<QString> inputAnswers;
        bool pickFolder;
        int pickersShown;
        const char* extensionAfter;
        QStringList entries; // "TREE" stands for the picked folder
    } cases[] = {
        {"extension box cancelled", {}, false, 0, "doc", {"/kept"}},
        {"extension box confirmed empty", {""}, true, 0, "doc", {"/kept"}},
        {"folder picker cancelled", {"txt"}, false, 1, "txt", {"/kept"}},
        {"folder picked", {"txt"}, true, 1, "txt", {"/kept", "TREE/a.txt", "TREE/sub/b.txt"}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        TestWindow test;
        test.WriteSettings("[Brantlewick]\nExtension=doc\nLastFolder=/old/place\n");
        const QString tree = QString::fromStdString(test.dir / "tree");
        MakeTree(tree.toStdString(), {"a.txt", "a.doc", "sub/", "sub/b.txt"});
        Form1& form = test.Load();
        form.ListView1()->Append("/kept");
        test.desktop.inputAnswers.assign(c.inputAnswers.begin(), c.inputAnswers.end());
        if (c.pickFolder) {
            test.desktop.folderAnswers.push_back(tree);
        }
        std::vector<PointerState> pointersDuringScan;
        QString lastFolderDuringScan;
        test.desktop.onProcessEvents = [&] {
            pointersDuringScan.push_back(form.MousePointer());
            lastFolderDuringScan = Setting(test, "LastFolder");
        };

        form.PushButton3_Click();

        ASSERT_EQ(test.desktop.inputBoxes.size(), 1u);
        EXPECT_EQ(test.desktop.inputBoxes[0].prompt,
                  "Enter file extension to load:\r\r(* for all files, txt for all txt files, doc for all doc "
                  "files, etc.)");
        EXPECT_EQ(test.desktop.inputBoxes[0].caption, kTitle);
        EXPECT_EQ(test.desktop.inputBoxes[0].defaultText, "doc");
        ASSERT_EQ(static_cast<int>(test.desktop.folderPickers.size()), c.pickersShown);
        if (c.pickersShown > 0) {
            EXPECT_EQ(test.desktop.folderPickers[0].owner, &form);
            EXPECT_EQ(test.desktop.folderPickers[0].title, "Please select folder:");
            EXPECT_EQ(test.desktop.folderPickers[0].initialFolder, "/old/place");
        }
        EXPECT_EQ(Setting(test, "Extension"), c.extensionAfter);
        const bool scanned = c.entries.size() > 1;
        EXPECT_EQ(Setting(test, "LastFolder"), scanned ? tree : "/old/place");
        EXPECT_EQ(form.ListView1()->Texts(), QStringList(c.entries).replaceInStrings("TREE", tree));
        EXPECT_EQ(form.MousePointer(), PointerState::Default);
        EXPECT_TRUE(test.desktop.messages.empty());
        // The folder is stored before the collection starts; the window yields once per folder or more,
        // with the hourglass showing all along.
        EXPECT_EQ(lastFolderDuringScan, scanned ? tree : "");
        EXPECT_EQ(pointersDuringScan.size() >= 2, scanned);
        EXPECT_EQ(pointersDuringScan, std::vector<PointerState>(scanned ? pointersDuringScan.size() : 0,
                                                                PointerState::Hourglass));
    }
}

// The collection rules themselves are the folder scan's (tested there); here the extension becomes the
// pattern, and the files come in level order.
TEST(Form1AddFolderTest, TheExtensionPicksTheFilesInLevelOrder) {
    const std::pair<const char*, QStringList> cases[] = {
        {"txt", {"/a.txt", "/B.TXT", "/A/a1.txt", "/B/b.txt", "/A/A1/deep.txt"}},
        {"*", {"/a.txt", "/a.txt.bak", "/B.TXT", "/noext", "/A/a1.txt", "/B/b.txt", "/A/A1/deep.txt"}},
        {"t?t", {"/a.txt", "/B.TXT", "/A/a1.txt", "/B/b.txt", "/A/A1/deep.txt"}},
        {"pdf", {}},
        {"bak", {"/a.txt.bak"}},
    };
    TestWindow test;
    const std::string tree = test.dir / "tree";
    MakeTree(tree, {"a.txt", "B.TXT", "a.txt.bak", "~x.txt", ".hidden.txt", "noext", "A/", "A/a1.txt",
                    "A/A1/", "A/A1/deep.txt", "B/", "B/b.txt"});
    Form1& form = test.Load();
    for (const auto& [extension, entries] : cases) {
        SCOPED_TRACE(extension);
        form.ListView1()->clear();
        test.desktop.inputAnswers = {extension};
        test.desktop.folderAnswers = {QString::fromStdString(tree)};
        form.PushButton3_Click();
        EXPECT_EQ(Relative(form.ListView1()->Texts(), tree), entries);
        EXPECT_EQ(Setting(test, "Extension"), extension);
    }
    // A second run on the same folder (the last above) lists every file again.
    test.desktop.inputAnswers = {"bak"};
    test.desktop.folderAnswers = {QString::fromStdString(tree)};
    form.PushButton3_Click();
    EXPECT_EQ(Relative(form.ListView1()->Texts(), tree), (QStringList{"/a.txt.bak", "/a.txt.bak"}));
    EXPECT_TRUE(test.desktop.messages.empty());
}

TEST(Form1AddFolderTest, FailuresDuringTheCollectionAreReportedAndThePointerComesBack) {
    TestWindow test;
    const std::string tree = test.dir / "tree";
    MakeTree(tree, {"a.txt"});
    Form1& form = test.Load();
    form.ListView1()->Append("/kept");
    test.desktop.inputAnswers = {"*"};
    test.desktop.folderAnswers = {QString::fromStdString(tree)};
    test.desktop.onProcessEvents = [] { throw std::runtime_error(kGone.toStdString()); };

    form.PushButton3_Click();

    // The scan's own trap reports its failing statement and goes on; the failure that leaves the scan is
    // the click's, at the line of the collection, and the click still resets the pointer.
    EXPECT_EQ(test.ErrorReports(),
              (QStringList{ExpectedReport(kGone, kScan, 106), ExpectedReport(kGone, kClick3, 116)}));
    EXPECT_EQ(form.ListView1()->Texts(), QStringList{"/kept"});
    EXPECT_EQ(form.MousePointer(), PointerState::Default);
}

TEST(Form1AddFolderTest, AnUnreadableSettingsFileIsReportedAtEachUseAndNothingIsCollected) {
    TestWindow test;
    Form1& form = test.Load();
    // A folder where the settings file should be: it can be neither read nor written.
    ASSERT_EQ(::unlink(test.SettingsPath().c_str()), 0);
    ASSERT_TRUE(QDir().mkpath(QString::fromStdString(test.SettingsPath())));
    test.desktop.inputAnswers = {"txt"};
    test.desktop.folderAnswers = {QString::fromStdString(test.dir.Path())};

    form.PushButton3_Click();

    const QString failure =
        QStringLiteral("Cannot read the settings file %1: it is a folder.").arg(test.SettingsPath().c_str());
    EXPECT_EQ(test.ErrorReports(),
              (QStringList{ExpectedReport(failure, kClick3, 100), ExpectedReport(failure, kClick3, 106),
                           ExpectedReport(failure, kClick3, 108)}));
    // The box was asked without a preset; the picker never opened, so nothing was scanned.
    EXPECT_EQ(test.desktop.inputBoxes.at(0).defaultText, "");
    EXPECT_TRUE(test.desktop.folderPickers.empty());
    EXPECT_EQ(form.ListView1()->Count(), 0);
    EXPECT_EQ(form.MousePointer(), PointerState::Default);
}

TEST(Form1AddFolderTest, TheHourglassStaysUntilTheLastOfTwoOverlappingAddsEnds) {
    TestWindow test;
    MakeTree(test.dir / "first", {"1.txt"});
    MakeTree(test.dir / "second", {"2.txt"});
    Form1& form = test.Load();
    test.desktop.inputAnswers = {"*", "*"};
    test.desktop.folderAnswers = {QString::fromStdString(test.dir / "first"),
                                  QString::fromStdString(test.dir / "second")};
    bool startedSecond = false;
    std::optional<PointerState> afterSecond;
    test.desktop.onProcessEvents = [&] {
        if (!std::exchange(startedSecond, true)) {
            form.PushButton3_Click(); // a click delivered while the first add yields
            afterSecond = form.MousePointer();
        }
    };

    form.PushButton3_Click();

    EXPECT_EQ(afterSecond, PointerState::Hourglass);
    EXPECT_EQ(form.MousePointer(), PointerState::Default);
    EXPECT_EQ(Relative(form.ListView1()->Texts(), test.dir.Path()),
              (QStringList{"/second/2.txt", "/first/1.txt"}));
}

// ---- Add File(s) --------------------------------------------------------------------------------------

TEST(Form1AddFilesTest, TheDialogsChoiceIsAppendedInItsOrder) {
    const struct {
        const char* name;
        testing::FileDialogAnswer answer;
        QStringList entries;
        QStringList messages;
    } cases[] = {
        {"cancelled", {}, {"/kept"}, {}},
        {"one file, kept as returned", {{"/texts//a.txt"}, false, {}}, {"/kept", "/texts//a.txt"}, {}},
        {"the same file again", {{"/kept"}, false, {}}, {"/kept", "/kept"}, {}},
        {"several files, cleaned, in the dialog's order",
         {{"/texts//b.txt", "/texts//a.txt", "/texts/c.txt"}, false, {}},
         {"/kept", "/texts/b.txt", "/texts/a.txt", "/texts/c.txt"},
         {}},
        {"several files in the root", {{"//a.txt", "//b.txt"}, false, {}}, {"/kept", "/a.txt", "/b.txt"}, {}},
        {"too many files",
         {{}, true, {}},
         {"/kept"},
         {"You've selected too many files to add.\r\rPlease try adding via the \"Add All\" button."}},
        {"another failure of the dialog",
         {{}, false, "The dialog could not be created."},
         {"/kept"},
         {ExpectedReport("The dialog could not be created.",
                         QStringLiteral("in Moravelle2021/08/31.Form1.PushButton1_Click "), 100)}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        TestWindow test;
        Form1& form = test.Load();
        form.ListView1()->Append("/kept");
        test.desktop.fileAnswers = {c.answer};

        form.PushButton1_Click();

        ASSERT_EQ(test.desktop.fileDialogs.size(), 1u);
        EXPECT_EQ(test.desktop.fileDialogs[0].title,
                  "Add File(s) - Hold Ctrl or Shift to select multiple files");
        EXPECT_EQ(test.desktop.fileDialogs[0].filter, "All Files (*.*)|*.*|");
        EXPECT_EQ(form.ListView1()->Texts(), c.entries);
        EXPECT_EQ(test.desktop.MessageTexts(), c.messages);
        for (const auto& message : test.desktop.messages) {
            EXPECT_EQ(message.buttons, MessageButtons::Ok);
            if (message.caption != "Application Error") {
                EXPECT_EQ(message.caption, kTitle);
                EXPECT_EQ(message.icon, MessageIcon::None);
            }
        }
    }
}

TEST(Form1AddFilesTest, TheDialogsFilterTakesQtsFormAndAllFilesMeansEveryName) {
    const std::pair<const char*, const char*> cases[] = {
        {"All Files (*.*)|*.*|", "All Files (*)"},
        {"Texts (*.txt)|*.txt;*.text|All Files (*.*)|*.*|", "Texts (*.txt *.text);;All Files (*)"},
        {"Plain texts|*.txt|", "Plain texts (*.txt)"},
        {"", ""},
    };
    for (const auto& [given, qt] : cases) {
        EXPECT_EQ(QtFileDialogFilter(given), qt) << given;
    }
}

// ---- Load Sample/Example Files ------------------------------------------------------------------------

TEST(Form1SamplesTest, SamplesMissingFromTheListAreAddedAndTheQuestionComesEveryTime) {
    TestWindow test;
    const std::string samples = test.ProgramFolder() + "/Samples";
    MakeTree(samples, {"b.txt", "A.txt", ".notes", "sub/", "sub/inner.txt"});
    const QString s = QString::fromStdString(samples) + "/";
    Form1& form = test.Load();
    // The same file in other letter case is another text: it does not keep the sample out.
    const QString otherCase = QString::fromStdString(test.ProgramFolder()) + "/samples/a.txt";
    form.ListView1()->Append(otherCase);

    const struct {
        const char* step;
        std::function<void()> before;
        MessageAnswer answer;
        QStringList entries;
        QStringList opened;
    } steps[] = {
        {"first click", [] {}, MessageAnswer::No, {otherCase, s + ".notes", s + "A.txt", s + "b.txt"}, {}},
        {"second click adds nothing",
         [] {},
         MessageAnswer::Yes,
         {otherCase, s + ".notes", s + "A.txt", s + "b.txt"},
         {s}},
        {"a removed sample comes back at the end",
         [&] { form.ListView1()->Remove(2); },
         MessageAnswer::No,
         {otherCase, s + "A.txt", s + "b.txt", s + ".notes"},
         {s}},
        {"a deleted sample file is not added",
         [&] {
             form.ListView1()->Remove(3);
             ASSERT_EQ(::unlink((samples + "/b.txt").c_str()), 0);
         },
         MessageAnswer::Yes,
         {otherCase, s + "A.txt", s + ".notes"},
         {s, s}},
    };
    for (const auto& step : steps) {
        SCOPED_TRACE(step.step);
        step.before();
        test.desktop.messages.clear();
        test.desktop.messageAnswers = {step.answer};
        form.PushButton5_Click();
        EXPECT_EQ(form.ListView1()->Texts(), step.entries);
        EXPECT_EQ(test.desktop.openedFolders, step.opened);
        ASSERT_EQ(test.desktop.messages.size(), 1u);
        EXPECT_EQ(test.desktop.messages[0].text, kSamplesQuestion);
        EXPECT_EQ(test.desktop.messages[0].caption, kTitle);
        EXPECT_EQ(test.desktop.messages[0].icon, MessageIcon::None);
        EXPECT_EQ(test.desktop.messages[0].buttons, MessageButtons::YesNo);
    }
}

TEST(Form1SamplesTest, WithoutASamplesFolderNothingIsAddedButTheQuestionStillComes) {
    TestWindow test;
    Form1& form = test.Load();
    test.desktop.messageAnswers = {MessageAnswer::Yes};
    form.PushButton5_Click();
    EXPECT_EQ(form.ListView1()->Count(), 0);
    EXPECT_EQ(test.desktop.MessageTexts(), QStringList{kSamplesQuestion});
    EXPECT_EQ(test.desktop.openedFolders,
              QStringList{QString::fromStdString(test.ProgramFolder()) + "/Samples/"});
}

TEST(Form1SamplesTest, TheShippedSamplesAreFoundBesideTheBuiltProgram) {
    TestWindow test;
    Form1 form(test.settings, test.desktop, QStringLiteral(BRANTLEWICK_PROGRAM_DIR));
    form.Form_Load();
    form.PushButton5_Click();
    const QString s = QStringLiteral(BRANTLEWICK_PROGRAM_DIR "/Samples/");
    EXPECT_EQ(form.ListView1()->Texts(),
              (QStringList{s + "Abbreviations and decimals.txt", s + "French with spaced marks.txt",
                           s + "Japanese sentence marks.txt", s + "River story (LF line ends).txt",
                           s + "Street party notice (CR LF line ends).txt"}));
}

// ---- Drag and drop ------------------------------------------------------------------------------------

struct DragResult {
    bool enterAccepted;
    bool moveAccepted;
    Qt::DropAction action;
};

// Drags the local files `relative` (or `data` as given) over the file list and drops them there, as the
// window system delivers a drop.
DragResult DragAndDrop(Form1& form, QMimeData& data, const std::string& root = {},
                       std::initializer_list<const char*> relative = {},
                       Qt::DropActions offered = Qt::CopyAction | Qt::MoveAction) {
    QList<QUrl> urls;
    for (const char* path : relative) {
        urls.append(QUrl::fromLocalFile(QString::fromStdString(root + path)));
    }
    if (!urls.isEmpty()) {
        data.setUrls(urls);
    }
    QWidget* target = form.ListView1()->viewport();
    QDragEnterEvent enter(QPoint(20, 20), offered, &data, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(target, &enter);
    QDragMoveEvent move(QPoint(30, 30), offered, &data, Qt::LeftButton, Qt::NoModifier);
    const Qt::DropAction proposed = (offered & Qt::MoveAction) != 0 ? Qt::MoveAction : Qt::LinkAction;
    move.setDropAction(proposed);
    QCoreApplication::sendEvent(target, &move);
    DragResult result{enter.isAccepted(), move.isAccepted(), move.dropAction()};
    // The drop comes even when the drag was refused: a window system may deliver it all the same.
    {
        QDropEvent drop(QPointF(30, 30), offered, &data, Qt::LeftButton, Qt::NoModifier);
        drop.setDropAction(proposed);
        QCoreApplication::sendEvent(target, &drop);
        result.action = drop.isAccepted() ? drop.dropAction() : Qt::IgnoreAction;
    }
    return result;
}

TEST(Form1DropTest, DroppedFilesAreAddedAsTheyAreAndDroppedFoldersAreCollected) {
    TestWindow test;
    const std::string root = test.dir / "drop";
    MakeTree(root, {"files/", "files/report.txt", "files/~draft.txt", "files/.hidden", "A/", "A/a.txt",
                    "A/~a.tmp", "A/.dot", "A/sub/", "A/sub/b.txt", "B/", "B/c.txt", "Empty/"});
    Form1& form = test.Load();
    form.ListView1()->Append(QString::fromStdString(root + "/files/report.txt"));
    std::vector<PointerState> pointersDuringScan;
    test.desktop.onProcessEvents = [&] { pointersDuringScan.push_back(form.MousePointer()); };
    QMimeData data;

    const DragResult result = DragAndDrop(form, data, root,
                                          {"/files/report.txt", "/A", "/files/~draft.txt", "/Empty", "/B/",
                                           "/files/.hidden", "/files/missing.txt"});

    // The list takes drops from outside but never drags its own entries about.
    EXPECT_EQ(form.ListView1()->dragDropMode(), QAbstractItemView::NoDragDrop);
    EXPECT_TRUE(result.enterAccepted);
    EXPECT_TRUE(result.moveAccepted);
    EXPECT_EQ(Relative(form.ListView1()->Texts(), root),
              (QStringList{"/files/report.txt", "/files/report.txt", "/A/a.txt", "/A/sub/b.txt",
                           "/files/~draft.txt", "/B/c.txt", "/files/.hidden", "/files/missing.txt"}));
    EXPECT_TRUE(test.desktop.messages.empty());
    EXPECT_GE(pointersDuringScan.size(), 4u);
    EXPECT_EQ(std::count(pointersDuringScan.begin(), pointersDuringScan.end(), PointerState::Hourglass), 0);
}

// A drop taken as a move lets the file manager delete the user's original afterwards.
TEST(Form1DropTest, ADropIsTakenAsACopyOrALinkAndNeverAsAMove) {
    const struct {
        Qt::DropActions offered;
        Qt::DropAction taken; // IgnoreAction: refused, and nothing is added
    } rows[] = {{Qt::MoveAction, Qt::IgnoreAction},
                {Qt::CopyAction | Qt::MoveAction, Qt::CopyAction},
                {Qt::MoveAction | Qt::LinkAction, Qt::LinkAction},
                {Qt::CopyAction | Qt::LinkAction, Qt::CopyAction}};
    for (const auto& row : rows) {
        SCOPED_TRACE(row.offered.toInt());
        TestWindow test;
        MakeTree(test.dir / "drop", {"a.txt"});
        Form1& form = test.Load();
        QMimeData data;
        const DragResult result = DragAndDrop(form, data, test.dir / "drop", {"/a.txt"}, row.offered);
        const bool taken = row.taken != Qt::IgnoreAction;
        EXPECT_EQ(result.enterAccepted, taken);
        EXPECT_EQ(result.moveAccepted, taken);
        EXPECT_EQ(result.action, row.taken);
        EXPECT_EQ(form.ListView1()->Count(), taken ? 1 : 0);
    }
}

TEST(Form1DropTest, AnythingButAListOfLocalFilesIsRefused) {
    TestWindow test;
    const QUrl local = QUrl::fromLocalFile(QString::fromStdString(test.SettingsPath()));
    const QUrl web("https://example.org/a.txt");
    const std::pair<const char*, std::function<void(QMimeData&)>> cases[] = {
        {"plain text", [](QMimeData& d) { d.setText("/etc/hostname"); }},
        {"a web address", [&](QMimeData& d) { d.setUrls({web}); }},
        {"a local file beside a web address",
         [&](QMimeData& d) {
             d.setUrls({local, web});
         }},
        {"an empty list", [](QMimeData& d) { d.setUrls({}); }},
        {"an image", [](QMimeData& d) { d.setData("image/png", QByteArray("\x89PNG", 4)); }},
    };
    Form1& form = test.Load();
    for (const auto& [name, fill] : cases) {
        SCOPED_TRACE(name);
        QMimeData data;
        fill(data);
        const DragResult result = DragAndDrop(form, data);
        EXPECT_FALSE(result.enterAccepted);
        EXPECT_FALSE(result.moveAccepted);
        // Should a drop come all the same, it adds nothing.
        form.ListView1_OLEDragDrop(&data);
        EXPECT_EQ(form.ListView1()->Count(), 0);
    }
    EXPECT_TRUE(test.desktop.messages.empty());
}

TEST(Form1DropTest, AFolderThatFailsLosesNoneOfTheOtherDroppedPaths) {
    TestWindow test;
    const std::string root = test.dir / "drop";
    MakeTree(root, {"first.txt", "A/", "A/a.txt", "A/sub/", "last.txt"});
    Form1& form = test.Load();
    test.desktop.onProcessEvents = [] { throw std::runtime_error(kGone.toStdString()); };
    QMimeData data;

    DragAndDrop(form, data, root, {"/first.txt", "/A", "/last.txt"});

    EXPECT_EQ(Relative(form.ListView1()->Texts(), root), (QStringList{"/first.txt", "/last.txt"}));
    // The scan's own trap still reports; the drop itself shows nothing.
    EXPECT_EQ(test.ErrorReports(), QStringList{ExpectedReport(kGone, kScan, 106)});
}

} // namespace
} // namespace brantlewick
