// The scripted desktop double.
#include "ScriptedDesktopServices.h"

#include <stdexcept>

namespace brantlewick::testing {
namespace {

template <typename T> T TakeFront(std::deque<T>& queue, T fallback) {
    if (queue.empty()) {
        return fallback;
    }
    T front = std::move(queue.front());
    queue.pop_front();
    return front;
}

} // namespace

QStringList ScriptedDesktopServices::MessageTexts() const {
    QStringList texts;
    for (const ShownMessage& message : messages) {
        texts.append(message.text);
    }
    return texts;
}

MessageAnswer ScriptedDesktopServices::MessageBox(QWidget* /*owner*/, const QString& text,
                                                  const QString& caption, MessageIcon icon,
                                                  MessageButtons buttons) {
    messages.push_back({text, caption, icon, buttons});
    if (onMessage) {
        onMessage(messages.back());
    }
    if (buttons == MessageButtons::Ok) {
        return MessageAnswer::Ok;
    }
    return TakeFront(messageAnswers, MessageAnswer::No);
}

QString ScriptedDesktopServices::InputBox(QWidget* /*owner*/, const QString& prompt, const QString& caption,
                                          const QString& defaultText) {
    inputBoxes.push_back({prompt, caption, defaultText});
    return TakeFront(inputAnswers, QString());
}

QStringList ScriptedDesktopServices::OpenFiles(QWidget* /*owner*/, const QString& title,
                                               const QString& filter) {
    fileDialogs.push_back({title, filter});
    const FileDialogAnswer answer = TakeFront(fileAnswers, FileDialogAnswer());
    if (answer.tooManyFiles) {
        throw TooManyFilesError();
    }
    if (!answer.failure.isEmpty()) {
        throw std::runtime_error(answer.failure.toStdString());
    }
    return answer.paths;
}

QString ScriptedDesktopServices::BrowseForFolder(QWidget* owner, const QString& title,
                                                 const QString& initialFolder) {
    folderPickers.push_back({owner, title, initialFolder});
    return TakeFront(folderAnswers, QString());
}

void ScriptedDesktopServices::OpenFolder(const QString& path) {
    openedFolders.append(path);
}

void ScriptedDesktopServices::OpenWebAddress(const QString& address) {
    openedAddresses.append(address);
}

QString ScriptedDesktopServices::DesktopLocation() {
    return desktopLocation;
}

int ScriptedDesktopServices::RandomDraw() {
    ++drawCount;
    return TakeFront(draws, 1);
}

void ScriptedDesktopServices::ProcessEvents() {
    ++processEventsCount;
    if (onProcessEvents) {
        onProcessEvents();
    }
}

void ScriptedDesktopServices::EndProgram() {
    ++endProgramCount;
}

} // namespace brantlewick::testing
