// SPDX-License-Identifier: GPL-3.0-or-later
// Filling the file list: the file dialog, a whole folder by extension, the sample files, and files and
// folders dropped on the list.
#pragma once

#include <QObject>
#include <QString>

#include <string>
#include <vector>

class QMimeData;
class QWidget;

namespace brantlewick {

class FileListPart;
class StatusPart;
class WindowShell;
struct FolderFiles;
struct ScanHooks;

class AddFilesPart final : public QObject {
    Q_OBJECT

public:
    AddFilesPart(QWidget& window, WindowShell& shell, FileListPart& files, StatusPart& status);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void AddFiles();
    // Shows the hourglass while the folder is collected; it stays while a run or another folder add is
    // still working, so that the run's marker is not lifted under them.
    void AddFolder();
    void LoadSamples();
    // Each dropped path on its own: one that fails is left out silently, the others still arrive.
    void Drop(const QMimeData* data);
    ScanHooks FolderScanHooks();
    // The files a scan found; the results it left out are counted for TellResultsLeftOut.
    std::vector<std::string> TakeFiles(FolderFiles found);
    // Says on the status line how many results of earlier runs the last folder add left out, if any.
    void TellResultsLeftOut();

    WindowShell& shell_;
    FileListPart& files_;
    StatusPart& status_;
    // Folder adds whose collection is still running (a click can start one while another yields).
    int folderAddsRunning_ = 0;
    int resultsLeftOut_ = 0;
    QString firstLeftOut_;
};

} // namespace brantlewick
