// SPDX-License-Identifier: GPL-3.0-or-later
// A desktop double for window tests: answers come from queues (when one is empty, those of a user who just
// closes the box: No, Cancel, nothing), and every box and dialog shown is recorded in order.
#pragma once

#include "brantlewick/window/DesktopServices.h"
#include "brantlewick/window/PreviewPage.h"

#include <QStringList>

#include <algorithm>
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

class ScriptedDesktop final : public DesktopServices {
public:
    std::deque<MessageAnswer> questionAnswers;
    std::deque<QString> inputAnswers;
    std::deque<QStringList> fileAnswers; // {"too many"} or {"fails", description} make the dialog fail
    std::deque<QString> folderAnswers;
    std::deque<int> draws, menuAnswers;
    QString desktopLocation;
    int pointerRow = 0;
    std::function<void()> onProcessEvents; // a test acts "meanwhile" at the window's yields
    std::function<void(const ShownMessage&)> onMessage;

    std::vector<ShownMessage> messages;
    std::vector<QStringList> dialogs;  // each input box, file dialog, folder picker and menu
    QStringList opened;                // folders and web addresses, in order
    std::vector<PreviewPage> previews; // each page shown; the preview is open once one was
    std::vector<QList<FileFailure>> failureLists;
    int processEventsCount = 0;
    int endProgramCount = 0;

    QStringList MessageTexts() const {
        QStringList texts;
        std::transform(messages.begin(), messages.end(), std::back_inserter(texts),
                       [](auto& m) { return m.text; });
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
        dialogs.push_back({prompt, caption, preset});
        return Take(inputAnswers, QString());
    }
    QStringList OpenFiles(QWidget*, const QString& title, const QString& filter,
                          const QString& start) override {
        dialogs.push_back({title, filter, start});
        QStringList answer = Take(fileAnswers, QStringList());
        if (answer.value(0) == QStringLiteral("too many")) {
            throw TooManyFilesError();
        }
        if (answer.value(0) == QStringLiteral("fails")) {
            throw std::runtime_error(answer.value(1).toStdString());
        }
        return answer;
    }
    QString BrowseForFolder(QWidget*, const QString& title, const QString& initial) override {
        dialogs.push_back({title, initial});
        return Take(folderAnswers, QString());
    }
    int PopupMenu(QWidget*, const QPoint&, const QStringList& items) override {
        dialogs.push_back(items);
        return Take(menuAnswers, -1);
    }
    void ShowPreview(QWidget*, const PreviewPage& page, bool, PreviewPlaces*) override {
        previews.push_back(page);
    }
    bool PreviewOpen() override { return !previews.empty(); }
    void ShowFailures(QWidget*, const QList<FileFailure>& failures) override {
        failureLists.push_back(failures);
    }
    void OpenFolder(const QString& path) override { opened.append(path); }
    void OpenWebAddress(const QString& address) override { opened.append(address); }
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
        if (!queue.empty()) {
            fallback = std::move(queue.front());
            queue.pop_front();
        }
        return fallback;
    }
};

} // namespace brantlewick::testing
