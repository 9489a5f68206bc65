// The settings store on QSettings, guarded so that a damaged or unreadable file is never rewritten.
#include "SettingsStore.h"

#include <QFile>
#include <QFileInfo>
#include <QLocale>
#include <QSettings>
#include <QStringDecoder>
#include <QVariant>

#include <cmath>

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

// The number of the first line QSettings would not write back as it stands (0 when every line is a group
// header, a key with "=", the continuation of a value, a ";" comment or blank). QSettings itself drops
// such lines when it rewrites a file, so a file with one is never written.
int FirstDamagedLine(const QByteArray& content) {
    QStringDecoder decoder(QStringDecoder::Utf8, QStringConverter::Flag::Stateless);
    const QString text = decoder(content);
    if (decoder.hasError() || content.contains('\0')) {
        // Bytes that are not UTF-8 would come back altered after a rewrite; find the first such line.
        const auto lines = content.split('\n');
        for (qsizetype i = 0; i < lines.size(); ++i) {
            // Stateless: a sequence cut off at the line's end is an error, not something to wait for.
            QStringDecoder lineDecoder(QStringDecoder::Utf8, QStringConverter::Flag::Stateless);
            const QString decoded = lineDecoder(lines[i]); // the decoder works only when its result is taken
            if (lineDecoder.hasError() || lines[i].contains('\0')) {
                return static_cast<int>(i + 1);
            }
        }
        return 1;
    }
    bool continued = false;
    int number = 0;
    for (const QString& rawLine : text.split(u'\n')) {
        ++number;
        const QString line = rawLine.trimmed();
        const bool wasContinued = continued;
        continued = line.endsWith(u'\\');
        if (wasContinued || line.isEmpty() || line.startsWith(u';')) {
            continue;
        }
        if (line.startsWith(u'[') ? !line.contains(u']') : !line.contains(u'=')) {
            return number;
        }
    }
    return 0;
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
    if (const int line = FirstDamagedLine(content); line != 0) {
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
