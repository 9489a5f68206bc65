// "Start Adding": the batch run over the file list.
#include "Form1.h"

#include "EngineText.h"

#include "EnterCount.h"
#include "ListView.h"
#include "OutputNaming.h"
#include "PathHelpers.h"
#include "ProgressBar.h"
#include "SentenceBreaks.h"

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
    void After() { bar_->setUpdatesEnabled(false); }

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
    RunWatch watch(this, listView1_);

    ErrorTrap trap = Trap(location::kPushButton2Click);
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

    // The inputs of this run, so that no output ever replaces one of them whatever its spelling. Set
    // last, so that a failure here converts nothing rather than something unprotected.
    int count = 0;
    std::vector<std::string> batchInputs;
    std::optional<OutputNamer> namer;
    trap.Line(108, [&] {
        const int n = listView1_->Count();
        batchInputs = ToEngine(listView1_->Texts());
        namer.emplace(batchInputs);
        count = n;
    });
    if (watch.WindowGone()) {
        return;
    }

    const auto yield = [this] { desktop_.ProcessEvents(); };
    std::optional<BarPainting> barPainting(std::in_place, progressBar1_);
    for (int i = 1; i <= count; ++i) {
        trap.Line(110, yield);
        if (watch.WindowGone()) {
            return;
        }
        trap.Line(112, [&] { SetMousePointer(PointerState::Hourglass); });
        // Entries are read by position: the list may have been reordered, grown or shrunk meanwhile.
        const std::optional<QString> entry = trap.Line(114, [&] {
            if (i > listView1_->Count()) {
                throw std::out_of_range("Index out of bounds: the file list no longer has an entry " +
                                        std::to_string(i) + ".");
            }
            return listView1_->Text(i);
        });
        if (watch.WindowGone()) {
            return;
        }
        if (!entry) {
            continue;
        }
        const std::string input = ToEngine(*entry);
        trap.Line(116, [&] {
            progressBar1_->setValue(
                static_cast<int>(std::lrint(static_cast<double>(i) / listView1_->Count() * 100.0)));
        });
        trap.Line(118, [&] {
            progressBar1_->SetText(QStringLiteral("Processing: ") + FromEngine(FileNameOf(input)));
        });
        barPainting->Before(input);
        trap.Line(120, yield);
        if (watch.WindowGone()) {
            return;
        }
        barPainting->After();
        if (input.empty()) {
            continue;
        }
        trap.Line(122, [&] { SetMousePointer(PointerState::Hourglass); });
        const std::optional<std::string> output = trap.Line(124, [&] {
            if (watch.TakeListChange()) {
                std::vector<std::string> inputs = batchInputs;
                for (std::string& now : ToEngine(listView1_->Texts())) {
                    inputs.push_back(std::move(now));
                }
                namer.emplace(inputs);
            }
            // Without either option (stored settings can leave both clear) the results go to the folder
            // the check above insisted on, exactly as with "Save results to this folder:".
            std::optional<std::string> folder;
            if (!option2_->isChecked()) {
                folder = ToEngine(text3_->text());
                // Emptied during the run, the box would make "/" plus the name: the root folder, which
                // nobody chose.
                if (folder->empty()) {
                    throw std::invalid_argument("The output folder box is empty; " + FileNameOf(input) +
                                                " is not converted.");
                }
            }
            return namer.value().OutputPathFor(input, folder);
        });
        if (watch.WindowGone()) {
            return;
        }
        if (!output) {
            continue;
        }
        trap.Line(126, [&] { DeleteFileIfPresent(*output, yield); });
        if (watch.WindowGone()) {
            return;
        }
        trap.Line(128, [&] { ConvertOneFile(input, *output, enterCount); });
        if (watch.WindowGone()) {
            return;
        }
    }

    barPainting.reset();
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

void Form1::ConvertOneFile(const std::string& input, const std::string& output, int enterCount) {
    ErrorTrap trap = Trap(location::kInsertEnterInFile);
    // The entries as they stand now; nothing yields until the file is written.
    trap.Line(100, [&] { InsertEnterInFile(input, output, enterCount, ToEngine(listView2_->Texts())); });
}

} // namespace brantlewick
