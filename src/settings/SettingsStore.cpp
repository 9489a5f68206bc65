// SPDX-License-Identifier: GPL-3.0-or-later
// The settings store: the file read once and kept, saved whole at each change, never rewritten when it
// could not be read.
#include "brantlewick/settings/SettingsStore.h"

#include "IniText.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLocale>
#include <QSaveFile>
#include <QScopeGuard>
#include <QStandardPaths>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <variant>

namespace brantlewick {
namespace {

constexpr QLatin1StringView kGroup("Brantlewick");

// Far more than any settings file holds; a file beyond it (a sparse file, say) is not read into memory.
constexpr qint64 kLargestFile = qint64{256} << 20;

// Long values are cut in messages so that a report stays a readable box.
QString Quoted(const QString& text) {
    constexpr qsizetype kShown = 60;
    if (text.size() <= kShown) {
        return u'"' + text + u'"';
    }
    return u'"' + text.left(kShown) + QStringLiteral("...\" (%1 characters)").arg(text.size());
}

QString CannotRead(const QString& path, const QString& reason) {
    return QStringLiteral("Cannot read the settings file %1: %2.").arg(path, reason);
}

QString ErrnoText(int error) {
    return QString::fromLocal8Bit(std::strerror(error));
}

// What tells one state of the file on disk from another: a file written or replaced since it was read
// differs in one of these.
struct Identity {
    int error = 0; // of stat(); 0 when the path exists
    dev_t device = 0;
    ino_t inode = 0;
    mode_t mode = 0;
    off_t size = 0;
    std::int64_t modified = 0; // nanoseconds
    std::int64_t changed = 0;
    friend bool operator==(const Identity&, const Identity&) = default;
};

Identity IdentityOf(const struct stat& info) {
    const auto nanoseconds = [](const timespec& time) {
        return static_cast<std::int64_t>(time.tv_sec) * 1'000'000'000 + time.tv_nsec;
    };
    return {0,
            info.st_dev,
            info.st_ino,
            info.st_mode,
            info.st_size,
            nanoseconds(info.st_mtim),
            nanoseconds(info.st_ctim)};
}

// Follows links: a settings file that is a link to one kept elsewhere is that file.
Identity IdentityOf(const QString& path) {
    struct stat info {};
    if (::stat(QFile::encodeName(path).constData(), &info) != 0) {
        return {errno};
    }
    return IdentityOf(info);
}

// The bytes of a regular file, read without ever waiting on a pipe or a device; the reason when they
// cannot be read.
std::variant<QByteArray, QString> ReadRegularFile(const QString& path, Identity& identity) {
    const int fd = ::open(QFile::encodeName(path).constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY);
    if (fd < 0) {
        return ErrnoText(errno);
    }
    const auto closing = qScopeGuard([fd] { ::close(fd); });
    struct stat info {};
    if (::fstat(fd, &info) != 0) {
        return ErrnoText(errno);
    }
    if (!S_ISREG(info.st_mode)) {
        return QStringLiteral("it is not a regular file");
    }
    if (info.st_size > kLargestFile) {
        return QStringLiteral("it is larger than 256 MiB");
    }
    identity = IdentityOf(info);
    QByteArray bytes(static_cast<qsizetype>(info.st_size), Qt::Uninitialized);
    qsizetype got = 0;
    for (;;) {
        if (got == bytes.size()) {
            if (bytes.size() > kLargestFile) {
                return QStringLiteral("it is larger than 256 MiB");
            }
            bytes.resize(bytes.size() + 4096); // the file grew since it was looked at
        }
        const ssize_t read = ::read(fd, bytes.data() + got, static_cast<std::size_t>(bytes.size() - got));
        if (read < 0 && errno == EINTR) {
            continue;
        }
        if (read < 0) {
            return ErrnoText(errno);
        }
        if (read == 0) {
            break;
        }
        got += read;
    }
    bytes.truncate(got);
    return bytes;
}

} // namespace

// What was read of the file, and whether it can be used.
struct SettingsStore::File {
    bool read = false;
    Identity identity;
    std::optional<ini::IniText> text; // nothing while there is no file
    QString problem;                  // why the file cannot be used; empty when it can
    int damagedLine = 0;
};

SettingsStore::SettingsStore() : SettingsStore(DefaultFilePath()) {}

SettingsStore::SettingsStore(QString filePath)
    : filePath_(std::move(filePath)), file_(std::make_unique<File>()) {}

SettingsStore::~SettingsStore() = default;

QString SettingsStore::DefaultFilePath() {
    // Where QSettings keeps the user-scope INI file of an organisation; asking QSettings would read it. The
    // XDG rules have a relative XDG_CONFIG_HOME ignored, where Qt 6.4 takes it from the working folder.
    const QString configured = qEnvironmentVariable("XDG_CONFIG_HOME");
    const QString folder = QDir::isAbsolutePath(configured) ? QDir::cleanPath(configured)
                                                            : QDir::homePath() + QStringLiteral("/.config");
    return folder + QStringLiteral("/Kestrova.ini");
}

const SettingsStore::File& SettingsStore::Current() const {
    const Identity now = IdentityOf(filePath_);
    if (file_->read && now == file_->identity) {
        return *file_;
    }
    File& file = *file_;
    file = File{true, now, std::nullopt, QString(), 0};
    if (now.error == ENOENT || now.error == ENOTDIR) {
        return file; // no file yet: every key has its default, and the first save makes it
    }
    if (now.error != 0) {
        file.problem = CannotRead(filePath_, ErrnoText(now.error));
    } else if (S_ISDIR(now.mode)) {
        file.problem = CannotRead(filePath_, QStringLiteral("it is a folder"));
    } else if (!S_ISREG(now.mode)) {
        file.problem = CannotRead(filePath_, QStringLiteral("it is not a regular file"));
    } else if (auto content = ReadRegularFile(filePath_, file.identity);
               const QString* reason = std::get_if<QString>(&content)) {
        file.problem = CannotRead(filePath_, *reason);
    } else {
        file.text.emplace(std::get<QByteArray>(std::move(content)), kGroup);
        file.damagedLine = file.text->FirstDamagedLine();
        if (file.damagedLine != 0) {
            file.problem = QStringLiteral("The settings file %1 is damaged at line %2; it is left as it is "
                                          "and the program's settings are neither read from it nor saved.")
                               .arg(filePath_)
                               .arg(file.damagedLine);
        }
    }
    return file;
}

std::optional<QString> SettingsStore::Open(const QDateTime& now) {
    const File& file = Current();
    if (file.problem.isEmpty()) {
        return std::nullopt;
    }
    QString reason = file.problem;
    if (file.damagedLine != 0) {
        const int line = file.damagedLine;
        try {
            return SetAside(now);
        } catch (const SettingsError& error) {
            reason = QStringLiteral("The settings file %1 is damaged at line %2 and cannot be set aside: %3.")
                         .arg(filePath_)
                         .arg(line)
                         .arg(QString::fromUtf8(error.what()));
        }
    }
    toldProblem_ = Current().problem;
    throw SettingsError(
        (reason + QStringLiteral(" The program goes on with the default settings and saves none of your "
                                 "changes."))
            .toStdString());
}

std::optional<QString> SettingsStore::SetAside(const QDateTime& now) {
    const auto [recovered, droppedCount] = file_->text->WithoutDamage();
    const int firstDamaged = file_->damagedLine;
    // The damaged file stays whole beside the new one; an earlier copy is never replaced (the copy
    // refuses a name that exists).
    QFile file(filePath_);
    const QString stem =
        filePath_ + QStringLiteral(".damaged-") + now.toString(QStringLiteral("yyyyMMdd-HHmmss"));
    QString copy = stem;
    for (int n = 2; !file.copy(copy); ++n) {
        if (!QFileInfo::exists(copy) || n > 1000) {
            throw SettingsError(QStringLiteral("no copy of it can be kept beside it (%1)")
                                    .arg(file.errorString())
                                    .toStdString());
        }
        copy = stem + u'-' + QString::number(n);
    }
    QSaveFile clean(filePath_);
    if (!clean.open(QIODevice::WriteOnly) || clean.write(recovered) < 0 || !clean.commit()) {
        QFile::remove(copy);
        throw SettingsError(
            QStringLiteral("it cannot be replaced (%1)").arg(clean.errorString()).toStdString());
    }
    Current();
    return QStringLiteral("The settings file %1 was damaged at line %2 and could not be used as it was.\r\r"
                          "A copy of it is kept as %3. Every setting that could be read is kept; %4 that "
                          "could not be read %5 left out.")
        .arg(filePath_, QString::number(firstDamaged), copy,
             droppedCount == 1 ? QStringLiteral("1 line") : QStringLiteral("%1 lines").arg(droppedCount),
             droppedCount == 1 ? QStringLiteral("was") : QStringLiteral("were"));
}

QString SettingsStore::GetSetting(const QString& key, const QString& defaultValue) const {
    const File& file = Current();
    if (!file.problem.isEmpty()) {
        if (file.problem == toldProblem_) {
            return defaultValue;
        }
        throw SettingsError(file.problem.toStdString());
    }
    return file.text ? file.text->Value(key).value_or(defaultValue) : defaultValue;
}

void SettingsStore::SaveSetting(const QString& key, const QString& value) {
    const File& file = Current();
    if (!file.problem.isEmpty()) {
        if (file.problem == toldProblem_) {
            return;
        }
        throw SettingsError(file.problem.toStdString());
    }
    if (!file.text) {
        Write(ini::IniText(QByteArray(), kGroup).WithValue(key, value));
    } else if (file.text->Value(key) != value) {
        Write(file.text->WithValue(key, value));
    }
}

void SettingsStore::Write(ini::IniText text) {
    const QByteArray& content = text.Content();
    const QFileInfo info(filePath_);
    const auto cannotWrite = [this](const QString& reason) {
        return SettingsError(
            QStringLiteral("Cannot write the settings file %1: %2.").arg(filePath_, reason).toStdString());
    };
    if (!QDir().mkpath(info.absolutePath())) {
        throw cannotWrite(
            QStringLiteral("the folder %1 cannot be created or written").arg(info.absolutePath()));
    }
    // A file the user made read-only is left as it is, as QSettings leaves it.
    if (info.exists() && ::access(QFile::encodeName(filePath_).constData(), W_OK) != 0) {
        throw cannotWrite(QStringLiteral("the file cannot be written"));
    }
    QSaveFile file(filePath_);
    if (!file.open(QIODevice::WriteOnly)) {
        throw cannotWrite(
            info.exists()
                ? file.errorString()
                : QStringLiteral("the folder %1 cannot be created or written").arg(info.absolutePath()));
    }
    if (file.write(content) != content.size() || !file.commit()) {
        throw cannotWrite(file.errorString());
    }
    file_->text = std::move(text);
    file_->identity = IdentityOf(filePath_);
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
