// SPDX-License-Identifier: GPL-3.0-or-later
// The per-user store of the program's choices: one INI file, group "Brantlewick", every value a string.
#pragma once

#include <QDateTime>
#include <QString>

#include <memory>
#include <optional>
#include <stdexcept>

namespace brantlewick {

// A read or write of the store failed, or a stored value has the wrong form. what() is readable as is.
class SettingsError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// The complete list of keys; nothing else is ever read or written.
namespace setting {
inline const QString kListView2 = QStringLiteral("ListView2");
inline const QString kText1 = QStringLiteral("Text1");
inline const QString kOutputFolder = QStringLiteral("Output Folder");
inline const QString kOption1 = QStringLiteral("Option1");
inline const QString kOption2 = QStringLiteral("Option2");
inline const QString kExtension = QStringLiteral("Extension");
inline const QString kLastFolder = QStringLiteral("LastFolder");
inline const QString kLastFolderDot = QStringLiteral("LastFolderDot");
// The sentence mode ("True" / "False"), its language ("en", "de", ..., "auto") and what becomes of the
// input's line breaks ("join", "keep", "reflow"). Written only when the user changes them, so that a settings
// file of the classic choices reads the same as before.
inline const QString kSentenceMode = QStringLiteral("SentenceMode");
inline const QString kLanguage = QStringLiteral("Language");
inline const QString kLineBreaks = QStringLiteral("LineBreaks");
// Where the "Add File(s)" dialog opens: the folder of the files added with it last.
inline const QString kLastAddFolder = QStringLiteral("LastAddFolder");
// Where the user left the preview window, for each set-up of screens: "SCREENS=x,y,width,height" entries
// joined by ";", the frame's place and size.
inline const QString kPreviewPlace = QStringLiteral("PreviewPlace");
} // namespace setting

// What each key reads as before it was ever written ("Output Folder" has none: its default is computed from
// the desktop folder at every start, "ListView2"'s is the character list's own and "Language"'s the user's
// locale's).
namespace setting_default {
inline const QString kText1 = QStringLiteral("1");
inline const QString kOption1 = QStringLiteral("1");
inline const QString kOption2 = QStringLiteral("0");
inline const QString kExtension = QStringLiteral("*");
inline const QString kLastFolder;
inline const QString kLastFolderDot;
inline const QString kSentenceMode = QStringLiteral("0");
inline const QString kLineBreaks = QStringLiteral("join");
} // namespace setting_default

namespace ini {
class IniText;
}

class SettingsStore {
public:
    // The user's store: $XDG_CONFIG_HOME/Kestrova.ini (organisation "Kestrova", no application name), or
    // ~/.config/Kestrova.ini where XDG_CONFIG_HOME is unset, empty or relative.
    SettingsStore();
    // A store in the given INI file; tests point it into a temporary folder.
    explicit SettingsStore(QString filePath);
    ~SettingsStore();
    SettingsStore(const SettingsStore&) = delete;
    SettingsStore& operator=(const SettingsStore&) = delete;

    static QString DefaultFilePath();
    const QString& FilePath() const { return filePath_; }

    // Reads the file, once: reads are answered from what was read, and the file is read again only when
    // something else has changed it since. A damaged file (lines the store could not write back unchanged)
    // is set aside first: a copy is kept beside it as "<file>.damaged-YYYYMMDD-HHMMSS" (with "-2", "-3",
    // ... when that name is taken) and the file keeps every line that could be read; the message returned
    // says so, naming the copy. Throws SettingsError, with the reason, when the file cannot be used at all
    // (a folder, not a regular file, unreadable, or damaged and impossible to set aside): from then on every
    // key reads as its default and nothing is saved, without another word.
    std::optional<QString> Open(const QDateTime& now = QDateTime::currentDateTime());

    // The stored text, or `defaultValue` when the key was never written. An empty stored text is a
    // value: it comes back empty. Throws SettingsError when the file exists but cannot be used, unless
    // Open() has said so.
    QString GetSetting(const QString& key, const QString& defaultValue) const;
    // Replaces the key's value and writes the file at once, in one piece; every other byte of it stays as
    // it was. Throws SettingsError when the file cannot be written, and refuses (with SettingsError) to
    // rewrite a file it could not read, so that a damaged file is never replaced by one holding only what
    // could be understood of it.
    void SaveSetting(const QString& key, const QString& value);

    // GetSetting read as a boolean by ParseBoolSetting; `defaultValue` is "1" or "0" by convention.
    bool GetBoolSetting(const QString& key, const QString& defaultValue) const;
    void SaveBoolSetting(const QString& key, bool value) { SaveSetting(key, BoolSettingText(value)); }

    // "True" / "False", the form booleans are written in.
    static QString BoolSettingText(bool value);
    // "True" and "False" in any letter case, or a number (zero is false, any other number true), with
    // surrounding spaces allowed; anything else throws SettingsError naming `key` and the text.
    static bool ParseBoolSetting(const QString& key, const QString& text);

private:
    struct File;
    // The file as it is on disk now: read again when it changed since it was last read or written.
    const File& Current() const;
    void Write(ini::IniText text);
    std::optional<QString> SetAside(const QDateTime& now);

    QString filePath_;
    std::unique_ptr<File> file_;
    // The problem Open() has reported; it is not raised again.
    QString toldProblem_;
};

} // namespace brantlewick
