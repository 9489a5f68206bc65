// A desktop double for window tests: answers come from queues (when one is empty, the answer of a user who
// just closes the box: No, Cancel, nothing), and everything shown is recorded in order.
#pragma once

#include "DesktopServices.h"

#include <QStringList>

#include <deque>
#include <functional>
#include <stdexcept>
#include <vector>

namespace brantlewick::testing {

struct ShownMessage {
    QString text;
    QString caption;
    MessageIcon icon;
    MessageButtons buttons;
};

struct FileDialogAnswer {
    QStringList paths;
    bool tooManyFiles = false;
    QString failure; // not empty: the dialog fails with this description
};

class ScriptedDesktop final : public DesktopServices {
public:
    std::deque<MessageAnswer> questionAnswers;
    std::deque<QString> inputAnswers;
    std::deque<FileDialogAnswer> fileAnswers;
    std::deque<QString> folderAnswers;
    std::deque<int> draws;
    QString desktopLocation = QStringLiteral("/home/tester/Desktop");
    int pointerRow = 0;
    // Run at every yield of the window, and when a box opens: a test acts "meanwhile" through them.
    std::function<void()> onProcessEvents;
    std::function<void(const ShownMessage&)> onMessage;

    std::vector<ShownMessage> messages;
    std::vector<QStringList> inputBoxes;    // prompt, caption, preset
    std::vector<QStringList> fileDialogs;   // title, filter
    std::vector<QStringList> folderPickers; // title, initial folder
    std::vector<QWidget*> dialogOwners;
    QStringList openedFolders;
    QStringList openedAddresses;
    int processEventsCount = 0;
    int endProgramCount = 0;

    QStringList MessageTexts() const {
        QStringList texts;
        for (const ShownMessage& message : messages) {
            texts.append(message.text);
        }
        return texts;
    }

    MessageAnswer MessageBox(QWidget*, const QString& text, const QString& caption, MessageIcon icon,
                             MessageButtons buttons) override {
        messages.push_back({text, caption, icon, buttons});
        if (onMessage) {
            onMessage(messages.back());
        }
        return buttons == MessageButtons::Ok ? MessageAnswer::Ok : Take(questionAnswers, MessageAnswer::No);
    }
    QString InputBox(QWidget*, const QString& prompt, const QString& caption,
                     const QString& preset) override {
        inputBoxes.push_back({prompt, caption, preset});
        return Take(inputAnswers, QString());
    }
    QStringList OpenFiles(QWidget* owner, const QString& title, const QString& filter) override {
        fileDialogs.push_back({title, filter});
        dialogOwners.push_back(owner);
        const FileDialogAnswer answer = Take(fileAnswers, FileDialogAnswer());
        if (answer.tooManyFiles) {
            throw TooManyFilesError();
        }
        if (!answer.failure.isEmpty()) {
            throw std::runtime_error(answer.failure.toStdString());
        }
        return answer.paths;
    }
    QString BrowseForFolder(QWidget* owner, const QString& title, const QString& initial) override {
        folderPickers.push_back({title, initial});
        dialogOwners.push_back(owner);
        return Take(folderAnswers, QString());
    }
    void OpenFolder(const QString& path) override { openedFolders.append(path); }
    void OpenWebAddress(const QString& address) override { openedAddresses.append(address); }
    QString DesktopLocation() override { return desktopLocation; }
    int RandomDraw() override { return Take(draws, 1); }
    int PointerScreenRow() override { return pointerRow; }
    void ProcessEvents() override {
        ++processEventsCount;
        if (onProcessEvents) {
            onProcessEvents();
        }
    }
    void EndProgram() override { ++endProgramCount; }

private:
    template <typename T> static T Take(std::deque<T>& queue, T fallback) {
        if (queue.empty()) {
            return fallback;
        }
        T front = std::move(queue.front());
        queue.pop_front();
        return front;
    }
};

} // namespace brantlewick::testing
