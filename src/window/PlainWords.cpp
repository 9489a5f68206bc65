// SPDX-License-Identifier: GPL-3.0-or-later
// Which failures are the user's own conditions, and their words.
#include "PlainWords.h"

#include "EngineText.h"
#include "brantlewick/files/EngineError.h"
#include "brantlewick/filesystem/PathHelpers.h"
#include "brantlewick/settings/SettingsStore.h"

#include <cerrno>
#include <string_view>

namespace brantlewick {
namespace {

enum class Condition { None, Missing, Denied, Full, ReadOnlyDisk, NotAFile, NotText };

Condition ConditionOf(const EngineError& error) {
    switch (error.SystemError()) {
    case ENOENT:
    case ENOTDIR:
        return Condition::Missing;
    case EACCES:
    case EPERM:
        return Condition::Denied;
    case ENOSPC:
    case EDQUOT:
        return Condition::Full;
    case EROFS:
        return Condition::ReadOnlyDisk;
    case 0:
        break;
    default:
        return Condition::None;
    }
    const std::string_view reason = error.Reason();
    if (reason.starts_with("is a folder, not a file") || reason.starts_with("is not a regular file")) {
        return Condition::NotAFile;
    }
    if (reason.starts_with("not a text file") || reason.starts_with("not valid ")) {
        return Condition::NotText;
    }
    return Condition::None;
}

struct Words {
    QString what;   // what happened, after the name of the file
    QString advice; // what the user can do
};

// What happened to the input itself.
Words AboutTheInput(Condition condition, const QString& reason) {
    switch (condition) {
    case Condition::Missing:
        return {QStringLiteral("it cannot be found."),
                QStringLiteral("It may have been moved, renamed or deleted since it was added. Take it off "
                               "the list, or add it again from where it is now.")};
    case Condition::Denied:
        return {
            QStringLiteral("you may not read it (permission denied)."),
            QStringLiteral("Check the file's permissions in your file manager, or take it off the list.")};
    case Condition::NotAFile:
        return {QStringLiteral("it ") + reason + u'.',
                QStringLiteral("Take it off the list. To convert the files in a folder, add them with \"Add "
                               "All File(s) In Folder\".")};
    case Condition::NotText:
        return {QStringLiteral("it is not a text file it can read (") + reason + QStringLiteral(")."),
                QStringLiteral("Take it off the list.")};
    default:
        return {reason + u'.', QStringLiteral("Check the file and the disk it is on.")};
    }
}

// What happened to the result, written into its folder.
Words AboutTheResult(Condition condition, const QString& reason) {
    switch (condition) {
    case Condition::Missing:
        return {QStringLiteral("the folder it goes to cannot be found."),
                QStringLiteral("Choose another output folder.")};
    case Condition::Denied:
        return {QStringLiteral("you may not write there (permission denied)."),
                QStringLiteral("Choose an output folder you may write in, or change the permissions of "
                               "this one.")};
    case Condition::Full:
        return {QStringLiteral("there is no room left on the disk."),
                QStringLiteral("Free some space, or choose an output folder on another disk, and start "
                               "again.")};
    case Condition::ReadOnlyDisk:
        return {QStringLiteral("the disk it goes to can only be read."),
                QStringLiteral("Choose an output folder on another disk.")};
    default:
        return {reason + u'.', QStringLiteral("Choose another output folder.")};
    }
}

std::optional<QString> AboutAFile(const EngineError& error, const QString& input) {
    const Condition condition = ConditionOf(error);
    if (condition == Condition::None) {
        return std::nullopt;
    }
    const QString path = error.Path().empty() ? input : FromEngine(error.Path());
    const QString reason = FromEngine(error.Reason());
    QString opening;
    Words words;
    if (input.isEmpty() || path == input) {
        const QString name = FromEngine(FileNameOf(ToEngine(path)));
        opening = name + (input.isEmpty() ? QStringLiteral(" cannot be used: ")
                                          : QStringLiteral(" was not converted: "));
        words = AboutTheInput(condition, reason);
    } else {
        opening = QStringLiteral("The result of ") + FromEngine(FileNameOf(ToEngine(input))) +
                  QStringLiteral(" cannot be written: ");
        words = AboutTheResult(condition, reason);
    }
    return opening + words.what + QStringLiteral("\r\r") + path + QStringLiteral("\r\r") + words.advice;
}

} // namespace

std::optional<QString> PlainWords(const std::exception& error, const QString& input,
                                  const QString& settingsFile) {
    if (const auto* engine = dynamic_cast<const EngineError*>(&error)) {
        return AboutAFile(*engine, input);
    }
    if (dynamic_cast<const SettingsError*>(&error) != nullptr) {
        return QString::fromUtf8(error.what()) + QStringLiteral("\r\rCheck that you may read and write ") +
               settingsFile +
               QStringLiteral(" and its folder. To start again with the default settings, rename or remove "
                              "that file.");
    }
    return std::nullopt;
}

QString FailureReason(const std::exception& error) {
    if (const auto* engine = dynamic_cast<const EngineError*>(&error)) {
        return FromEngine(engine->Reason());
    }
    return QString::fromUtf8(error.what());
}

} // namespace brantlewick
