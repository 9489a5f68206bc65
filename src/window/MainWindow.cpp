// SPDX-License-Identifier: GPL-3.0-or-later
// The main window: its parts in their places, the tab order, the pointer rules, start-up and shutdown.
#include "brantlewick/window/MainWindow.h"

#include "AddFilesPart.h"
#include "AppIcon.h"
#include "CharacterListPart.h"
#include "Controls.h"
#include "FileListPart.h"
#include "FocusRing.h"
#include "OptionsPart.h"
#include "PreviewPart.h"
#include "StartAddingPart.h"
#include "StatusPart.h"
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

// The controls in the order the Tab key visits them: as they are laid out, the file list's column from top
// to bottom, then the other column, then the rows below both. The frames, the labels and the progress bar
// take no focus and drop out of the chain.
constexpr const char* kTabOrder[] = {
    "ListView1",   "PushButton1",  "PushButton3",  "PushButton4",  "PushButton5", "ListView2",
    "PushButton9", "PushButton10", "PushButton11", "PushButton12", "Frame3",      "Label1",
    "Text1",       "Frame5",       "Option1",      "Frame2",       "Text3",       "PushButton7",
    "Option2",     "PushButton2",  "ProgressBar1", "Frame6",       "Check1",      "Label2",
    "Combo1",      "Label3",       "Combo2",       "StatusLine",   "OpenResults", "ShowFailures"};

// What a screen reader says of each control: its name where the caption gives none in words, and what it
// is for. A caption with an access key ("&Add File(s)") is read without its "&".
struct Spoken {
    const char* control;
    const char* name; // nullptr: the caption
    const char* description;
};
constexpr Spoken kSpoken[] = {
    {"ListView1", "Files to convert",
     "The files Start Adding converts, in this order. Drop files or folders here; Ctrl+P previews the "
     "selected file's result; a double-click takes an entry off the list."},
    {"PushButton1", nullptr, "Adds files chosen in a file dialog to the list."},
    {"PushButton3", nullptr, "Adds every file of a folder and its sub-folders, by extension, to the list."},
    {"PushButton4", nullptr, "Takes every entry off the file list; the files themselves stay."},
    {"PushButton5", nullptr, "Adds the sample texts that come with the program to the list."},
    {"ListView2", "Sentence ending characters", "The line breaks are inserted after each of these."},
    {"PushButton9", nullptr, "Adds a sentence ending to the list."},
    {"PushButton10", nullptr, "Takes the selected sentence ending off the list."},
    {"PushButton11", nullptr, "Brings back the sentence endings full stop, exclamation and question mark."},
    {"PushButton12", nullptr, "Tells what the sentence ending characters are for."},
    {"Frame3", nullptr, "How many line breaks go after each sentence end."},
    {"Label1", nullptr, "Names the box beside it."},
    {"Text1", "Number of Enters to add",
     "How many line breaks go after each sentence end: a number, 1 at first."},
    {"Frame5", nullptr, "Where the results are written."},
    {"Option1", nullptr, "Writes every result into the folder named below."},
    {"Frame2", "Output folder", "The folder the results go to, and a button to choose it."},
    {"Text3", "Output folder", "The folder the results go to when they are saved to one folder."},
    {"PushButton7", "Choose output folder", "Opens a folder picker for the output folder."},
    {"Option2", nullptr, "Writes each result beside its original, with -Pellnor before the extension."},
    {"PushButton2", nullptr, "Converts every file of the list with these options; no original is changed."},
    {"ProgressBar1", "Progress", "How far the run has come, and the file being converted."},
    {"Frame6", nullptr, "Where the line breaks go, and what becomes of the input's own line breaks."},
    {"Check1", nullptr,
     "Breaks only where a sentence really ends: not inside numbers, after abbreviations or in addresses."},
    {"Label2", nullptr, "Names the list beside it."},
    {"Combo1", "Language", "Whose abbreviations and punctuation the sentence mode knows."},
    {"Label3", nullptr, "Names the list beside it."},
    {"Combo2", "Line breaks of the input",
     "Runs the input's lines together, keeps each line, or rejoins hard-wrapped paragraphs."},
    {"StatusLine", "Status", "What the last run did, or what the last folder added left out."},
    {"OpenResults", nullptr, "Opens the folder the last run wrote its results to in the file manager."},
    {"ShowFailures", nullptr, "Lists the files the last run could not convert, and why."},
};

// Moving over these brings back the arrow; over the other controls without a button the pointer stays.
constexpr const char* kResettingControls[] = {"Label1", "Frame3", "Text1", "Text3",
                                              "Frame6", "Label2", "Label3"};

} // namespace

// Destroyed in reverse order: the parts go before the shell they use, and all before the controls.
struct MainWindow::Parts {
    Parts(QWidget& window, SettingsStore& settings, DesktopServices& desktop, QString programFolder)
        : shell(window, settings, desktop, std::move(programFolder)), files(window, shell),
          status(window, shell), addFiles(window, shell, files, status), characters(window, shell),
          options(window, shell), startAdding(window, shell, files, characters, options, status),
          preview(window, shell, files, characters, options) {
        QObject::connect(&startAdding, &StartAddingPart::runEnded, &preview, &PreviewPart::RunEnded);
    }

    WindowShell shell;
    FileListPart files;
    StatusPart status;
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
    // The sentence option's row and the status line below the designed area add to the height.
    setFixedSize(TwipsToPixels(15960), TwipsToPixels(7470));
    setWindowIcon(BrantlewickIcon());
    parts_ = std::make_unique<Parts>(*this, settings, desktop, std::move(programFolder));
    // What the preview may cover when there is no room beside the window: the file list's column, clear of
    // the options and "Start Adding".
    setProperty("previewMayCover", QRect(0, 0, TwipsToPixels(8040), TwipsToPixels(6120)));
    SetTabOrder();
    for (const Spoken& spoken : kSpoken) {
        QWidget* control = findChild<QWidget*>(QString::fromLatin1(spoken.control));
        if (spoken.name != nullptr) {
            control->setAccessibleName(QString::fromLatin1(spoken.name));
        }
        control->setAccessibleDescription(QString::fromLatin1(spoken.description));
    }
    new FocusRing(*this);

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
