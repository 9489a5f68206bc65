// SPDX-License-Identifier: GPL-3.0-or-later
// The add buttons and drops on the file list. Every path is appended as it comes, duplicates included.
#include "AddFilesPart.h"

#include "Controls.h"
#include "EngineText.h"
#include "FileListPart.h"
#include "StatusPart.h"
#include "TrapLocations.h"
#include "WindowShell.h"
#include "brantlewick/filelist/FolderScan.h"
#include "brantlewick/filesystem/PathHelpers.h"
#include "brantlewick/settings/SettingsStore.h"
#include "brantlewick/window/ListView.h"

#include <QDropEvent>
#include <QMimeData>
#include <QPushButton>
#include <QUrl>

#include <string>
#include <vector>

namespace brantlewick {
namespace {

constexpr QLatin1StringView kExtensionPrompt("Enter file extension to load:\r\r(* for all files, txt for all "
                                             "txt files, doc for all doc files, etc.)");
constexpr QLatin1StringView kOpenFilesTitle("Add File(s) - Hold Ctrl or Shift to select multiple files");
constexpr QLatin1StringView kOpenFilesFilter("All Files (*.*)|*.*|");
constexpr QLatin1StringView kTooManyFiles("You've selected too many files to add.\r\rPlease try adding via "
                                          "the \"Add All\" button.");
constexpr QLatin1StringView kOpenSamplesQuestion(
    "Would you like this software to open the folder where these sample files are stored (so "
    "that you can view them before working with them)?");

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

// The list only reads the dropped files. Taking a move would let the source delete them afterwards, so a
// drop is taken as a copy or a link, and a drag that offers neither is refused.
Qt::DropAction TakenDropAction(const QDropEvent& event) {
    if ((event.possibleActions() & Qt::CopyAction) != 0) {
        return Qt::CopyAction;
    }
    if ((event.possibleActions() & Qt::LinkAction) != 0) {
        return Qt::LinkAction;
    }
    return Qt::IgnoreAction;
}

} // namespace

AddFilesPart::AddFilesPart(QWidget& window, WindowShell& shell, FileListPart& files, StatusPart& status)
    : shell_(shell), files_(files), status_(status) {
    const auto button = [&](const char* name, const QString& caption, TwipsPlace place,
                            void (AddFilesPart::*handler)()) {
        connect(MakeButton(window, name, caption, place), &QPushButton::clicked, this,
                [this, handler] { WithoutTrap([&] { (this->*handler)(); }); });
    };
    button("PushButton1", QStringLiteral("&Add File(s)"), {120, 5100, 3840, 405}, &AddFilesPart::AddFiles);
    button("PushButton3", QStringLiteral("Add All File(s) &In Folder"), {4080, 5100, 3840, 405},
           &AddFilesPart::AddFolder);
    button("PushButton5", QStringLiteral("Load Sample/&Example Files"), {4080, 5620, 3840, 405},
           &AddFilesPart::LoadSamples);
    files.List().viewport()->installEventFilter(this);
}

bool AddFilesPart::eventFilter(QObject* /*watched*/, QEvent* event) {
    switch (event->type()) {
    case QEvent::DragEnter:
    case QEvent::DragMove: {
        auto* drag = static_cast<QDragMoveEvent*>(event);
        const Qt::DropAction action = TakenDropAction(*drag);
        if (action == Qt::IgnoreAction || DroppedPaths(drag->mimeData()).isEmpty()) {
            drag->ignore();
        } else {
            drag->setDropAction(action);
            drag->accept();
        }
        return true;
    }
    case QEvent::Drop: {
        auto* drop = static_cast<QDropEvent*>(event);
        const Qt::DropAction action = TakenDropAction(*drop);
        if (action == Qt::IgnoreAction) {
            drop->ignore();
            return true;
        }
        WithoutTrap([&] { Drop(drop->mimeData()); });
        drop->setDropAction(action);
        drop->accept();
        return true;
    }
    default:
        return false;
    }
}

ScanHooks AddFilesPart::FolderScanHooks() {
    return ScanHooks{[this] { shell_.Desktop().ProcessEvents(); }, &shell_};
}

std::vector<std::string> AddFilesPart::TakeFiles(FolderFiles found) {
    if (resultsLeftOut_ == 0 && !found.resultsLeftOut.empty()) {
        firstLeftOut_ = FromEngine(found.resultsLeftOut.front());
    }
    resultsLeftOut_ += static_cast<int>(found.resultsLeftOut.size());
    return std::move(found.files);
}

void AddFilesPart::TellResultsLeftOut() {
    if (resultsLeftOut_ == 0) {
        return;
    }
    const QString name = FromEngine(FileNameOf(ToEngine(firstLeftOut_)));
    const QString count = QString::number(resultsLeftOut_);
    status_.ShowNote((resultsLeftOut_ == 1
                          ? QStringLiteral("1 file left out: ") + name +
                                QStringLiteral(" is named as the result of a file beside it.")
                          : count + QStringLiteral(" files left out, such as ") + name +
                                QStringLiteral(": they are named as results of files beside them.")) +
                     QStringLiteral(" Add one with \"Add File(s)\" to convert it all the same."));
}

void AddFilesPart::AddFiles() {
    ErrorTrap trap = shell_.Trap(location::kAddFiles);
    QStringList paths;
    bool tooManyFiles = false;
    // The start folder is a convenience: a store that cannot be read or written costs it, nothing more.
    QString startFolder;
    WithoutTrap([&] { startFolder = shell_.Settings().GetSetting(setting::kLastAddFolder, QString()); });
    trap.Line(100, [&] {
        try {
            paths =
                shell_.Desktop().OpenFiles(&shell_.Window(), kOpenFilesTitle, kOpenFilesFilter, startFolder);
        } catch (const TooManyFilesError&) {
            tooManyFiles = true;
        }
    });
    if (!paths.isEmpty()) {
        WithoutTrap([&] {
            shell_.Settings().SaveSetting(setting::kLastAddFolder,
                                          FromEngine(FolderOf(CleanPath(ToEngine(paths.front())))));
        });
    }
    if (tooManyFiles) {
        trap.Line(102, [&] { shell_.ShowMessage(kTooManyFiles); });
    } else if (paths.size() == 1) {
        trap.Line(108, [&] { files_.List().Append(paths.front()); });
    } else {
        for (const QString& path : paths) {
            trap.Line(112, [&] { files_.List().Append(FromEngine(CleanPath(ToEngine(path)))); });
        }
    }
}

void AddFilesPart::AddFolder() {
    ErrorTrap trap = shell_.Trap(location::kAddFolder);
    SettingsStore& settings = shell_.Settings();
    QString extension;
    trap.Line(100,
              [&] { extension = settings.GetSetting(setting::kExtension, setting_default::kExtension); });
    trap.Line(102, [&] { extension = shell_.AskText(kExtensionPrompt, extension); });
    if (extension.isEmpty()) {
        return;
    }
    trap.Line(106, [&] { settings.SaveSetting(setting::kExtension, extension); });
    const QString folder =
        trap.Line(108,
                  [&] {
                      return shell_.Desktop().BrowseForFolder(
                          &shell_.Window(), kFolderPickerTitle,
                          settings.GetSetting(setting::kLastFolder, setting_default::kLastFolder));
                  })
            .value_or(QString());
    if (folder.isEmpty()) {
        return;
    }
    trap.Line(112, [&] { settings.SaveSetting(setting::kLastFolder, folder); });
    ++folderAddsRunning_;
    trap.Line(114, [&] { shell_.SetPointer(PointerState::Hourglass); });
    std::vector<std::string> found;
    resultsLeftOut_ = 0;
    trap.Line(116, [&] {
        found = TakeFiles(CollectFolderFiles(ToEngine(folder), ToEngine(QStringLiteral("*.") + extension),
                                             FolderScanHooks()));
    });
    trap.Line(118, [&] { files_.List().AppendAll(FromEngine(found)); });
    TellResultsLeftOut();
    --folderAddsRunning_;
    trap.Line(120, [&] {
        shell_.SetPointer(shell_.RunInProgress() || folderAddsRunning_ > 0 ? PointerState::Hourglass
                                                                           : PointerState::Default);
    });
}

void AddFilesPart::LoadSamples() {
    ErrorTrap trap = shell_.Trap(location::kLoadSamples);
    const QString samples = shell_.ProgramFolder() + QStringLiteral("/Samples/");
    const std::vector<std::string> names =
        trap.Line(100, [&] { return ListFilesInFolder(ToEngine(samples), "*.*"); })
            .value_or(std::vector<std::string>());
    for (const std::string& name : names) {
        trap.Line(104, [&] {
            const QString sample = samples + FromEngine(name);
            if (PathExists(ToEngine(sample)) && !files_.Contains(sample)) {
                files_.List().Append(sample);
            }
        });
    }
    trap.Line(106, [&] {
        if (shell_.AskYesNo(kOpenSamplesQuestion)) {
            shell_.Desktop().OpenFolder(samples);
        }
    });
}

void AddFilesPart::Drop(const QMimeData* data) {
    // The paths are taken before the first folder scan lets events run; the drop data may be gone after.
    const QStringList paths = DroppedPaths(data);
    resultsLeftOut_ = 0;
    for (const QString& path : paths) {
        WithoutTrap([&] {
            if (auto found = FilesOfFolder(ToEngine(path), FolderScanHooks())) {
                files_.List().AppendAll(FromEngine(TakeFiles(std::move(*found))));
            } else {
                files_.List().Append(path);
            }
        });
    }
    TellResultsLeftOut();
}

} // namespace brantlewick
