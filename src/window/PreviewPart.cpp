// SPDX-License-Identifier: GPL-3.0-or-later
// The preview's part of the window: which entry it shows, when it shows it anew, and what it hands the
// desktop's preview window.
#include "PreviewPart.h"

#include "CharacterListPart.h"
#include "EngineText.h"
#include "FileListPart.h"
#include "OptionsPart.h"
#include "RunSettings.h"
#include "WindowShell.h"
#include "brantlewick/settings/SettingsStore.h"
#include "brantlewick/window/ListView.h"
#include "brantlewick/window/PreviewPage.h"

#include <QAbstractButton>
#include <QComboBox>
#include <QFileInfo>
#include <QLineEdit>
#include <QShortcut>
#include <QtConcurrent/QtConcurrentRun>

namespace brantlewick {

PreviewPart::PreviewPart(QWidget& window, WindowShell& shell, FileListPart& files,
                         CharacterListPart& characters, OptionsPart& options)
    : window_(window), shell_(shell), files_(files), characters_(characters), options_(options) {
    connect(&making_, &QFutureWatcher<PreviewPage>::finished, this, [this] { WithoutTrap([&] { Made(); }); });
    // A file changed on disk is shown anew, but not while a run writes: RunEnded shows it once.
    const auto changedOnDisk = [this] {
        if (!shell_.RunInProgress()) {
            Changed();
        }
    };
    connect(&disk_, &QFileSystemWatcher::fileChanged, this, changedOnDisk);
    connect(&disk_, &QFileSystemWatcher::directoryChanged, this, changedOnDisk);
    ListView& list = files.List();
    // Anywhere in the window: the options the preview follows are where the focus mostly is.
    auto* shortcut = new QShortcut(QKeySequence(Qt::CTRL | Qt::Key_P), &window);
    connect(shortcut, &QShortcut::activated, this, [this] { WithoutTrap([&] { Open(); }); });
    files.OnPreview([this] { Open(); });
    connect(&list, &QTreeWidget::itemSelectionChanged, this, [this, &list] {
        if (const int selected = list.SelectedIndex(); selected >= 1) {
            entry_ = QPersistentModelIndex(list.model()->index(selected - 1, 0));
            Changed();
        }
    });

    // Whatever the run would do differently: any choice in the window, the entries and the file list
    // (whose inputs decide the names of the results).
    const auto changed = [this] { Changed(); };
    for (QLineEdit* box : window.findChildren<QLineEdit*>()) {
        connect(box, &QLineEdit::textChanged, this, changed);
    }
    for (QAbstractButton* option : window.findChildren<QAbstractButton*>()) {
        connect(option, &QAbstractButton::toggled, this, changed);
    }
    for (QComboBox* choice : window.findChildren<QComboBox*>()) {
        connect(choice, &QComboBox::currentIndexChanged, this, changed);
    }
    for (ListView* view : window.findChildren<ListView*>()) {
        const QAbstractItemModel* model = view->model();
        connect(model, &QAbstractItemModel::rowsInserted, this, changed);
        connect(model, &QAbstractItemModel::rowsRemoved, this, changed);
        connect(model, &QAbstractItemModel::dataChanged, this, changed);
        connect(model, &QAbstractItemModel::modelReset, this, changed);
    }
}

void PreviewPart::Open() {
    ListView& list = files_.List();
    int selected = list.SelectedIndex();
    if (selected < 1 && list.Count() > 0) {
        // Nothing chosen yet: the first entry, the one a run takes first.
        list.Select(1);
        selected = 1;
    }
    if (selected < 1) {
        return;
    }
    entry_ = QPersistentModelIndex(list.model()->index(selected - 1, 0));
    Show(true);
}

void PreviewPart::RunEnded() {
    Changed();
}

void PreviewPart::Changed() {
    if (showPending_ || !entry_.isValid() || !shell_.Desktop().PreviewOpen()) {
        return;
    }
    // A reset of the character list or a folder add changes the list many times over; one showing after
    // them is enough.
    showPending_ = true;
    QMetaObject::invokeMethod(
        this,
        [this] {
            showPending_ = false;
            WithoutTrap([&] {
                if (entry_.isValid() && shell_.Desktop().PreviewOpen()) {
                    Show(false);
                }
            });
        },
        Qt::QueuedConnection);
}

void PreviewPart::Show(bool toFront) {
    std::optional<std::string> folder;
    if (!options_.SavesBesideInputs()) {
        folder = ToEngine(options_.OutputFolderText());
    }
    int enterCount = 0; // one the run refuses gives no breaks, as in the run
    try {
        enterCount = EnterCountOf(options_);
    } catch (const std::exception&) {
    }
    Request request{files_.List().Texts(), entry_.row(),
                    ConversionFromControls(characters_, options_, enterCount), folder, toFront};
    // One page is made at a time, the latest asked for: pages asked for meanwhile were out of date.
    if (making_.isRunning()) {
        request.toFront = request.toFront || (next_ && next_->toFront);
        next_ = std::move(request);
        return;
    }
    Make(std::move(request));
}

void PreviewPart::Make(Request request) {
    toFront_ = request.toFront;
    making_.setFuture(QtConcurrent::run([request = std::move(request)] {
        return MakePreviewPage(request.entries, request.position, request.conversion, request.folder);
    }));
}

void PreviewPart::Made() {
    if (next_) {
        Make(*std::exchange(next_, std::nullopt));
        return;
    }
    const PreviewPage page = making_.result();
    shell_.Desktop().ShowPreview(&window_, page, toFront_, this);
    // A change of the file, or of what lies where its result goes, shows anew. An editor that saves by
    // renaming leaves the old file watched no more: the paths are watched anew for every page.
    if (const QStringList watched = disk_.files() + disk_.directories(); !watched.isEmpty()) {
        disk_.removePaths(watched);
    }
    QStringList paths{page.input};
    if (!page.output.isEmpty()) {
        paths.append(QFileInfo(page.output).absolutePath());
    }
    for (const QString& path : paths) {
        if (QFileInfo::exists(path)) {
            disk_.addPath(path);
        }
    }
}

std::optional<QRect> PreviewPart::Remembered(const QString& screens) {
    std::optional<QRect> place;
    WithoutTrap([&] {
        for (const QString& entry :
             shell_.Settings().GetSetting(setting::kPreviewPlace, QString()).split(u';')) {
            const QStringList numbers = entry.section(u'=', 1).split(u',');
            if (entry.section(u'=', 0, 0) == screens && numbers.size() == 4) {
                place = QRect(numbers[0].toInt(), numbers[1].toInt(), numbers[2].toInt(), numbers[3].toInt());
            }
        }
    });
    return place;
}

void PreviewPart::Remember(const QString& screens, const QRect& frame) {
    WithoutTrap([&] {
        QStringList entries =
            shell_.Settings().GetSetting(setting::kPreviewPlace, QString()).split(u';', Qt::SkipEmptyParts);
        entries.removeIf([&screens](const QString& entry) { return entry.section(u'=', 0, 0) == screens; });
        // A few set-ups are enough: a laptop alone, at its desk, and where it is shown.
        constexpr qsizetype kSetUps = 8;
        while (entries.size() >= kSetUps) {
            entries.removeFirst();
        }
        entries.append(QStringLiteral("%1=%2,%3,%4,%5")
                           .arg(screens)
                           .arg(frame.x())
                           .arg(frame.y())
                           .arg(frame.width())
                           .arg(frame.height()));
        shell_.Settings().SaveSetting(setting::kPreviewPlace, entries.join(u';'));
    });
}

} // namespace brantlewick
