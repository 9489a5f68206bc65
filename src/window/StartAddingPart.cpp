// SPDX-License-Identifier: GPL-3.0-or-later
// "Start Adding": the refusals, the Enter count, and the batch run with the window as its front end.
#include "StartAddingPart.h"

#include "CharacterListPart.h"
#include "Controls.h"
#include "EngineText.h"
#include "FileListPart.h"
#include "OptionsPart.h"
#include "PaintingWait.h"
#include "PlainWords.h"
#include "ProgressBar.h"
#include "RunSettings.h"
#include "StatusPart.h"
#include "TrapLocations.h"
#include "WindowShell.h"
#include "brantlewick/base/ScopeExit.h"
#include "brantlewick/batch/Batch.h"
#include "brantlewick/engine/EnterCount.h"
#include "brantlewick/filesystem/PathHelpers.h"
#include "brantlewick/window/ListView.h"

#include <QAbstractItemModel>
#include <QElapsedTimer>
#include <QEvent>
#include <QPointer>
#include <QPushButton>
#include <QSet>

#include <sys/stat.h>

#include <algorithm>
#include <cmath>
#include <optional>
#include <stdexcept>
#include <utility>

namespace brantlewick {
namespace {

constexpr QLatin1StringView kBarAtRest("Progress Bar");

// What happened to the window while the run let events through. A close request ends the program; the
// run must not go on with a window that is being taken down, or touch one that is gone. A file added to
// the list is an input too, and no result may replace it.
class RunWatch final : public QObject {
    Q_OBJECT

public:
    RunWatch(QWidget& window, const ListView& fileList) : window_(&window) {
        window.installEventFilter(this);
        const QAbstractItemModel* model = fileList.model();
        const auto changed = [this] { listChanged_ = true; };
        connect(model, &QAbstractItemModel::rowsInserted, this, changed);
        connect(model, &QAbstractItemModel::dataChanged, this, changed);
        connect(model, &QAbstractItemModel::modelReset, this, changed);
    }
    ~RunWatch() override {
        if (window_) {
            window_->removeEventFilter(this);
        }
    }
    RunWatch(const RunWatch&) = delete;
    RunWatch& operator=(const RunWatch&) = delete;

    bool WindowGone() const { return closing_ || window_.isNull(); }
    // Whether the file list gained or changed an entry since the last call.
    bool TakeListChange() { return std::exchange(listChanged_, false); }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (watched == window_ && event->type() == QEvent::Close) {
            closing_ = true;
        }
        return false;
    }

private:
    QPointer<QWidget> window_;
    bool closing_ = false;
    bool listChanged_ = false;
};

// Painting the progress bar costs about a millisecond, several times the conversion of a small file, and
// nobody reads seven hundred names a second. So the bar's value and text follow every file, but it is
// repainted only when a frame's time has passed since it last was, and always before a file large enough
// to keep the window busy for a while, whose name must then be on show.
class BarPainting {
public:
    explicit BarPainting(QWidget& bar) : bar_(&bar) { bar.setUpdatesEnabled(false); }
    ~BarPainting() {
        if (bar_) {
            bar_->setUpdatesEnabled(true);
        }
    }
    BarPainting(const BarPainting&) = delete;
    BarPainting& operator=(const BarPainting&) = delete;

    // Lets the coming pause paint the bar when that is due.
    void AllowPaintingFor(const std::string& input) {
        if (!lastPainted_.isValid() || lastPainted_.elapsed() >= kFrameMilliseconds || IsLarge(input)) {
            bar_->setUpdatesEnabled(true);
            lastPainted_.start();
        }
    }
    void StopPainting() {
        if (bar_) {
            bar_->setUpdatesEnabled(false);
        }
    }

private:
    static constexpr qint64 kFrameMilliseconds = 40;
    static constexpr off_t kLargeInput = off_t{1} << 20;

public:
    // The input's size when it is large, else nothing.
    static std::optional<off_t> LargeSize(const std::string& input) {
        struct stat info {};
        if (::stat(input.c_str(), &info) == 0 && info.st_size >= kLargeInput) {
            return info.st_size;
        }
        return std::nullopt;
    }

private:
    static bool IsLarge(const std::string& input) { return LargeSize(input).has_value(); }

    QPointer<QWidget> bar_;
    QElapsedTimer lastPainted_;
};

// The window as the batch run's front end: the run's questions are answered from the controls as they
// stand when each file comes up (the Enter count as read once for the run), its pauses let the event loop
// run, and each failure is reported under the line of "Start Adding" that does the step (the conversion's
// under its own procedure). Once the window closes, or is gone, every answer ends the run.
class WindowRun final : public BatchSource, public BatchSink, public BatchScheduler {
public:
    WindowRun(WindowShell& shell, ErrorTrap& trap, RunWatch& watch, FileListPart& files,
              CharacterListPart& characters, OptionsPart& options, ProgressBar& bar, int enterCount)
        : shell_(shell), trap_(trap), watch_(watch), files_(files.List()), characters_(characters),
          options_(options), bar_(bar), enterCount_(enterCount), painting_(std::in_place, bar) {}

    bool WindowGone() const { return watch_.WindowGone(); }
    // What the run did, for the status line.
    RunReport Report(const BatchSummary& summary) const {
        RunReport report{summary.converted, summary.failed, std::nullopt,
                         static_cast<std::size_t>(folders_.size()), failures_};
        if (folders_.size() == 1) {
            report.resultsFolder = *folders_.begin();
        }
        return report;
    }
    // Painting goes back to normal before the run's last words.
    void EndPainting() { painting_.reset(); }

    std::string InputAt(std::size_t position) override {
        trap_.Line(112, [&] { shell_.SetPointer(PointerState::Hourglass); });
        // Entries are read by position: the list may have been reordered, grown or shrunk meanwhile.
        const int index = static_cast<int>(position) + 1;
        if (index > files_.Count()) {
            throw std::out_of_range("Index out of bounds: the file list no longer has an entry " +
                                    std::to_string(index) + ".");
        }
        return ToEngine(files_.Text(index));
    }
    std::vector<std::string> Inputs() override { return ToEngine(files_.Texts()); }
    FileSettings SettingsFor(const std::string& input) override {
        trap_.Line(122, [&] { shell_.SetPointer(PointerState::Hourglass); });
        // Without either option (stored settings can leave both clear) the results go to the folder the
        // start insisted on, exactly as with "Save results to this folder:".
        std::optional<std::string> folder;
        if (!options_.SavesBesideInputs()) {
            folder = ToEngine(options_.OutputFolderText());
            // Emptied during the run, the box would make "/" plus the name: the root folder, which nobody
            // chose.
            if (folder->empty()) {
                throw std::invalid_argument("The output folder box is empty; " + FileNameOf(input) +
                                            " is not converted.");
            }
        }
        return FileSettings{folder, ConversionFromControls(characters_, options_, enterCount_)};
    }
    std::optional<std::vector<std::string>> EntriesAtTheCall() override {
        return ToEngine(characters_.Entries());
    }
    bool ListChanged() override { return watch_.TakeListChange(); }

    bool FileStarted(std::size_t position, std::string_view input) override {
        if (WindowGone()) {
            return false;
        }
        position_ = position;
        trap_.Line(116, [&] {
            bar_.setValue(
                static_cast<int>(std::lrint(static_cast<double>(position + 1) / files_.Count() * 100.0)));
        });
        trap_.Line(118,
                   [&] { bar_.SetText(QStringLiteral("Processing: ") + FromEngine(FileNameOf(input))); });
        painting_->AllowPaintingFor(std::string(input));
        return true;
    }
    bool FileConverted(const FileResult& file) override {
        folders_.insert(FromEngine(WithoutTrailingSeparators(FolderOf(std::string(file.output)))));
        return true;
    }
    bool FileFailed(BatchStep step, std::string_view input, const std::exception& error) override {
        if (WindowGone()) {
            return false;
        }
        const QString file = FromEngine(std::string(input));
        failures_.append({file, FailureReason(error)});
        if (shell_.TellPlainly(error, file)) {
            return !WindowGone();
        }
        if (step == BatchStep::Convert) {
            shell_.Trap(location::kConvertOneFile).ReportAt(100, error.what());
        } else {
            trap_.ReportAt(LineOf(step), error.what());
        }
        return !WindowGone();
    }

    bool Pause() override {
        if (WindowGone()) {
            return false;
        }
        shell_.Desktop().ProcessEvents();
        if (WindowGone()) {
            return false;
        }
        painting_->StopPainting();
        return true;
    }
    // A large file is converted off this thread, so that the window stays painted and the bar moves on
    // through the file towards the mark it shows once the file is done; the user's clicks wait as they
    // would for a conversion on this thread.
    void Convert(std::string_view input, const std::function<void()>& convert,
                 const std::atomic<std::uint64_t>& bytesRead) override {
        const std::optional<off_t> size = BarPainting::LargeSize(std::string(input));
        if (!size) {
            convert();
            return;
        }
        const double count = std::max<double>(files_.Count(), static_cast<double>(position_ + 1));
        // Once the file is done, the bar is as it would have been.
        const int shown = bar_.value();
        bar_.setUpdatesEnabled(true);
        const ScopeExit asBefore([this, shown] {
            bar_.setValue(shown);
            painting_->StopPainting();
        });
        RunWhilePainting(convert, [&] {
            const double share =
                std::min(1.0, static_cast<double>(bytesRead.load()) / static_cast<double>(*size));
            bar_.setValue(
                static_cast<int>(std::lrint((static_cast<double>(position_) + share) / count * 100.0)));
        });
    }

private:
    static int LineOf(BatchStep step) {
        switch (step) {
        case BatchStep::Start:
            return 108;
        case BatchStep::Pause:
            return 110;
        case BatchStep::ReadInput:
            return 114;
        case BatchStep::ShowFile:
            return 120;
        case BatchStep::ChooseOutput:
            return 124;
        case BatchStep::ClearOutput:
            return 126;
        case BatchStep::Convert:
            break;
        }
        return 128; // the line that calls the conversion
    }

    WindowShell& shell_;
    ErrorTrap& trap_;
    RunWatch& watch_;
    ListView& files_;
    CharacterListPart& characters_;
    OptionsPart& options_;
    ProgressBar& bar_;
    int enterCount_; // read once, at the start
    std::optional<BarPainting> painting_;
    std::size_t position_ = 0; // of the file in hand
    QSet<QString> folders_;    // of the results written
    QList<FileFailure> failures_;
};

} // namespace

StartAddingPart::StartAddingPart(QWidget& window, WindowShell& shell, FileListPart& files,
                                 CharacterListPart& characters, OptionsPart& options, StatusPart& status)
    : shell_(shell), files_(files), characters_(characters), options_(options), status_(status),
      bar_(*MakeControl<ProgressBar>(window, "ProgressBar1", {8040, 5620, 7800, 405})) {
    bar_.SetText(kBarAtRest);
    // A run paints its bar only now and then, and a box keeps the run waiting: the bar must not show an
    // old file and value for as long as the box stays open.
    shell.BeforeEveryBox([this] {
        bar_.setUpdatesEnabled(true);
        bar_.repaint();
    });
    QPushButton* start =
        MakeButton(window, "PushButton2", QStringLiteral("&Start Adding"), {8040, 5100, 7800, 405});
    connect(start, &QPushButton::clicked, this, [this] { WithoutTrap([&] { StartAdding(); }); });
}

void StartAddingPart::StartAdding() {
    if (shell_.RunInProgress()) {
        return;
    }
    shell_.SetRunInProgress(true);
    // Every way out clears the guard, but a window destroyed during a pause is left alone.
    const QPointer<StartAddingPart> self(this);
    WindowShell& shell = shell_;
    const ScopeExit clearGuard([self, &shell] {
        if (self) {
            shell.SetRunInProgress(false);
        }
    });

    ErrorTrap trap = shell_.Trap(location::kStartAdding);
    // Watched from the click on: a close request during any box of the run ends it.
    RunWatch watch(shell_.Window(), files_.List());
    // The three refusals, in this order, come before anything is written or deleted.
    const auto refused = [&](int line, const QString& message, const auto& condition) {
        const bool refuse = trap.Line(line, [&] { return condition(); }).value_or(false);
        if (refuse) {
            trap.Line(line, [&] { shell_.ShowMessage(message); });
        }
        return refuse;
    };
    if (refused(100, QStringLiteral("No files added."), [&] { return files_.List().Count() < 1; }) ||
        refused(102, QStringLiteral("No Characters added."), [&] { return characters_.Empty(); }) ||
        refused(104, kNoOutputFolderMessage, [&] {
            return !options_.SavesBesideInputs() && !IsFolder(ToEngine(options_.OutputFolderText()));
        })) {
        return;
    }

    // An overflow is reported here and the run goes on with no breaks at all, only the dropped spaces.
    const int enterCount = trap.Line(106, [&] { return EnterCountOf(options_); }).value_or(0);
    WindowRun run(shell_, trap, watch, files_, characters_, options_, bar_, enterCount);
    const int count = trap.Line(108, [&] { return files_.List().Count(); }).value_or(0);
    const BatchSummary summary = Batch().Run({run, run, run}, static_cast<std::size_t>(count));
    if (run.WindowGone() || summary.stopped) {
        return;
    }

    run.EndPainting();
    trap.Line(130, [&] { shell_.SetPointer(PointerState::Default); });
    trap.Line(132, [&] {
        bar_.setValue(0);
        bar_.SetText(kBarAtRest);
    });
    // Said before the box, so that it stands under it.
    status_.ShowRun(run.Report(summary));
    emit runEnded();
    trap.Line(134, [&] { shell_.ShowMessage(QStringLiteral("Done.")); });
}

} // namespace brantlewick

#include "StartAddingPart.moc"
