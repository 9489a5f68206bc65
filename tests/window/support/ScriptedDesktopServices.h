// A desktop-services double for tests: answers come from queues, and everything shown is recorded.
#pragma once

#include "DesktopServices.h"
#include "QtPrinters.h"

#include <QString>
#include <QStringList>

#include <deque>
#include <functional>
#include <vector>

namespace brantlewick::testing {

struct ShownMessage {
    QString text;
    QString caption;
    MessageIcon icon;
    MessageButtons buttons;
};

struct ShownInputBox {
    QString prompt;
    QString caption;
    QString defaultText;
};

struct ShownFileDialog {
    QString title;
    QString filter;
};

struct FileDialogAnswer {
    QStringList paths;
    // The selection does not fit the dialog's buffer: the dialog fails with TooManyFilesError.
    bool tooManyFiles = false;
    // Not empty: the dialog fails with an error of this description.
    QString failure;
};

struct ShownFolderPicker {
    QWidget* owner;
    QString title;
    QString initialFolder;
};

class ScriptedDesktopServices : public DesktopServices {
public:
    // ---- Answers, taken from the front; when a queue is empty the answer is the one a user who just
    // closes the box gives: No, Cancel (empty), no files, no folder, and a draw of 1. Yes/No questions
    // take their answers from messageAnswers; an OK-only box always answers OK.
    std::deque<MessageAnswer> messageAnswers;
    std::deque<QString> inputAnswers;
    std::deque<FileDialogAnswer> fileAnswers;
    std::deque<QString> folderAnswers;
    std::deque<int> draws;
    QString desktopLocation = QStringLiteral("/home/tester/Desktop");
    // Runs at every ProcessEvents, so a test can act "while the window processes events" (for example
    // change the list during a run, or close the window).
    std::function<void()> onProcessEvents;
    // Runs when a message box is shown, after it was recorded (for example to act while it is open).
    std::function<void(const ShownMessage&)> onMessage;

    // ---- What was shown, in order.
    std::vector<ShownMessage> messages;
    std::vector<ShownInputBox> inputBoxes;
    std::vector<ShownFileDialog> fileDialogs;
    std::vector<ShownFolderPicker> folderPickers;
    QStringList openedFolders;
    QStringList openedAddresses;
    int drawCount = 0;
    int processEventsCount = 0;
    int endProgramCount = 0;

    // The texts of the messages shown, in order.
    QStringList MessageTexts() const;

    MessageAnswer MessageBox(QWidget* owner, const QString& text, const QString& caption, MessageIcon icon,
                             MessageButtons buttons) override;
    QString InputBox(QWidget* owner, const QString& prompt, const QString& caption,
                     const QString& defaultText) override;
    QStringList OpenFiles(QWidget* owner, const QString& title, const QString& filter) override;
    QString BrowseForFolder(QWidget* owner, const QString& title, const QString& initialFolder) override;
    void OpenFolder(const QString& path) override;
    void OpenWebAddress(const QString& address) override;
    QString DesktopLocation() override;
    int RandomDraw() override;
    void ProcessEvents() override;
    void EndProgram() override;
};

} // namespace brantlewick::testing
