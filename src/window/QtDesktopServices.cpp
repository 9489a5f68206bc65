// SPDX-License-Identifier: GPL-3.0-or-later
// Real dialogs and desktop calls for the running program; tests use a scripted double instead.
#include "brantlewick/window/QtDesktopServices.h"

#include "brantlewick/files/TemporaryFiles.h"
#include "brantlewick/filesystem/PathHelpers.h"
#include "brantlewick/window/PreviewWindow.h"

#include <QCoreApplication>
#include <QCursor>
#include <QDesktopServices>
#include <QDialog>
#include <QDialogButtonBox>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QGridLayout>
#include <QHeaderView>
#include <QInputDialog>
#include <QLabel>
#include <QMenu>
#include <QMessageBox>
#include <QScreen>
#include <QStandardPaths>
#include <QTimer>
#include <QTreeView>
#include <QTreeWidget>
#include <QUrl>
#include <QVBoxLayout>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>

namespace brantlewick {

QtDesktopServices::QtDesktopServices()
    // Seeded from the time of day, so that each start draws differently.
    : generator_(static_cast<std::mt19937::result_type>(
          std::chrono::system_clock::now().time_since_epoch().count())) {}

MessageAnswer QtDesktopServices::MessageBox(QWidget* owner, const QString& text, const QString& caption,
                                            MessageIcon icon, MessageButtons buttons) {
    const std::unique_ptr<QMessageBox> box = MakeMessageBox(owner, text, caption, icon, buttons);
    const int chosen = box->exec();
    if (buttons == MessageButtons::Ok) {
        return MessageAnswer::Ok;
    }
    return chosen == QMessageBox::Yes ? MessageAnswer::Yes : MessageAnswer::No;
}

QString QtDesktopServices::InputBox(QWidget* owner, const QString& prompt, const QString& caption,
                                    const QString& defaultText) {
    const std::unique_ptr<QInputDialog> box = MakeInputBox(owner, prompt, caption, defaultText);
    return box->exec() == QDialog::Accepted ? box->textValue() : QString();
}

QStringList QtDesktopServices::OpenFiles(QWidget* owner, const QString& title, const QString& filter,
                                         const QString& startFolder) {
    QFileDialog dialog(owner, title, QFileInfo(startFolder).isDir() ? startFolder : QString(),
                       QtFileDialogFilter(filter));
    dialog.setFileMode(QFileDialog::ExistingFiles);
    // With details, and a name column wide enough for long file names (a desktop's own dialog decides
    // for itself).
    dialog.setViewMode(QFileDialog::Detail);
    dialog.resize(std::max(dialog.sizeHint().width(), 860), std::max(dialog.sizeHint().height(), 520));
    QTimer::singleShot(0, &dialog, [&dialog] {
        if (auto* details = dialog.findChild<QTreeView*>()) {
            details->header()->resizeSection(
                0, std::max(details->header()->sectionSize(0), details->viewport()->width() / 2));
        }
    });
    QStringList paths = dialog.exec() == QDialog::Accepted ? dialog.selectedFiles() : QStringList();
    if (!SelectionFitsOpenFilesBuffer(paths)) {
        throw TooManyFilesError();
    }
    return paths;
}

QString QtDesktopServices::BrowseForFolder(QWidget* owner, const QString& title,
                                           const QString& initialFolder) {
    const QString start =
        !initialFolder.isEmpty() && QFileInfo(initialFolder).isDir() ? initialFolder : QString();
    return FolderPickerResult(
        QFileDialog::getExistingDirectory(owner, title, start, QFileDialog::ShowDirsOnly));
}

int QtDesktopServices::PopupMenu(QWidget* owner, const QPoint& at, const QStringList& items) {
    QMenu menu(owner);
    for (const QString& item : items) {
        menu.addAction(item);
    }
    const QAction* chosen = menu.exec(at);
    return chosen == nullptr ? -1 : static_cast<int>(menu.actions().indexOf(chosen));
}

void QtDesktopServices::ShowPreview(QWidget* owner, const PreviewPage& page, bool toFront,
                                    PreviewPlaces* places) {
    const bool opening = preview_.isNull() || !preview_->isVisible();
    if (preview_.isNull() || preview_->parentWidget() != owner) {
        delete preview_;
        preview_ = new PreviewWindow(owner, places);
    }
    preview_->SetPage(page);
    if (opening) {
        preview_->Place();
    }
    preview_->show();
    if (toFront) {
        preview_->raise();
        preview_->activateWindow();
    }
}

bool QtDesktopServices::PreviewOpen() {
    return !preview_.isNull() && preview_->isVisible();
}

void QtDesktopServices::ShowFailures(QWidget* owner, const QList<FileFailure>& failures) {
    QDialog dialog(owner);
    dialog.setWindowTitle(QStringLiteral("Files not converted"));
    auto* layout = new QVBoxLayout(&dialog);
    auto* list = new QTreeWidget(&dialog);
    list->setRootIsDecorated(false);
    list->setHeaderLabels({QStringLiteral("File"), QStringLiteral("Reason")});
    list->setAccessibleName(QStringLiteral("Files not converted"));
    for (const FileFailure& failure : failures) {
        auto* entry = new QTreeWidgetItem(list, {failure.file, failure.reason});
        entry->setToolTip(0, failure.file);
        entry->setToolTip(1, failure.reason);
    }
    list->header()->setSectionResizeMode(QHeaderView::ResizeToContents);
    layout->addWidget(list);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Close, &dialog);
    QObject::connect(buttons, &QDialogButtonBox::rejected, &dialog, &QDialog::reject);
    layout->addWidget(buttons);
    dialog.resize(860, 420);
    dialog.exec();
}

void QtDesktopServices::OpenFolder(const QString& path) {
    QDesktopServices::openUrl(QUrl::fromLocalFile(path));
}

void QtDesktopServices::OpenWebAddress(const QString& address) {
    QDesktopServices::openUrl(QUrl(address));
}

QString QtDesktopServices::DesktopLocation() {
    return QStandardPaths::writableLocation(QStandardPaths::DesktopLocation);
}

int QtDesktopServices::RandomDraw() {
    std::uniform_real_distribution<double> uniform(0.0, 1.0);
    // The distribution may round up to 1.0 itself; the draw never leaves 1..100.
    return std::min(static_cast<int>(uniform(generator_) * 100.0) + 1, 100);
}

int QtDesktopServices::PointerScreenRow() {
    return QCursor::pos().y();
}

void QtDesktopServices::ProcessEvents() {
    QCoreApplication::processEvents();
}

void QtDesktopServices::EndProgram() {
    // Every setting is already on disk, and an output file is never half written under its own name, so
    // nothing is lost by leaving without unwinding a run that may still be on the stack; but a large file
    // may be in the middle of its conversion, and its temporary file, where it has a name, must go.
    AbandonTemporaryFiles();
    std::fflush(nullptr);
    std::_Exit(EXIT_SUCCESS);
}

bool SelectionFitsOpenFilesBuffer(const QStringList& paths) {
    if (paths.size() <= 1) {
        return paths.isEmpty() || paths.front().size() + 1 <= kOpenFilesBufferLength;
    }
    qsizetype length = QFileInfo(paths.front()).absolutePath().size() + 1;
    for (const QString& path : paths) {
        length += QFileInfo(path).fileName().size() + 1;
    }
    return length + 1 <= kOpenFilesBufferLength;
}

QString QtFileDialogFilter(const QString& filter) {
    const QStringList parts = filter.split(u'|');
    QStringList qtFilters;
    for (qsizetype i = 0; i + 1 < parts.size(); i += 2) {
        QStringList patterns = parts[i + 1].split(u';', Qt::SkipEmptyParts);
        for (QString& pattern : patterns) {
            pattern = pattern.trimmed();
            if (pattern == QStringLiteral("*.*")) {
                pattern = QStringLiteral("*");
            }
        }
        QString name = parts[i].trimmed();
        // Qt reads the patterns from the name's last parentheses; the name shows the translated ones.
        if (const qsizetype open = name.lastIndexOf(u'('); open >= 0 && name.endsWith(u')')) {
            name = name.left(open).trimmed();
        }
        qtFilters.append(QStringLiteral("%1 (%2)").arg(name, patterns.join(u' ')));
    }
    return qtFilters.join(QStringLiteral(";;"));
}

QString FolderPickerResult(const QString& chosen) {
    return QString::fromStdString(WithoutTrailingSeparators(chosen.toStdString()));
}

std::unique_ptr<QMessageBox> MakeMessageBox(QWidget* owner, const QString& text, const QString& caption,
                                            MessageIcon icon, MessageButtons buttons) {
    auto box = std::make_unique<QMessageBox>(
        icon == MessageIcon::Warning ? QMessageBox::Warning : QMessageBox::NoIcon, caption, QString(),
        buttons == MessageButtons::YesNo ? QMessageBox::Yes | QMessageBox::No : QMessageBox::Ok, owner);
    // Messages carry file names, which are data: a name like "<b>a.txt" must show as it is spelled, and
    // rich text would also swallow the report's line breaks.
    box->setTextFormat(Qt::PlainText);
    box->setText(DisplayedMessageText(text));
    // The box sizes itself to its text alone, and a window manager cuts a longer caption short: the box
    // is made wide enough for the caption in a bold title font, beside the title bar's buttons.
    QFont titleFont = box->font();
    titleFont.setBold(true);
    constexpr int kTitleBarButtons = 160;
    const int captionWidth = QFontMetrics(titleFont).horizontalAdvance(caption) + kTitleBarButtons;
    if (auto* grid = qobject_cast<QGridLayout*>(box->layout())) {
        grid->addItem(new QSpacerItem(captionWidth, 0, QSizePolicy::Minimum, QSizePolicy::Fixed),
                      grid->rowCount(), 0, 1, grid->columnCount());
    }
    return box;
}

std::unique_ptr<QInputDialog> MakeInputBox(QWidget* owner, const QString& prompt, const QString& caption,
                                           const QString& defaultText) {
    auto box = std::make_unique<QInputDialog>(owner);
    box->setWindowTitle(caption);
    box->setInputMode(QInputDialog::TextInput);
    box->setLabelText(DisplayedMessageText(prompt));
    box->setTextValue(defaultText);
    // The dialog's label guesses the format from the text; the prompt is never markup.
    for (QLabel* label : box->findChildren<QLabel*>()) {
        label->setTextFormat(Qt::PlainText);
    }
    return box;
}

QString DisplayedMessageText(const QString& text) {
    QString shown = text;
    shown.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    shown.replace(u'\r', u'\n');
    return shown;
}

} // namespace brantlewick
