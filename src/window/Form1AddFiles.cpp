// Filling the file list: the file dialog, a whole folder, the sample files, and files dropped on the list.
#include "Form1.h"

#include "EngineText.h"

#include "FolderScan.h"
#include "ListView.h"
#include "PathHelpers.h"
#include "SettingsStore.h"

#include <QMimeData>
#include <QUrl>

#include <string>
#include <vector>

namespace brantlewick {
namespace {

const QString kExtensionPrompt = QStringLiteral("Enter file extension to load:") + QStringLiteral("\r\r") +
                                 QStringLiteral("(* for all files, txt for all txt files, doc for all doc "
                                                "files, etc.)");
const QString kFolderPickerTitle = QStringLiteral("Please select folder:");
const QString kOpenFilesTitle = QStringLiteral("Add File(s) - Hold Ctrl or Shift to select multiple files");
const QString kOpenFilesFilter = QStringLiteral("All Files (*.*)|*.*|");
const QString kTooManyFiles = QStringLiteral("You've selected too many files to add.") +
                              QStringLiteral("\r\r") +
                              QStringLiteral("Please try adding via the \"Add All\" button.");
const QString kOpenSamplesQuestion =
    QStringLiteral("Would you like this software to open the folder where these sample files are stored (so "
                   "that you can view them before working with them)?");

// The scan takes a folder without its trailing separator; a dropped folder may come with one.
std::string WithoutTrailingSeparators(std::string folder) {
    while (folder.size() > 1 && folder.back() == kPathSeparator) {
        folder.pop_back();
    }
    return folder;
}

// The dropped paths when the data is a list of local files, in the order the data lists them; empty for
// anything else (text, web addresses, a list with a remote entry).
QStringList DroppedPaths(const QMimeData* data) {
    if (data == nullptr || !data->hasUrls()) {
        return {};
    }
    QStringList paths;
    for (const QUrl& url : data->urls()) {
        if (!url.isLocalFile() || url.toLocalFile().isEmpty()) {
            return {};
        }
        paths.append(url.toLocalFile());
    }
    return paths;
}

} // namespace

ScanHooks Form1::FolderScanHooks() {
    return ScanHooks{[this] { Desktop().ProcessEvents(); },
                     [this](const std::exception& error, int line) {
                         ShowErrorReport(
                             ErrorReportText(error.what(), location::kGetSubDirectories2016, line));
                     }};
}

void Form1::PushButton1_Click() {
    ErrorTrap trap = Trap(location::kPushButton1Click);
    QStringList paths;
    bool tooManyFiles = false;
    trap.Line(100, [&] {
        try {
            paths = Desktop().OpenFiles(this, kOpenFilesTitle, kOpenFilesFilter);
        } catch (const TooManyFilesError&) {
            tooManyFiles = true;
        }
    });
    if (tooManyFiles) {
        trap.Line(102, [&] { ShowMessage(kTooManyFiles); });
        return;
    }
    if (paths.isEmpty()) { // 104
        return;
    }
    if (paths.size() == 1) { // 106
        trap.Line(108, [&] { ListView1()->Append(paths.front()); });
        return;
    }
    for (const QString& path : paths) { // 110
        trap.Line(112, [&] { ListView1()->Append(FromEngine(CleanPath(ToEngine(path)))); });
    }
}

void Form1::PushButton3_Click() {
    ErrorTrap trap = Trap(location::kPushButton3Click);
    QString extension;
    trap.Line(100,
              [&] { extension = Settings().GetSetting(setting::kExtension, setting_default::kExtension); });
    trap.Line(102, [&] { extension = AskText(kExtensionPrompt, extension); });
    if (extension.isEmpty()) { // 104
        return;
    }
    trap.Line(106, [&] { Settings().SaveSetting(setting::kExtension, extension); });
    QString folder;
    trap.Line(108, [&] {
        folder = Desktop().BrowseForFolder(
            this, kFolderPickerTitle,
            Settings().GetSetting(setting::kLastFolder, setting_default::kLastFolder));
    });
    if (folder.isEmpty()) { // 110
        return;
    }
    trap.Line(112, [&] { Settings().SaveSetting(setting::kLastFolder, folder); });
    ++folderAddsRunning_;
    trap.Line(114, [&] { SetMousePointer(PointerState::Hourglass); });
    std::vector<std::string> files;
    trap.Line(116, [&] {
        files = CollectFolderFiles(ToEngine(folder), ToEngine(QStringLiteral("*.") + extension),
                                   FolderScanHooks());
    });
    trap.Line(118, [&] { ListView1()->AppendAll(FromEngine(files)); });
    --folderAddsRunning_;
    trap.Line(120, [&] {
        SetMousePointer(RunInProgress() || folderAddsRunning_ > 0 ? PointerState::Hourglass
                                                                  : PointerState::Default);
    });
}

void Form1::PushButton5_Click() {
    ErrorTrap trap = Trap(location::kPushButton5Click);
    QString samplesFolder;
    std::vector<std::string> names;
    trap.Line(100, [&] {
        samplesFolder = ProgramFolder() + QStringLiteral("/Samples/");
        names = ListFilesInFolder(ToEngine(samplesFolder), "*.*");
    });
    for (const std::string& name : names) { // 102
        trap.Line(104, [&] {
            const QString sample = samplesFolder + FromEngine(name);
            if (PathExists(ToEngine(sample)) && !IsInList(ListView1(), sample)) {
                ListView1()->Append(sample);
            }
        });
    }
    trap.Line(106, [&] {
        if (AskYesNo(kOpenSamplesQuestion)) {
            Desktop().OpenFolder(samplesFolder);
        }
    });
}

bool Form1::ListView1_OLEDragOver(const QMimeData* data) {
    return !DroppedPaths(data).isEmpty();
}

void Form1::ListView1_OLEDragDrop(const QMimeData* data) {
    // The paths are taken before the first folder scan lets events run; the drop data may be gone after.
    const QStringList paths = DroppedPaths(data);
    for (const QString& path : paths) {
        WithoutTrap([&] {
            const std::string local = ToEngine(path);
            if (IsFolder(local)) {
                ListView1()->AppendAll(FromEngine(
                    CollectFolderFiles(WithoutTrailingSeparators(local), "*.*", FolderScanHooks())));
            } else {
                ListView1()->Append(path);
            }
        });
    }
}

} // namespace brantlewick
