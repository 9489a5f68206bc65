// "Start Adding": the batch run over the file list.
#include "Form1.h"

#include "EngineText.h"

#include "Batch.h"
#include "EnterCount.h"
#include "ListView.h"
#include "PathHelpers.h"
#include "ProgressBar.h"

#include <QAbstractItemModel>
#include <QElapsedTimer>
#include <QEvent>
#include <QLineEdit>
#include <QPointer>
#include <QRadioButton>

#include <sys/stat.h>

#include <cmath>
#include <optional>
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

namespace brantlewick {
namespace {

template <typename Action> class OnExit {
public:
    explicit OnExit(Action action) : action_(std::move(action)) {}
    ~OnExit() { action_(); }
    OnExit(const OnExit&) = delete;
    OnExit& operator=(const OnExit&) = delete;

private:
    Action action_;
};

// What happened to the window while the run let events through. A close request ends the program; the
// run must not go on with a window that is being taken down, or touch one that is gone. A file added to
// the list is an input too, and no output may replace it.
class RunWatch final : public QObject {
public:
    RunWatch(QWidget* window, const ListView* fileList) : window_(window) {
        window->installEventFilter(this);
        const QAbstractItemModel* model = fileList->model();
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
    explicit BarPainting(QWidget* bar) : bar_(bar) { bar->setUpdatesEnabled(false); }
    ~BarPainting() {
        if (bar_) {
            bar_->setUpdatesEnabled(true);
        }
    }
    BarPainting(const BarPainting&) = delete;
    BarPainting& operator=(const BarPainting&) = delete;

    // Lets the coming yield paint the bar when that is due.
    void Before(const std::string& input) {
        if (!lastPainted_.isValid() || lastPainted_.elapsed() >= kFrameMilliseconds || IsLarge(input)) {
            bar_->setUpdatesEnabled(true);
            lastPainted_.start();
        }
    }
    void After() {
        if (bar_) {
            bar_->setUpdatesEnabled(false);
        }
    }

private:
    static constexpr qint64 kFrameMilliseconds = 40;
    static constexpr off_t kLargeInput = off_t{1} << 20;

    static bool IsLarge(const std::string& input) {
        struct stat info {};
        return ::stat(input.c_str(), &info) == 0 && info.st_size >= kLargeInput;
    }

    QPointer<QWidget> bar_;
    QElapsedTimer lastPainted_;
};

// "Start Adding" as a front end of the batch run: the run's questions are answered from the window's
// controls as they stand when each file comes up, its pauses let the event loop run, and each failure is
// reported under the line of this click that does the step (the conversion's under its own procedure).
class StartAddingRun final : public BatchListener {
public:
    StartAddingRun(Form1& form, ErrorTrap& trap, ListView& files, ListView& characters, QRadioButton& beside,
                   QLineEdit& outputFolder, ProgressBar& bar, DesktopServices& desktop)
        : form_(form), trap_(trap), files_(files), characters_(characters), beside_(beside),
          outputFolder_(outputFolder), bar_(bar), desktop_(desktop), watch_(&form, &files),
          painting_(std::in_place, &bar) {}

    bool WindowGone() const { return watch_.WindowGone(); }

    std::string InputAt(std::size_t position) override {
        trap_.Line(112, [&] { form_.SetMousePointer(PointerState::Hourglass); });
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
        trap_.Line(122, [&] { form_.SetMousePointer(PointerState::Hourglass); });
        // Without either option (stored settings can leave both clear) the results go to the folder the
        // start insisted on, exactly as with "Save results to this folder:".
        std::optional<std::string> folder;
        if (!beside_.isChecked()) {
            folder = ToEngine(outputFolder_.text());
            // Emptied during the run, the box would make "/" plus the name: the root folder, which nobody
            // chose.
            if (folder->empty()) {
                throw std::invalid_argument("The output folder box is empty; " + FileNameOf(input) +
                                            " is not converted.");
            }
        }
        return {folder, ToEngine(characters_.Texts())};
    }
    void Progress(const FileProgress& progress) override {
        if (progress.stage != FileProgress::Stage::Started) {
            return;
        }
        const std::string input(progress.input);
        trap_.Line(116, [&] {
            bar_.setValue(static_cast<int>(
                std::lrint(static_cast<double>(progress.position + 1) / files_.Count() * 100.0)));
        });
        trap_.Line(118,
                   [&] { bar_.SetText(QStringLiteral("Processing: ") + FromEngine(FileNameOf(input))); });
        painting_->Before(input);
    }
    void Failure(BatchStep step, std::string_view /*input*/, const std::exception& error) override {
        if (step == BatchStep::Convert) {
            form_.Trap(location::kInsertEnterInFile).ReportAt(100, error.what());
        } else {
            trap_.ReportAt(LineOf(step), error.what());
        }
    }
    void Yield() override {
        desktop_.ProcessEvents();
        painting_->After();
    }
    bool MustStop() override { return watch_.WindowGone(); }
    bool ListChanged() override { return watch_.TakeListChange(); }

    // Painting goes back to normal before the run's last words.
    void EndPainting() { painting_.reset(); }

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
        return 128;
    }

    Form1& form_;
    ErrorTrap& trap_;
    ListView& files_;
    ListView& characters_;
    QRadioButton& beside_;
    QLineEdit& outputFolder_;
    ProgressBar& bar_;
    DesktopServices& desktop_;
    RunWatch watch_;
    std::optional<BarPainting> painting_;
};

} // namespace

void Form1::PushButton2_Click() {
    if (runInProgress_) {
        return;
    }
    runInProgress_ = true;
    // Every way out clears the guard, but a window destroyed during a yield is left alone.
    const QPointer<Form1> self(this);
    const OnExit clearGuard([self] {
        if (self) {
            self->runInProgress_ = false;
        }
    });

    ErrorTrap trap = Trap(location::kPushButton2Click);
    StartAddingRun run(*this, trap, *listView1_, *listView2_, *option2_, *text3_, *progressBar1_, desktop_);
    // The three refusals, in this order, come before anything is written or deleted.
    const auto refused = [&](int line, const QString& message, const auto& condition) {
        bool refuse = false;
        trap.Line(line, [&] {
            refuse = condition();
            if (refuse) {
                ShowMessage(message);
            }
        });
        return refuse;
    };
    const bool refuse =
        refused(100, QStringLiteral("No files added."), [&] { return listView1_->Count() < 1; }) ||
        refused(102, QStringLiteral("No Characters added."), [&] { return listView2_->Count() < 1; }) ||
        refused(104, QStringLiteral("Folder does not exist. Please select another folder."),
                [&] { return !option2_->isChecked() && !IsFolder(ToEngine(text3_->text())); });
    if (refuse) {
        return;
    }

    // An overflow is reported here and the run goes on with no breaks at all, only the dropped spaces.
    const int enterCount =
        trap.Line(106, [&] { return EnterCountFromText(ToEngine(text1_->text())); }).value_or(0);
    const int count = trap.Line(108, [&] { return listView1_->Count(); }).value_or(0);
    if (run.WindowGone() || Batch(enterCount).Run(run, static_cast<std::size_t>(count)).stopped) {
        return;
    }

    run.EndPainting();
    trap.Line(130, [&] { SetMousePointer(PointerState::Default); });
    trap.Line(132, [&] {
        progressBar1_->setValue(0);
        progressBar1_->SetText(QStringLiteral("Progress Bar"));
    });
    trap.Line(134, [&] { ShowMessage(QStringLiteral("Done.")); });
    if (self) {
        runInProgress_ = false;
    }
}

} // namespace brantlewick
