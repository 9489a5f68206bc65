// The three add buttons and drops on the file list, with scripted dialogs and real temporary trees.
#include "QtDesktopServices.h"
#include "TestWindow.h"

#include <QDropEvent>
#include <QMimeData>
#include <QUrl>

namespace brantlewick::testing {
namespace {

const QString kSamplesQuestion =
    QStringLiteral("Would you like this software to open the folder where these sample files are stored (so "
                   "that you can view them before working with them)?");

// Creates `root` and the entries below it: a name ending in "/" is a folder, any other a small file.
void MakeTree(const std::string& root, std::initializer_list<const char*> entries) {
    QDir().mkpath(QString::fromStdString(root));
    for (const std::string entry : entries) {
        if (entry.ends_with('/')) {
            QDir().mkpath(QString::fromStdString(root + "/" + entry));
        } else {
            WriteBytes(root + "/" + entry, "One. Two.\n");
        }
    }
}

// The texts with `root` cut off the front, so that expectations read "/A/a.txt".
QStringList Relative(const QStringList& texts, const std::string& root) {
    QStringList relative = texts;
    return relative.replaceInStrings(QString::fromStdString(root), QString());
}

TEST(AddFolderTest, TheClickStopsWhereTheUserCancelsAndStoresWhatWasAnswered) {
    const struct {
        const char* name;
        std::deque<QString> inputAnswers;
        bool pickFolder;
        const char* extensionAfter;
        QStringList entries;
    } cases[] = {
        {"extension box cancelled", {}, false, "doc", {"/kept"}},
        {"extension box confirmed empty", {""}, true, "doc", {"/kept"}},
        {"folder picker cancelled", {"txt"}, false, "txt", {"/kept"}},
        {"folder picked", {"txt"}, true, "txt", {"/kept", "/tree/a.txt", "/tree/sub/b.txt"}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        TestWindow test;
        test.WriteSettings("[Brantlewick]\nExtension=doc\nLastFolder=/old/place\n");
        MakeTree(test.dir / "tree", {"a.txt", "a.doc", "sub/", "sub/b.txt"});
        test.Load();
        test.Files().Append("/kept");
        test.desktop.inputAnswers = c.inputAnswers;
        if (c.pickFolder) {
            test.desktop.folderAnswers.push_back(QString::fromStdString(test.dir / "tree"));
        }
        QStringList duringScan;
        test.desktop.onProcessEvents = [&] {
            duringScan.append(test.Stored("LastFolder") +
                              (test.form->cursor().shape() == Qt::WaitCursor ? " busy" : ""));
        };
        test.Click("PushButton3");
        EXPECT_EQ(test.desktop.inputBoxes.at(0),
                  (QStringList{
                      "Enter file extension to load:\r\r(* for all files, txt for all txt files, doc for all "
                      "doc files, etc.)",
                      "Brantlewick", "doc"}));
        const bool picked = !c.inputAnswers.empty() && !c.inputAnswers[0].isEmpty();
        const std::vector<QStringList> pickers = {{"Please select folder:", "/old/place"}};
        EXPECT_EQ(test.desktop.folderPickers, picked ? pickers : std::vector<QStringList>{});
        EXPECT_EQ(test.Stored("Extension"), c.extensionAfter);
        EXPECT_EQ(Relative(test.Files().Texts(), test.dir.Path()), c.entries);
        // The folder is stored before the collection, which shows the hourglass at every yield.
        const QString tree = QString::fromStdString(test.dir / "tree") + " busy";
        EXPECT_EQ(duringScan.isEmpty() ? "none" : duringScan.front(), c.entries.size() > 1 ? tree : "none");
        EXPECT_EQ(duringScan.count(duringScan.value(0)), duringScan.size());
        EXPECT_EQ(test.form->cursor().shape(), Qt::ArrowCursor);
    }
}

// The collection rules are the folder scan's (tested there); here the extension becomes the pattern, and
// the files come in level order.
TEST(AddFolderTest, TheExtensionPicksTheFilesInLevelOrder) {
    const std::pair<const char*, QStringList> cases[] = {
        {"txt", {"/a.txt", "/B.TXT", "/A/a1.txt", "/B/b.txt", "/A/A1/deep.txt"}},
        {"*", {"/a.txt", "/a.txt.bak", "/B.TXT", "/noext", "/A/a1.txt", "/B/b.txt", "/A/A1/deep.txt"}},
        {"bak", {"/a.txt.bak"}},
    };
    TestWindow test;
    const std::string tree = test.dir / "tree";
    MakeTree(tree, {"a.txt", "B.TXT", "a.txt.bak", "~x.txt", ".hidden.txt", "noext", "A/", "A/a1.txt",
                    "A/A1/", "A/A1/deep.txt", "B/", "B/b.txt"});
    test.Load();
    for (const auto& [extension, entries] : cases) {
        test.Files().clear();
        test.desktop.inputAnswers = {extension};
        test.desktop.folderAnswers = {QString::fromStdString(tree)};
        test.Click("PushButton3");
        EXPECT_EQ(Relative(test.Files().Texts(), tree), entries) << extension;
    }
}

// The scan's own trap reports its failing statement and goes on; the failure that leaves the scan is the
// click's, at the line of the collection, and the click still brings the arrow back.
TEST(AddFolderTest, FailuresDuringTheCollectionAreReportedAndThePointerComesBack) {
    TestWindow test;
    MakeTree(test.dir / "tree", {"a.txt"});
    test.Load();
    test.desktop.inputAnswers = {"*"};
    test.desktop.folderAnswers = {QString::fromStdString(test.dir / "tree")};
    test.desktop.onProcessEvents = [] { throw std::runtime_error("The window system went away."); };
    test.Click("PushButton3");
    EXPECT_EQ(test.ErrorReports(),
              (QStringList{Report("The window system went away.", "AddFolder.GetSubDirectories2016", 106),
                           Report("The window system went away.", "Form1.PushButton3_Click", 116)}));
    EXPECT_EQ(test.Files().Count(), 0);
    EXPECT_EQ(test.form->cursor().shape(), Qt::ArrowCursor);
}

TEST(AddFolderTest, TheHourglassStaysUntilTheLastOfTwoOverlappingAddsEnds) {
    TestWindow test;
    MakeTree(test.dir / "first", {"1.txt"});
    MakeTree(test.dir / "second", {"2.txt"});
    test.Load();
    test.desktop.inputAnswers = {"*", "*"};
    test.desktop.folderAnswers = {QString::fromStdString(test.dir / "first"),
                                  QString::fromStdString(test.dir / "second")};
    bool second = false;
    Qt::CursorShape afterSecond = Qt::ArrowCursor;
    test.desktop.onProcessEvents = [&] {
        if (!std::exchange(second, true)) {
            test.Click("PushButton3"); // a click delivered while the first add yields
            afterSecond = test.form->cursor().shape();
        }
    };
    test.Click("PushButton3");
    EXPECT_EQ(afterSecond, Qt::WaitCursor);
    EXPECT_EQ(test.form->cursor().shape(), Qt::ArrowCursor);
    EXPECT_EQ(Relative(test.Files().Texts(), test.dir.Path()),
              (QStringList{"/second/2.txt", "/first/1.txt"}));
}

TEST(AddFilesTest, TheDialogsChoiceIsAppendedInItsOrder) {
    const struct {
        FileDialogAnswer answer;
        QStringList entries;
        QStringList messages;
    } cases[] = {
        {{{}, false, {}}, {"/kept"}, {}},
        {{{"/texts//a.txt"}, false, {}}, {"/kept", "/texts//a.txt"}, {}}, // one file: exactly as returned
        {{{"/kept"}, false, {}}, {"/kept", "/kept"}, {}},
        {{{"/texts//b.txt", "/texts//a.txt", "//c.txt"}, false, {}},
         {"/kept", "/texts/b.txt", "/texts/a.txt", "/c.txt"},
         {}},
        {{{}, true, {}},
         {"/kept"},
         {"You've selected too many files to add.\r\rPlease try adding via the \"Add All\" button."}},
        {{{}, false, "No dialog."}, {"/kept"}, {Report("No dialog.", "Form1.PushButton1_Click", 100)}},
    };
    for (const auto& c : cases) {
        TestWindow test;
        test.Load();
        test.Files().Append("/kept");
        test.desktop.fileAnswers = {c.answer};
        test.Click("PushButton1");
        EXPECT_EQ(test.desktop.fileDialogs.at(0),
                  (QStringList{"Add File(s) - Hold Ctrl or Shift to select multiple files",
                               "All Files (*.*)|*.*|"}));
        EXPECT_EQ(test.Files().Texts(), c.entries);
        EXPECT_EQ(test.desktop.MessageTexts(), c.messages);
    }
    EXPECT_EQ(QtFileDialogFilter("Texts (*.txt)|*.txt;*.text|All Files (*.*)|*.*|"),
              "Texts (*.txt *.text);;All Files (*)");
}

TEST(SamplesTest, SamplesMissingFromTheListAreAddedAndTheQuestionComesEveryTime) {
    TestWindow test;
    const std::string samples = test.ProgramFolder() + "/Samples";
    MakeTree(samples, {"b.txt", "A.txt", ".notes", "sub/", "sub/inner.txt"});
    const QString s = QString::fromStdString(samples) + "/";
    test.Load();
    // The same file in other letter case is another text: it does not keep the sample out.
    test.Files().Append(s.toLower() + "a.txt");
    const struct {
        std::function<void()> before;
        MessageAnswer answer;
        QStringList entries;
    } steps[] = {
        {[] {}, MessageAnswer::No, {".notes", "A.txt", "b.txt"}},
        {[] {}, MessageAnswer::Yes, {".notes", "A.txt", "b.txt"}},
        {[&] { test.Files().Remove(2); }, MessageAnswer::No, {"A.txt", "b.txt", ".notes"}},
        {[&] { ::unlink((samples + "/A.txt").c_str()), test.Files().Remove(2); },
         MessageAnswer::No,
         {"b.txt", ".notes"}},
    };
    for (const auto& step : steps) {
        step.before();
        test.desktop.messages.clear();
        test.desktop.questionAnswers = {step.answer};
        test.Click("PushButton5");
        EXPECT_EQ(test.Files().Texts().mid(1),
                  QStringList(step.entries).replaceInStrings(QRegularExpression("^"), s));
        ASSERT_EQ(test.desktop.messages.size(), 1u);
        EXPECT_EQ(test.desktop.messages[0].text, kSamplesQuestion);
        EXPECT_EQ(test.desktop.messages[0].buttons, MessageButtons::YesNo);
    }
    EXPECT_EQ(test.desktop.openedFolders, QStringList{s});
}

TEST(SamplesTest, TheShippedSamplesAreFoundBesideTheBuiltProgram) {
    TestWindow test;
    Form1 form(test.settings, test.desktop, QStringLiteral(BRANTLEWICK_PROGRAM_DIR));
    form.Load();
    form.findChild<QAbstractButton*>("PushButton5")->click();
    EXPECT_EQ(form.findChild<ListView*>("ListView1")->Count(), 5);
}

// Drags `urls` (or what `data` holds) over the file list, offering `offered`, and drops them there, as the
// window system delivers it (a drop may come even when the drag was refused). Answers whether the drag
// was accepted and the action the drop was taken as.
std::pair<bool, Qt::DropAction> DragAndDrop(TestWindow& test, QMimeData& data, const QList<QUrl>& urls = {},
                                            Qt::DropActions offered = Qt::CopyAction | Qt::MoveAction) {
    if (!urls.isEmpty()) {
        data.setUrls(urls);
    }
    QWidget* target = test.Files().viewport();
    const Qt::DropAction proposed = (offered & Qt::MoveAction) != 0 ? Qt::MoveAction : Qt::LinkAction;
    QDragEnterEvent enter(QPoint(20, 20), offered, &data, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(target, &enter);
    QDropEvent drop(QPointF(30, 30), offered, &data, Qt::LeftButton, Qt::NoModifier);
    drop.setDropAction(proposed);
    QCoreApplication::sendEvent(target, &drop);
    return {enter.isAccepted(), drop.isAccepted() ? drop.dropAction() : Qt::IgnoreAction};
}

QList<QUrl> Urls(const std::string& root, std::initializer_list<const char*> relative) {
    QList<QUrl> urls;
    for (const char* path : relative) {
        urls.append(QUrl::fromLocalFile(QString::fromStdString(root + path)));
    }
    return urls;
}

TEST(DropTest, DroppedFilesAreAddedAsTheyAreAndDroppedFoldersAreCollected) {
    TestWindow test;
    const std::string root = test.dir / "drop";
    MakeTree(root, {"files/", "files/~draft.txt", "files/.hidden", "A/", "A/a.txt", "A/~a.tmp", "A/.dot",
                    "A/sub/", "A/sub/b.txt", "B/", "B/c.txt", "Empty/"});
    test.Load();
    QStringList pointers;
    test.desktop.onProcessEvents = [&] {
        pointers.append(test.form->cursor().shape() == Qt::WaitCursor ? "busy" : "-");
    };
    QMimeData data;
    const auto [accepted, action] = DragAndDrop(
        test, data,
        Urls(root, {"/A", "/files/~draft.txt", "/Empty", "/B/", "/files/.hidden", "/missing.txt"}));
    EXPECT_TRUE(accepted);
    EXPECT_EQ(action, Qt::CopyAction);
    EXPECT_EQ(Relative(test.Files().Texts(), root),
              (QStringList{"/A/a.txt", "/A/sub/b.txt", "/files/~draft.txt", "/B/c.txt", "/files/.hidden",
                           "/missing.txt"}));
    EXPECT_GE(pointers.size(), 4);
    EXPECT_FALSE(pointers.contains("busy"));
    EXPECT_TRUE(test.desktop.messages.empty());
}

// A drop taken as a move lets the file manager delete the user's original afterwards; and anything but a
// list of local files is refused, also when a drop comes all the same.
TEST(DropTest, OnlyLocalFilesAreTakenAndOnlyAsACopyOrALink) {
    TestWindow test;
    MakeTree(test.dir / "drop", {"a.txt"});
    const QList<QUrl> local = Urls(test.dir / "drop", {"/a.txt"});
    const QUrl web("https://example.org/a.txt");
    const struct {
        QList<QUrl> urls;
        const char* text; // instead of URLs
        Qt::DropActions offered;
        Qt::DropAction taken; // IgnoreAction: refused, and nothing is added
    } rows[] = {{local, nullptr, Qt::MoveAction, Qt::IgnoreAction},
                {local, nullptr, Qt::MoveAction | Qt::LinkAction, Qt::LinkAction},
                {local, nullptr, Qt::CopyAction | Qt::LinkAction, Qt::CopyAction},
                {{web}, nullptr, Qt::CopyAction, Qt::IgnoreAction},
                {{local[0], web}, nullptr, Qt::CopyAction, Qt::IgnoreAction},
                {{}, "/etc/hostname", Qt::CopyAction, Qt::IgnoreAction}};
    test.Load();
    for (const auto& row : rows) {
        test.Files().clear();
        QMimeData data;
        if (row.text != nullptr) {
            data.setText(row.text);
        }
        const auto [accepted, action] = DragAndDrop(test, data, row.urls, row.offered);
        EXPECT_EQ(accepted, row.taken != Qt::IgnoreAction);
        EXPECT_EQ(action, row.taken);
        EXPECT_EQ(test.Files().Count(), row.taken != Qt::IgnoreAction ? 1 : 0);
    }
}

TEST(DropTest, AFolderThatFailsLosesNoneOfTheOtherDroppedPaths) {
    TestWindow test;
    const std::string root = test.dir / "drop";
    MakeTree(root, {"first.txt", "A/", "A/a.txt", "last.txt"});
    test.Load();
    test.desktop.onProcessEvents = [] { throw std::runtime_error("Gone."); };
    QMimeData data;
    DragAndDrop(test, data, Urls(root, {"/first.txt", "/A", "/last.txt"}));
    EXPECT_EQ(Relative(test.Files().Texts(), root), (QStringList{"/first.txt", "/last.txt"}));
    EXPECT_EQ(test.ErrorReports(), QStringList{Report("Gone.", "AddFolder.GetSubDirectories2016", 106)});
}

} // namespace
} // namespace brantlewick::testing
