// SPDX-License-Identifier: GPL-3.0-or-later
// The main window: its parts in their places, the tab order, the pointer rules, start-up and shutdown.
#include "brantlewick/window/MainWindow.h"

#include "AddFilesPart.h"
#include "AppIcon.h"
#include "CharacterListPart.h"
#include "Controls.h"
#include "FileListPart.h"
#include "OptionsPart.h"
#include "PreviewPart.h"
#include "StartAddingPart.h"
#include "TrapLocations.h"
#include "WindowShell.h"
#include "WindowStyling.h"
#include "brantlewick/settings/SettingsStore.h"
#include "brantlewick/window/ListView.h"

#include <QCloseEvent>
#include <QHeaderView>
#include <QPushButton>

namespace brantlewick {
namespace {

// The product's web site, opened once in a hundred starts: when a draw from 1 to 100 gives this number.
inline constexpr const char* kWebsiteAddress = "https://brantlewick.example/";
constexpr int kWebsiteDraw = 7;

// The controls in the order the Tab key visits them. The frames, the label and the progress bar take no
// focus and drop out of the chain.
constexpr const char* kTabOrder[] = {
    "ListView1",   "PushButton1",  "PushButton3",  "PushButton4",  "PushButton5",  "ListView2",
    "PushButton9", "PushButton10", "PushButton11", "PushButton12", "ProgressBar1", "Text1",
    "Option1",     "Text3",        "Option2",      "PushButton2",  "Frame3",       "Frame5",
    "Frame2",      "PushButton7",  "Label1",       "Frame6",       "Check1",       "Label2",
    "Combo1",      "Label3",       "Combo2"};

// Moving over these brings back the arrow; over the other controls without a button the pointer stays.
constexpr const char* kResettingControls[] = {"Label1", "Frame3", "Text1", "Text3",
                                              "Frame6", "Label2", "Label3"};

} // namespace

// Destroyed in reverse order: the parts go before the shell they use, and all before the controls.
struct MainWindow::Parts {
    Parts(QWidget& window, SettingsStore& settings, DesktopServices& desktop, QString programFolder)
        : shell(window, settings, desktop, std::move(programFolder)), files(window, shell),
          addFiles(window, shell, files), characters(window, shell), options(window, shell),
          startAdding(window, shell, files, characters, options),
          preview(window, shell, files, characters, options) {}

    WindowShell shell;
    FileListPart files;
    AddFilesPart addFiles;
    CharacterListPart characters;
    OptionsPart options;
    StartAddingPart startAdding;
    PreviewPart preview;
};

MainWindow::MainWindow(SettingsStore& settings, DesktopServices& desktop, QString programFolder,
                       QWidget* parent)
    : QWidget(parent) {
    // The window's name from before it was a class of its own: stored layouts and outside tools find it so.
    setObjectName(QStringLiteral("Form1"));
    setFont(ArialBold(9));
    // The sentence option's row below the designed area adds to the height.
    setFixedSize(TwipsToPixels(15960), TwipsToPixels(7100));
    setWindowIcon(BrantlewickIcon());
    parts_ = std::make_unique<Parts>(*this, settings, desktop, std::move(programFolder));
    SetTabOrder();

    // Pointer movements are handled by the control under the pointer alone: a control without a handler
    // of its own must not pass the movement on to its frame or to the window's background.
    setMouseTracking(true);
    for (const char* name : kTabOrder) {
        QWidget* control = findChild<QWidget*>(QString::fromLatin1(name));
        control->setAttribute(Qt::WA_NoMousePropagation);
        control->setMouseTracking(true);
    }
    for (const char* name : {"ListView1", "ListView2"}) {
        auto* list = findChild<ListView*>(QString::fromLatin1(name));
        list->viewport()->setMouseTracking(true);
        list->header()->viewport()->setMouseTracking(true);
    }
    for (QPushButton* button : findChildren<QPushButton*>()) {
        button->installEventFilter(this);
    }
    for (const char* name : kResettingControls) {
        findChild<QWidget*>(QString::fromLatin1(name))->installEventFilter(this);
    }
}

MainWindow::~MainWindow() = default;

void MainWindow::SetTabOrder() {
    QWidget* previous = nullptr;
    for (const char* name : kTabOrder) {
        QWidget* control = findChild<QWidget*>(QString::fromLatin1(name));
        if (previous != nullptr) {
            setTabOrder(previous, control);
        }
        previous = control;
    }
}

bool MainWindow::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::MouseMove) {
        if (qobject_cast<QPushButton*>(watched) != nullptr) {
            parts_->shell.PointerOverButton();
        } else {
            parts_->shell.PointerOverResettingControl();
        }
    }
    return false;
}

void MainWindow::mouseMoveEvent(QMouseEvent* event) {
    parts_->shell.PointerOverResettingControl();
    QWidget::mouseMoveEvent(event);
}

void MainWindow::Load() {
    WindowShell& shell = parts_->shell;
    ErrorTrap trap = shell.Trap(location::kStartUp);
    trap.Line(100, [&] { ApplySkin(*this, shell.ProgramFolder()); });
    trap.Line(102, [&] { setWindowTitle(QStringLiteral("Brantlewick")); });
    trap.Line(104, [&] { shell.SetApplicationTitle(); });
    trap.Line(106, [&] {
        if (auto hand = LoadHandPointer(shell.ProgramFolder())) {
            shell.SetHandImage(*hand);
        }
    });
    trap.Line(108, [&] { OpenWebsiteOnceInAHundred(); });
    trap.Line(110, [&] { parts_->files.ShowColumn(); });
    // The settings file is read here, once. One that cannot be used at all is reported once, with its
    // reason, and every setting below takes its default; a damaged one set aside is said so.
    trap.Line(112, [&] {
        if (const std::optional<QString> recovered = shell.Settings().Open()) {
            shell.ShowMessage(*recovered);
        }
    });
    parts_->options.Restore(trap);
    trap.Line(122, [&] { parts_->characters.ShowColumn(); });
    trap.Line(124, [&] { parts_->characters.Restore(); });
    parts_->options.RestoreSentenceChoices(trap);
}

void MainWindow::OpenWebsiteOnceInAHundred() {
    DesktopServices& desktop = parts_->shell.Desktop();
    if (desktop.RandomDraw() == kWebsiteDraw) {
        desktop.OpenWebAddress(QString::fromUtf8(kWebsiteAddress));
    }
}

void MainWindow::closeEvent(QCloseEvent* event) {
    // Closing is never refused, not even during a run; the run stops where it is.
    WindowShell& shell = parts_->shell;
    ErrorTrap trap = shell.Trap(location::kClosing);
    // A store that refused a write before was told then; the list is not saved either, without a word.
    trap.Line(100, [&] {
        shell.SaveSettings([&] { parts_->characters.Save(); }, [](const std::exception&) { throw; });
    });
    trap.Line(102, [&] {
        shell.Desktop().ProcessEvents();
        shell.Desktop().ProcessEvents();
    });
    event->accept();
    shell.Desktop().EndProgram();
}

} // namespace brantlewick
