// SPDX-License-Identifier: GPL-3.0-or-later
// The three add buttons and drops on the file list, with scripted dialogs and a real temporary tree.
#include "Rows.h"
#include "TestWindow.h"
#include "brantlewick/window/QtDesktopServices.h"

#include <QDropEvent>
#include <QLabel>
#include <QMimeData>
#include <QUrl>

namespace brantlewick::testing {
namespace {

// A loaded window over a tree below "t" in its temporary folder (a name ending in "/" is a folder).
struct AddWindow : TestWindow {
    explicit AddWindow(std::initializer_list<std::string> tree, const std::string& settings = "") {
        for (const std::string& entry : tree) {
            QDir().mkpath(QString::fromStdString(dir / ("t/" + entry.substr(0, entry.rfind('/') + 1))));
            entry.ends_with('/') ? void() : WriteBytes(dir / ("t/" + entry), "One. Two.\n");
        }
        WriteSettings(settings);
        Load();
    }
    QString Tree() const { return QString::fromStdString(dir / "t"); }
    // The entries, with the tree's folder cut off the front.
    QString Entries() const { return Files().Texts().join(' ').replace(Tree(), QString()); }
    // Drags `paths` (below the tree, or web addresses) over the list offering `offered` and drops them,
    // as the window system may do even after a refusal. Answers the action the drop was taken as.
    Qt::DropAction Drop(const QStringList& paths, Qt::DropActions offered = Qt::CopyAction | Qt::MoveAction) {
        QMimeData data;
        QList<QUrl> urls;
        for (const QString& path : paths) {
            urls.append(path.contains(':') ? QUrl(path) : QUrl::fromLocalFile(Tree() + path));
        }
        paths.isEmpty() ? data.setText("/etc/hostname") : data.setUrls(urls);
        QDragEnterEvent enter(QPoint(20, 20), offered, &data, Qt::LeftButton, Qt::NoModifier);
        QCoreApplication::sendEvent(Files().viewport(), &enter);
        QDropEvent drop(QPointF(30, 30), offered, &data, Qt::LeftButton, Qt::NoModifier);
        drop.setDropAction((offered & Qt::MoveAction) != 0 ? Qt::MoveAction : Qt::LinkAction);
        QCoreApplication::sendEvent(Files().viewport(), &drop);
        EXPECT_EQ(enter.isAccepted(), drop.isAccepted());
        return drop.isAccepted() ? drop.dropAction() : Qt::IgnoreAction;
    }
};

// The extension is asked first (preset with the last one), then the folder (opened at the last one);
// each answer is stored, the folder before the collection, which shows the hourglass. The files come in
// level order by the folder scan's rules, the results of an earlier run left out and told. An add started
// during another keeps the hourglass up; a failure in the scan is reported by the scan's trap, the one that
// leaves it at the line of the collection.
TEST(AddFilesTest, AddAllInFolderAsksExtensionThenFolderAndStoresEachAnswer) {
    const struct {
        const char* name;
        std::deque<QString> answers; // to the extension box
        bool pick;                   // a folder in the picker; false: cancelled
        const char* extension;       // stored
        const char* entries;
    } cases[] = {
        {"the extension box cancelled, or confirmed empty: no folder is asked", {""}, true, "doc", ""},
        {"the picker cancelled", {"txt"}, false, "txt", ""},
        {"by an extension", {"txt"}, true, "txt", "/a.txt /B.TXT /A/a1.txt /B/b.txt /A/A1/deep.txt"},
        {"every file", {"*"}, true, "*", "/a.txt /a.txt.bak /B.TXT /noext /A/a1.txt /B/b.txt /A/A1/deep.txt"},
    };
    const QString leftOut =
        "2 files left out, such as a-Pellnor.txt: they are named as results of files beside "
        "them. Add one with \"Add File(s)\" to convert it all the same.";
    FOR_EACH_ROW(row, cases) {
        const auto& [name, answers, pick, extension, entries] = row;
        AddWindow test({"a.txt", "B.TXT", "a.txt.bak", "~x.txt", ".hidden.txt", "noext", "A/a1.txt",
                        "A/A1/deep.txt", "B/b.txt", "a-Pellnor.txt", "B/b-Pellnor.txt"},
                       "Extension=doc\nLastFolder=/old/place\n");
        test.desktop.inputAnswers = answers;
        test.desktop.folderAnswers = {pick ? test.Tree() : QString()};
        QStringList duringScan;
        test.desktop.onProcessEvents = [&] {
            duringScan.append(test.Stored("LastFolder") + (test.Pointer() == Qt::WaitCursor ? " busy" : ""));
            duringScan.removeDuplicates();
        };
        test.Click("PushButton3");
        EXPECT_EQ(test.desktop.dialogs.at(0).join('|'),
                  "Enter file extension to load:\r\r(* for all files, txt for "
                  "all txt files, doc for all doc files, etc.)|Brantlewick|doc");
        const bool asked = !answers[0].isEmpty();
        EXPECT_EQ(test.desktop.dialogs.size() > 1 ? test.desktop.dialogs[1].join('|') : "",
                  asked ? "Please select folder:|/old/place" : "");
        EXPECT_EQ(test.Stored("Extension"), extension);
        EXPECT_EQ(test.Entries(), entries);
        EXPECT_EQ(duringScan.join('|'), *entries ? test.Tree() + " busy" : "");
        EXPECT_EQ(test.Get<QLabel>("StatusLine").toolTip(), *entries ? leftOut : "");
        EXPECT_EQ(test.Pointer(), Qt::ArrowCursor);
    }
    AddWindow test({"a.txt", "B/b.txt"});
    test.desktop.inputAnswers = {"*", "*", "*"};
    test.desktop.folderAnswers = {test.Tree(), test.Tree() + "/B", test.Tree()};
    test.desktop.onProcessEvents = [&, first = true]() mutable {
        if (std::exchange(first, false)) {
            test.Click("PushButton3"); // a click delivered while the first add yields
            EXPECT_EQ(test.Pointer(), Qt::WaitCursor);
        }
    };
    test.Click("PushButton3");
    test.desktop.onProcessEvents = [] { throw std::runtime_error("Gone."); };
    test.Click("PushButton3");
    EXPECT_EQ(test.Entries(), "/B/b.txt /a.txt /B/b.txt");
    EXPECT_EQ(test.ErrorReports(), (QStringList{Report("Gone.", "AddFolder.GetSubDirectories2016", 106),
                                                Report("Gone.", "Form1.PushButton3_Click", 116)}));
    EXPECT_EQ(test.Pointer(), Qt::ArrowCursor);
}

TEST(AddFilesTest, TheFileDialogsChoiceIsAppendedInItsOrder) {
    const std::pair<QStringList, QString> cases[] = {
        {{}, "/kept"},
        {{"/t//a.txt"}, "/kept /t//a.txt"}, // one file: exactly as returned
        {{"/t//b.txt", "/t//a.txt", "//c.txt", "/kept"}, "/kept /t/b.txt /t/a.txt /c.txt /kept"},
        {{"too many"},
         "/kept You've selected too many files to add.\r\rPlease try adding via the \"Add All\" button."},
        {{"fails", "No dialog."}, "/kept " + Report("No dialog.", "Form1.PushButton1_Click", 100)},
    };
    FOR_EACH_ROW(row, cases) {
        const auto& [answer, shown] = row;
        TestWindow test;
        test.Load().findChild<ListView*>("ListView1")->Append("/kept");
        test.desktop.fileAnswers = {answer};
        test.Click("PushButton1");
        EXPECT_EQ(test.desktop.dialogs.at(0).join('|'),
                  "Add File(s) - Hold Ctrl or Shift to select multiple files|All Files (*.*)|*.*||");
        EXPECT_EQ((test.Files().Texts() + test.desktop.MessageTexts()).join(' '), shown);
    }
    TestWindow test; // the dialog opens where files were added last time
    test.desktop.fileAnswers = {{"/t//a.txt", "/u/b.txt"}, {}};
    test.Load();
    test.Click("PushButton1");
    test.Click("PushButton1");
    EXPECT_EQ(test.desktop.dialogs.at(1).value(2) + test.Stored(setting::kLastAddFolder), "/t//t/");
    EXPECT_EQ(QtFileDialogFilter("Texts (*.txt)|*.txt;*.text|All Files (*.*)|*.*|"),
              "Texts (*.txt *.text);;All Files (*)");
}

// Dropped files arrive as they are; dropped folders are collected with their sub-folders, without the
// hourglass. A drop taken as a move lets the file manager delete the originals: only a copy or a link is
// taken, and only of local files. A folder whose scan fails is left out, the other paths still arrive.
TEST(AddFilesTest, DropsTakeLocalFilesAsACopyOrALinkAndCollectFolders) {
    AddWindow test({"~draft.txt", ".hidden", "A/a.txt", "A/~a.tmp", "A/sub/b.txt", "B/c.txt", "Empty/"});
    QStringList pointers;
    test.desktop.onProcessEvents = [&] { pointers.append(test.Pointer() == Qt::WaitCursor ? "busy" : "-"); };
    EXPECT_EQ(test.Drop({"/A", "/~draft.txt", "/Empty", "/B/", "/.hidden", "/missing.txt"}), Qt::CopyAction);
    EXPECT_EQ(test.Entries(), "/A/a.txt /A/sub/b.txt /~draft.txt /B/c.txt /.hidden /missing.txt");
    EXPECT_FALSE(pointers.isEmpty() || pointers.contains("busy"));
    const std::tuple<QStringList, Qt::DropActions, Qt::DropAction> rows[] = {
        {{"/B/c.txt"}, Qt::MoveAction, Qt::IgnoreAction},
        {{"/B/c.txt"}, Qt::MoveAction | Qt::LinkAction, Qt::LinkAction},
        {{"/B/c.txt"}, Qt::CopyAction | Qt::LinkAction, Qt::CopyAction},
        {{"/B/c.txt", "https://example.org/a.txt"}, Qt::CopyAction, Qt::IgnoreAction},
        {{}, Qt::CopyAction, Qt::IgnoreAction}, // text
    };
    FOR_EACH_ROW(row, rows) {
        const auto& [paths, offered, taken] = row;
        test.Files().clear();
        EXPECT_EQ(test.Drop(paths, offered), taken);
        EXPECT_EQ(test.Files().Count(), taken != Qt::IgnoreAction ? 1 : 0);
    }
    test.desktop.onProcessEvents = [] { throw std::runtime_error("Gone."); };
    test.Drop({"/~draft.txt", "/A", "/.hidden"});
    EXPECT_EQ(test.Entries(), "/~draft.txt /.hidden");
    EXPECT_EQ(test.ErrorReports(), QStringList{Report("Gone.", "AddFolder.GetSubDirectories2016", 106)});
}

} // namespace
} // namespace brantlewick::testing
