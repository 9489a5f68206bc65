// SPDX-License-Identifier: GPL-3.0-or-later
// The status line at the foot of the window: what the last run did (how many files were converted and
// failed, where the results are, with a button to open their folder and one to list the failures) or
// what the last folder add left out.
#pragma once

#include "brantlewick/window/DesktopServices.h"

#include <QObject>

#include <optional>

class QLabel;
class QPushButton;
class QWidget;

namespace brantlewick {

class WindowShell;

// What a run did, as its summary line tells it.
struct RunReport {
    std::size_t converted = 0;
    std::size_t failed = 0;
    // The one folder every result went to; nothing when there are none or they lie in several folders.
    std::optional<QString> resultsFolder;
    std::size_t folders = 0; // the results lie in

    QList<FileFailure> failures;
};

// "12 files converted, 1 failed — results in /path": the numbers the command line's summary gives.
QString RunSummary(const RunReport& report);

class StatusPart final : public QObject {
    Q_OBJECT

public:
    StatusPart(QWidget& window, WindowShell& shell);

    void ShowRun(RunReport report);
    // A note without buttons.
    void ShowNote(const QString& text);

private:
    WindowShell& shell_;
    QLabel* line_;
    QPushButton* openResults_;
    QPushButton* showFailures_;
    RunReport report_;
};

} // namespace brantlewick
