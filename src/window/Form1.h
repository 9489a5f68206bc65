// The program's one window: its controls, start-up and shutdown, and the handlers of every control.
//
// The handlers are spread over several files, one per area, all members of this class:
//   Form1.cpp               construction, layout, event wiring, start-up (Form_Load), shutdown
//   Form1Styling.cpp        pointer state, hand pointer, skin
//   Form1FileList.cpp       file list: Clear List, double-click removal, reorder gesture
//   Form1CharacterList.cpp  sentence-ending character list: its four buttons, double-click, restore/save
//   Form1Options.cpp        number of Enters, save options, output folder box and its "..." button
//   Form1Batch.cpp          "Start Adding"
//   Form1AddFiles.cpp       Add File(s), Add All File(s) In Folder, Load Sample/Example Files, drag and drop
// Every control signal is already connected (Form1.cpp) to the handler named below; an area fills in its
// handler bodies and adds its state in its own section of this header.
#pragma once

#include "BeforeModalDesktop.h"
#include "DesktopServices.h"
#include "ErrorTrap.h"
#include "SkinFramework.h"

#include <QCursor>
#include <QPersistentModelIndex>
#include <QString>
#include <QWidget>

#include <functional>
#include <optional>

class QGroupBox;
class QLabel;
class QLineEdit;
class QMimeData;
class QPushButton;
class QRadioButton;
class QTreeWidgetItem;

namespace brantlewick {

class ListView;
class ProgressBar;
class SettingsStore;
struct ScanHooks;

// The window's mouse pointer; the values are the window system's pointer codes. The hourglass marks a run
// in progress: the removing operations do nothing while it shows.
enum class PointerState { Default = 0, Hourglass = 11, Custom = 99 };

// The most a text box holds; a longer stored value is refused at start-up instead of being cut.
inline constexpr int kLongestBoxText = 32767;

// The product's web site, opened once in a hundred starts.
inline constexpr const char* kWebsiteAddress = "https://brantlewick.example/";

// The application title: the product name cut at its last space until it is at most 40 characters long.
// A name without a space is kept whole (cut to 40 characters if longer).
QString ShortApplicationTitle(const QString& productName);

// The desktop folder without a trailing separator (the root gives the empty string, so that adding one
// separator gives "/"). Throws std::invalid_argument when the desktop cannot be located.
QString DesktopFolderPath(const QString& desktopLocation);

// A pointer image from a pointer (.cur) file, with the hot spot the file gives. Throws std::runtime_error
// when the file cannot be read or is not a pointer file.
QCursor LoadCursorFile(const QString& path);

class Form1 : public QWidget, private ErrorReporter {
public:
    // `programFolder` is the folder beside the executable, where the Samples folder, the pointer images
    // and the skin are looked for.
    Form1(SettingsStore& settings, DesktopServices& desktop, QString programFolder,
          QWidget* parent = nullptr);
    ~Form1() override;

    // ---- Start-up and shutdown (Form1.cpp) -------------------------------------------------------------
    // The start-up sequence; the caller shows the window afterwards.
    void Form_Load();
    // The close request: saves the character list, lets pending events run; never cancels.
    void Form_QueryUnload();
    // Ends the program.
    void Form_Unload();
    void SetApplicationTitle();
    const QString& ApplicationTitle() const { return applicationTitle_; }
    const QString& ProgramFolder() const { return programFolder_; }

    // ---- Controls -----------------------------------------------------------------------------------------
    ListView* ListView1() const { return listView1_; }
    ListView* ListView2() const { return listView2_; }
    QPushButton* PushButton1() const { return pushButton1_; }
    QPushButton* PushButton2() const { return pushButton2_; }
    QPushButton* PushButton3() const { return pushButton3_; }
    QPushButton* PushButton4() const { return pushButton4_; }
    QPushButton* PushButton5() const { return pushButton5_; }
    QPushButton* PushButton7() const { return pushButton7_; }
    QPushButton* PushButton9() const { return pushButton9_; }
    QPushButton* PushButton10() const { return pushButton10_; }
    QPushButton* PushButton11() const { return pushButton11_; }
    QPushButton* PushButton12() const { return pushButton12_; }
    QGroupBox* Frame2() const { return frame2_; }
    QGroupBox* Frame3() const { return frame3_; }
    QGroupBox* Frame5() const { return frame5_; }
    QLabel* Label1() const { return label1_; }
    QLineEdit* Text1() const { return text1_; }
    QLineEdit* Text3() const { return text3_; }
    QRadioButton* Option1() const { return option1_; }
    QRadioButton* Option2() const { return option2_; }
    ProgressBar* ProgressBar1() const { return progressBar1_; }
    const SkinFramework& SkinFramework1() const { return skinFramework1_; }

    // ---- Pointer state and styling (Form1Styling.cpp) ---------------------------------------------------
    PointerState MousePointer() const { return pointer_; }
    void SetMousePointer(PointerState state);
    // The mouse-movement family: the hand over push buttons, the arrow over the background and the
    // resetting controls; both leave the hourglass alone.
    void HandPointerMove();
    void PointerResetMove();
    void LoadHandPointer();
    void ApplySkin();

    // ---- Shared helpers for the handlers ----------------------------------------------------------------
    // A trap for a handler that has one; see ErrorTrap.
    ErrorTrap Trap(std::string_view location) { return ErrorTrap(*this, location); }
    // An ordinary message: OK only, no icon, the application title as caption.
    void ShowMessage(const QString& text);
    // A Yes/No question without an icon, captioned with the application title.
    bool AskYesNo(const QString& text);
    // An input box captioned with the application title; the empty string on Cancel.
    QString AskText(const QString& prompt, const QString& defaultText = QString());
    // Selects or clears an option button the way a stored setting does: selecting one clears the other,
    // clearing leaves the group possibly with none selected.
    static void SetOptionValue(QRadioButton* option, bool selected);
    SettingsStore& Settings() const { return settings_; }
    DesktopServices& Desktop() const { return desktop_; }

    // ==== File list (Form1FileList.cpp) ====================================================================
    // ListView1_MouseMove already does its first step, the pointer reset; the reorder step follows it.
    void PushButton4_Click();
    // The entry under a mouse press; picks the drag entry.
    void ListView1_ItemClick(QTreeWidgetItem* item);
    void ListView1_MouseDown(Qt::MouseButton button, const QPoint& position);
    void ListView1_MouseUp(Qt::MouseButton button, const QPoint& position);
    // Every pointer movement over the list (buttons held or not), in the list's viewport coordinates.
    void ListView1_MouseMove(Qt::MouseButtons buttons, const QPoint& position);
    void ListView1_DblClick();
    // Whether `list` holds an entry with exactly this text (letter case counts).
    static bool IsInList(const ListView* list, const QString& text);
    // The entry the reorder gesture moves, counted from 1; 0 when there is none.
    int DragEntryIndex() const;
    // Where the reorder gesture reads the pointer's screen row; the real pointer unless a test says so.
    void SetPointerScreenRowSource(std::function<int()> source);

    // ==== Character list (Form1CharacterList.cpp) ==========================================================
    // Restore and save already work (start-up step 13, shutdown step 1); the join and split rules are in
    // CharacterList.h.
    void PushButton9_Click();
    void PushButton10_Click();
    void PushButton11_Click();
    void PushButton12_Click();
    void ListView2_DblClick();
    // Start-up step 13 and shutdown step 1.
    void RestoreCharacterList();
    void SaveCharacterList();

    // ==== Options (Form1Options.cpp) =======================================================================
    // Text1_Change and Text3_Change already store their box: the start-up's write-back relies on them.
    // The option handlers run on the user's clicks only, not when the start-up selects from the settings.
    void Option1_Click();
    void Option2_Click();
    void Text1_Change();
    // Focus leaving the box for another control of the window (not a window switch).
    void Text1_LostFocus();
    void Text3_Change();
    void PushButton7_Click();
    // The folder the output-folder picker opened at last time, as the picker returned it.
    const QString& LastFolderDot() const { return lastFolderDot_; }

    // ==== Batch run (Form1Batch.cpp) =======================================================================
    // Yield with Desktop().ProcessEvents(); show the busy state with
    // SetMousePointer(PointerState::Hourglass).
    void PushButton2_Click();
    bool RunInProgress() const { return runInProgress_; }

    // ==== Adding files (Form1AddFiles.cpp) =================================================================
    // The file dialog is Desktop().OpenFiles (TooManyFilesError for a selection too long), the folder picker
    // Desktop().BrowseForFolder, opening the Samples folder Desktop().OpenFolder.
    void PushButton1_Click();
    // Shows the hourglass while the folder is collected; it stays while a batch run or another folder add
    // is still working, so that the run marker is not lifted under them.
    void PushButton3_Click();
    void PushButton5_Click();
    // Something is dragged over the file list: answer whether a drop is accepted (a list of local files).
    bool ListView1_OLEDragOver(const QMimeData* data);
    // Each dropped path on its own: one that fails is left out silently, the others still arrive.
    void ListView1_OLEDragDrop(const QMimeData* data);

protected:
    void closeEvent(QCloseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void ShowErrorReport(const std::string& text) override;
    void CreateControls();
    QList<QWidget*> ControlsByTabIndex() const;
    void SetTabOrder();
    void ConnectHandlers();
    // The file list's viewport and header events, passed on to the ListView1_ handlers.
    bool FileListEvent(QWidget* source, QEvent* event);
    void OpenWebsiteOnceInAHundred();
    // A run paints its bar only now and then, and a modal box keeps the run waiting: the bar must not show
    // an old file and value for as long as the box stays open.
    void PaintProgressBar();

    SettingsStore& settings_;
    // Every dialog goes through desktop_, which paints the progress bar first (see PaintProgressBar).
    BeforeModalDesktop paintingDesktop_;
    DesktopServices& desktop_;
    QString programFolder_;
    QString applicationTitle_;
    PointerState pointer_ = PointerState::Default;
    // The custom pointer image from HAND-M.CUR; without it the custom state shows the desktop's hand.
    std::optional<QCursor> handCursor_;
    SkinFramework skinFramework1_;

    ListView* listView1_ = nullptr;
    ListView* listView2_ = nullptr;
    QPushButton* pushButton1_ = nullptr;
    QPushButton* pushButton2_ = nullptr;
    QPushButton* pushButton3_ = nullptr;
    QPushButton* pushButton4_ = nullptr;
    QPushButton* pushButton5_ = nullptr;
    QPushButton* pushButton7_ = nullptr;
    QPushButton* pushButton9_ = nullptr;
    QPushButton* pushButton10_ = nullptr;
    QPushButton* pushButton11_ = nullptr;
    QPushButton* pushButton12_ = nullptr;
    QGroupBox* frame2_ = nullptr;
    QGroupBox* frame3_ = nullptr;
    QGroupBox* frame5_ = nullptr;
    QLabel* label1_ = nullptr;
    QLineEdit* text1_ = nullptr;
    QLineEdit* text3_ = nullptr;
    QRadioButton* option1_ = nullptr;
    QRadioButton* option2_ = nullptr;
    ProgressBar* progressBar1_ = nullptr;

    // ---- State and private helpers of each area: add them under the area's own line.
    // ----------------------- File list (Form1FileList.cpp):
    QCursor DragPointer() const;
    bool listPressed_ = false;
    // Follows the entry itself, and turns invalid when that entry leaves the list.
    QPersistentModelIndex dragEntry_;
    std::function<int()> pointerScreenRow_;

    // Character list (Form1CharacterList.cpp):

    // Options (Form1Options.cpp):
    void SaveOptions();
    // The boxes and the options store every change at once and have no trap: a store that refuses a write
    // is told once a session, not at every keystroke, and the window goes on working.
    void StoreChoice(const std::function<void()>& write);
    bool unsavedChoicesTold_ = false;
    QString lastFolderDot_;

    // Batch run (Form1Batch.cpp):
    bool runInProgress_ = false;

    // Adding files (Form1AddFiles.cpp):
    // The folder scan's window side: event processing per folder, and its own trap's report.
    ScanHooks FolderScanHooks();
    // Folder adds whose collection is still running (a click can start one while another yields).
    int folderAddsRunning_ = 0;
};

} // namespace brantlewick
