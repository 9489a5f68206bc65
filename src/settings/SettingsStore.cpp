// SPDX-License-Identifier: GPL-3.0-or-later
// The settings store on QSettings, guarded so that a damaged or unreadable file is never rewritten.
#include "SettingsStore.h"

#include <QFile>
#include <QFileInfo>
#include <QLocale>
#include <QSettings>
#include <QStringDecoder>
#include <QVariant>

#include <QDateTime>
#include <QSaveFile>

#include <algorithm>
#include <cmath>
#include <vector>

namespace brantlewick {
namespace {

const QString kOrganisation = QStringLiteral("Kestrova");
const QString kGroup = QStringLiteral("Brantlewick");

// Long values are cut in messages so that a report stays a readable box.
QString Quoted(const QString& text) {
    constexpr qsizetype kShown = 60;
    if (text.size() <= kShown) {
        return u'"' + text + u'"';
    }
    return u'"' + text.left(kShown) + QStringLiteral("...\" (%1 characters)").arg(text.size());
}

// One line of an INI file, marked when QSettings would not write it back as it stands: bytes that are not
// UTF-8 or NUL bytes, or a line that is neither a group header, a key with "=", the continuation of a
// value, a ";" comment nor blank. QSettings itself drops such lines when it rewrites a file.
struct IniLine {
    QByteArray bytes;
    bool damaged = false;
    // Left out of a recovered file: damaged itself, or part of a value (a key and the lines it continues
    // onto) with a damaged line in it.
    bool dropped = false;
};

bool IsUtf8WithoutNul(const QByteArray& bytes) {
    // Stateless: a sequence cut off at the line's end is an error, not something to wait for.
    QStringDecoder decoder(QStringDecoder::Utf8, QStringConverter::Flag::Stateless);
    const QString decoded = decoder(bytes); // the decoder works only when its result is taken
    return !decoder.hasError() && !bytes.contains('\0');
}

std::vector<IniLine> ReadIniLines(const QByteArray& content) {
    std::vector<IniLine> lines;
    bool continued = false;
    std::size_t entryStart = 0;
    for (const QByteArray& bytes : content.split('\n')) {
        IniLine line{bytes};
        const bool wasContinued = continued;
        if (!wasContinued) {
            entryStart = lines.size();
        }
        if (!IsUtf8WithoutNul(bytes)) {
            line.damaged = true;
            continued = false;
        } else {
            const QString text = QString::fromUtf8(bytes).trimmed();
            continued = text.endsWith(u'\\');
            if (!wasContinued && !text.isEmpty() && !text.startsWith(u';')) {
                line.damaged = text.startsWith(u'[') ? !text.contains(u']') : !text.contains(u'=');
            }
        }
        lines.push_back(line);
        if (line.damaged) {
            for (std::size_t i = entryStart; i < lines.size(); ++i) {
                lines[i].dropped = true;
            }
        } else if (lines[entryStart].dropped) {
            lines.back().dropped = true; // a continuation of a value already lost
        }
    }
    return lines;
}

// The number of the first damaged line, 0 when there is none.
int FirstDamagedLine(const std::vector<IniLine>& lines) {
    const auto damaged = std::find_if(lines.begin(), lines.end(), [](const IniLine& l) { return l.damaged; });
    return damaged == lines.end() ? 0 : static_cast<int>(damaged - lines.begin()) + 1;
}

// Refuses a file that exists but cannot be read, or that could not be rewritten without loss.
void CheckReadable(const QString& path) {
    const QFileInfo info(path);
    if (!info.exists()) {
        return;
    }
    if (info.isDir()) {
        throw SettingsError(
            QStringLiteral("Cannot read the settings file %1: it is a folder.").arg(path).toStdString());
    }
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        throw SettingsError(QStringLiteral("Cannot read the settings file %1: %2.")
                                .arg(path, file.errorString())
                                .toStdString());
    }
    const QByteArray content = file.readAll();
    if (file.error() != QFileDevice::NoError) {
        throw SettingsError(QStringLiteral("Cannot read the settings file %1: %2.")
                                .arg(path, file.errorString())
                                .toStdString());
    }
    if (const int line = FirstDamagedLine(ReadIniLines(content)); line != 0) {
        throw SettingsError(QStringLiteral("The settings file %1 is damaged at line %2; it is left as it is "
                                           "and the program's settings are neither read from it nor saved.")
                                .arg(path)
                                .arg(line)
                                .toStdString());
    }
}

void CheckStatus(const QSettings& settings, const QString& path, const char* action) {
    switch (settings.status()) {
    case QSettings::NoError:
        return;
    case QSettings::FormatError:
        throw SettingsError(
            QStringLiteral("The settings file %1 is damaged; it is left as it is.").arg(path).toStdString());
    case QSettings::AccessError:
        break;
    }
    const QFileInfo info(path);
    const QString reason =
        info.exists() ? QStringLiteral("the file cannot be written")
                      : QStringLiteral("the folder %1 cannot be created or written").arg(info.absolutePath());
    throw SettingsError(QStringLiteral("Cannot %1 the settings file %2: %3.")
                            .arg(QLatin1StringView(action), path, reason)
                            .toStdString());
}

// QSettings turns an unquoted value with commas, written by hand, into a list; give it back as one text.
QString ValueText(const QVariant& value) {
    if (value.typeId() == QMetaType::QStringList) {
        return value.toStringList().join(QStringLiteral(", "));
    }
    if (value.typeId() == QMetaType::QByteArray) {
        return QString::fromUtf8(value.toByteArray());
    }
    return value.toString();
}

} // namespace

SettingsStore::SettingsStore() : SettingsStore(DefaultFilePath()) {}

SettingsStore::SettingsStore(QString filePath) : filePath_(std::move(filePath)) {}

QString SettingsStore::DefaultFilePath() {
    return QSettings(QSettings::IniFormat, QSettings::UserScope, kOrganisation).fileName();
}

QString SettingsStore::GetSetting(const QString& key, const QString& defaultValue) const {
    CheckReadable(filePath_);
    QSettings settings(filePath_, QSettings::IniFormat);
    CheckStatus(settings, filePath_, "read");
    settings.beginGroup(kGroup);
    if (!settings.contains(key)) {
        return defaultValue;
    }
    return ValueText(settings.value(key));
}

void SettingsStore::SaveSetting(const QString& key, const QString& value) {
    CheckReadable(filePath_);
    QSettings settings(filePath_, QSettings::IniFormat);
    CheckStatus(settings, filePath_, "read");
    settings.beginGroup(kGroup);
    settings.setValue(key, value);
    settings.endGroup();
    settings.sync();
    CheckStatus(settings, filePath_, "write");
}

std::optional<QString> SettingsStore::RecoverDamagedFile(const QDateTime& now) {
    QFile file(filePath_);
    if (QFileInfo(filePath_).isDir() || !file.open(QIODevice::ReadOnly)) {
        return std::nullopt; // missing, or unreadable: the reads report it, and nothing is touched
    }
    const QByteArray content = file.readAll();
    if (file.error() != QFileDevice::NoError) {
        return std::nullopt;
    }
    file.close();
    const std::vector<IniLine> lines = ReadIniLines(content);
    const int firstDamaged = FirstDamagedLine(lines);
    if (firstDamaged == 0) {
        return std::nullopt;
    }
    QByteArrayList kept;
    for (const IniLine& line : lines) {
        if (!line.dropped) {
            kept.append(line.bytes);
        }
    }
    const auto droppedCount = static_cast<qsizetype>(lines.size()) - kept.size();
    QByteArray recovered = kept.join('\n');
    if (!recovered.isEmpty() && !recovered.endsWith('\n')) {
        recovered.append('\n');
    }

    // The damaged file stays whole beside the new one; an earlier copy is never replaced (the copy
    // refuses a name that exists).
    const QString stem =
        filePath_ + QStringLiteral(".damaged-") + now.toString(QStringLiteral("yyyyMMdd-HHmmss"));
    QString copy = stem;
    for (int n = 2; !file.copy(copy); ++n) {
        if (!QFileInfo::exists(copy) || n > 1000) {
            return std::nullopt;
        }
        copy = stem + u'-' + QString::number(n);
    }
    QSaveFile clean(filePath_);
    if (!clean.open(QIODevice::WriteOnly) || clean.write(recovered) < 0 || !clean.commit()) {
        QFile::remove(copy);
        return std::nullopt;
    }
    return QStringLiteral("The settings file %1 was damaged at line %2 and could not be used as it was.\r\r"
                          "A copy of it is kept as %3. Every setting that could be read is kept; %4 that "
                          "could not be read %5 left out.")
        .arg(filePath_)
        .arg(firstDamaged)
        .arg(copy)
        .arg(droppedCount == 1 ? QStringLiteral("1 line") : QStringLiteral("%1 lines").arg(droppedCount))
        .arg(droppedCount == 1 ? QStringLiteral("was") : QStringLiteral("were"));
}

bool SettingsStore::GetBoolSetting(const QString& key, const QString& defaultValue) const {
    return ParseBoolSetting(key, GetSetting(key, defaultValue));
}

QString SettingsStore::BoolSettingText(bool value) {
    return value ? QStringLiteral("True") : QStringLiteral("False");
}

bool SettingsStore::ParseBoolSetting(const QString& key, const QString& text) {
    const QString trimmed = text.trimmed();
    if (trimmed.compare(QLatin1StringView("True"), Qt::CaseInsensitive) == 0) {
        return true;
    }
    if (trimmed.compare(QLatin1StringView("False"), Qt::CaseInsensitive) == 0) {
        return false;
    }
    bool isNumber = false;
    double number = QLocale::c().toDouble(trimmed, &isNumber);
    if (!isNumber) {
        number = QLocale::system().toDouble(trimmed, &isNumber);
    }
    if (!isNumber || !std::isfinite(number)) {
        throw SettingsError(
            QStringLiteral("Type mismatch: the setting \"%1\" holds %2, which is neither True, "
                           "False nor a number.")
                .arg(key, Quoted(text))
                .toStdString());
    }
    return number != 0.0;
}

} // namespace brantlewick
