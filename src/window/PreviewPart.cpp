// SPDX-License-Identifier: GPL-3.0-or-later
// The preview's part of the window: which entry it shows, when it shows it anew, and what it hands the
// desktop's preview window.
#include "PreviewPart.h"

#include "CharacterListPart.h"
#include "EngineText.h"
#include "FileListPart.h"
#include "OptionsPart.h"
#include "StartAddingPart.h"
#include "WindowShell.h"
#include "brantlewick/window/ListView.h"
#include "brantlewick/window/PreviewPage.h"

#include <QAbstractButton>
#include <QComboBox>
#include <QLineEdit>
#include <QShortcut>

namespace brantlewick {

PreviewPart::PreviewPart(QWidget& window, WindowShell& shell, FileListPart& files,
                         CharacterListPart& characters, OptionsPart& options)
    : window_(window), shell_(shell), files_(files), characters_(characters), options_(options) {
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
    const PreviewPage page =
        MakePreviewPage(files_.List().Texts(), entry_.row(),
                        ConversionFromControls(characters_, options_, enterCount), folder);
    shell_.Desktop().ShowPreview(&window_, page, toFront);
}

} // namespace brantlewick
