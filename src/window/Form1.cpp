// The main window: its controls at their fixed places, the wiring of every event, start-up and shutdown.
#include "Form1.h"

#include "AppIcon.h"
#include "ListView.h"
#include "ProgressBar.h"
#include "SettingsStore.h"
#include "Twips.h"
#include "Version.h"

#include <QCloseEvent>
#include <QDragMoveEvent>
#include <QDropEvent>
#include <QFocusEvent>
#include <QGroupBox>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPushButton>
#include <QRadioButton>

#include <algorithm>
#include <stdexcept>

namespace brantlewick {
namespace {

const QString kListTooltip =
    QStringLiteral("Drag and drop files here. Double-click item to remove it. Move | line "
                   "to right and out of window to reveal full names.");

QFont ArialBold(qreal points) {
    QFont font(QStringLiteral("Arial"));
    font.setStyleHint(QFont::SansSerif);
    font.setPointSizeF(points);
    font.setBold(true);
    return font;
}

template <typename Control> Control* Place(Control* control, int left, int top, int width, int height) {
    control->setGeometry(TwipsRect(left, top, width, height));
    return control;
}

QPushButton* MakeButton(QWidget* container, const QString& caption, int left, int top, int width,
                        int height) {
    auto* button = Place(new QPushButton(caption, container), left, top, width, height);
    button->setFont(ArialBold(11.25));
    button->setAutoDefault(false);
    return button;
}

QLineEdit* MakeTextBox(QWidget* container, int left, int top, int width, int height) {
    auto* box = Place(new QLineEdit(container), left, top, width, height);
    box->setMaxLength(kLongestBoxText);
    return box;
}

// A stored text for one of the two boxes. One longer than the box holds is refused rather than shown
// cut: the box would store the cut text straight back.
QString TextForBox(const QString& key, const QString& stored) {
    if (stored.size() > kLongestBoxText) {
        throw SettingsError(
            QStringLiteral("The setting \"%1\" holds %2 characters, more than the %3 the box holds; "
                           "it is left in the settings file and not shown.")
                .arg(key)
                .arg(stored.size())
                .arg(kLongestBoxText)
                .toStdString());
    }
    return stored;
}

// The list only reads the dropped files. Taking a move would let the source delete them afterwards, so a
// drop is taken as a copy or a link, and a drag that offers neither is refused.
Qt::DropAction TakenDropAction(const QDropEvent* event) {
    if ((event->possibleActions() & Qt::CopyAction) != 0) {
        return Qt::CopyAction;
    }
    if ((event->possibleActions() & Qt::LinkAction) != 0) {
        return Qt::LinkAction;
    }
    return Qt::IgnoreAction;
}

} // namespace

QString ShortApplicationTitle(const QString& productName) {
    constexpr qsizetype kLongest = 40;
    QString title = productName;
    do {
        const qsizetype space = title.lastIndexOf(u' ');
        if (space < 0) {
            title.truncate(kLongest);
            break;
        }
        title.truncate(space);
    } while (title.size() > kLongest);
    return title;
}

QString DesktopFolderPath(const QString& desktopLocation) {
    if (desktopLocation.isEmpty()) {
        throw std::invalid_argument("Invalid argument: the desktop folder cannot be located.");
    }
    QString path = desktopLocation;
    while (path.endsWith(u'/')) {
        path.chop(1);
    }
    return path;
}

Form1::Form1(SettingsStore& settings, DesktopServices& desktop, QString programFolder, QWidget* parent)
    : QWidget(parent), settings_(settings), paintingDesktop_(desktop, [this] { PaintProgressBar(); }),
      desktop_(paintingDesktop_), programFolder_(std::move(programFolder)),
      applicationTitle_(QString::fromUtf8(kProductName)) {
    setFont(ArialBold(9));
    setFixedSize(TwipsToPixels(15960), TwipsToPixels(6135));
    setWindowIcon(BrantlewickIcon());
    CreateControls();
    SetTabOrder();
    ConnectHandlers();
}

Form1::~Form1() = default;

void Form1::CreateControls() {
    listView1_ = Place(new ListView(this), 120, 120, 7800, 4890);
    listView1_->setToolTip(kListTooltip);
    listView1_->viewport()->setAcceptDrops(true);
    listView1_->UsePointerReorder();
    pushButton1_ = MakeButton(this, QStringLiteral("Add File(s)"), 120, 5100, 3840, 405);
    pushButton3_ = MakeButton(this, QStringLiteral("Add All File(s) In Folder"), 4080, 5100, 3840, 405);
    pushButton4_ = MakeButton(this, QStringLiteral("Clear List"), 120, 5620, 3840, 405);
    pushButton5_ = MakeButton(this, QStringLiteral("Load Sample/Example Files"), 4080, 5620, 3840, 405);

    listView2_ = Place(new ListView(this), 8040, 120, 7800, 1095);
    pushButton9_ = MakeButton(this, QStringLiteral("Add Characters"), 8040, 1310, 3840, 405);
    pushButton10_ = MakeButton(this, QStringLiteral("Delete Selected"), 12000, 1310, 3850, 405);
    pushButton11_ = MakeButton(this, QStringLiteral("Reset To Default"), 8040, 1820, 3840, 405);
    pushButton12_ = MakeButton(this, QStringLiteral("Help"), 12000, 1820, 3840, 405);

    frame3_ = Place(new QGroupBox(QStringLiteral("Enter Option"), this), 8040, 2265, 7800, 870);
    label1_ = Place(new QLabel(QStringLiteral("Number Of Enters To Add:"), frame3_), 240, 360, 2190, 225);
    label1_->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    // Arial's stand-in (Liberation Sans) draws the caption a few pixels wider than its designed width; the
    // label grows towards Text1 rather than cut its text.
    label1_->resize(std::min(std::max(label1_->width(), label1_->sizeHint().width()),
                             TwipsToPixels(2640) - label1_->x() - 2),
                    label1_->height());
    text1_ = MakeTextBox(frame3_, 2640, 300, 4935, 345);

    frame5_ = Place(new QGroupBox(QStringLiteral("Save Option"), this), 8040, 3180, 7800, 1815);
    option1_ =
        Place(new QRadioButton(QStringLiteral("Save results to this folder:"), frame5_), 240, 300, 3615, 255);
    option1_->setChecked(true);
    frame2_ = Place(new QGroupBox(frame5_), 480, 510, 6840, 810);
    text3_ = MakeTextBox(frame2_, 240, 300, 5670, 345);
    pushButton7_ = MakeButton(frame2_, QStringLiteral("..."), 6000, 300, 600, 345);
    option2_ = Place(new QRadioButton(QStringLiteral("Save results in folder of original file"), frame5_),
                     240, 1410, 3615, 255);

    pushButton2_ = MakeButton(this, QStringLiteral("Start Adding"), 8040, 5100, 7800, 405);
    progressBar1_ = Place(new ProgressBar(this), 8040, 5620, 7800, 405);
    progressBar1_->SetText(QStringLiteral("Progress Bar"));

    // Pointer movements are handled by the control under the pointer alone: a control without a handler
    // of its own must not pass the movement on to its frame or to the window's background.
    setMouseTracking(true);
    for (QWidget* control : ControlsByTabIndex()) {
        control->setAttribute(Qt::WA_NoMousePropagation);
        control->setMouseTracking(true);
    }
    for (ListView* list : {listView1_, listView2_}) {
        list->viewport()->setMouseTracking(true);
        list->header()->viewport()->setMouseTracking(true);
    }
}

QList<QWidget*> Form1::ControlsByTabIndex() const {
    return {listView1_,   pushButton1_,  pushButton3_,  pushButton4_,  pushButton5_,  listView2_,
            pushButton9_, pushButton10_, pushButton11_, pushButton12_, progressBar1_, text1_,
            option1_,     text3_,        option2_,      pushButton2_,  frame3_,       frame5_,
            frame2_,      pushButton7_,  label1_};
}

void Form1::SetTabOrder() {
    // The frames, the label and the progress bar take no focus and drop out of the chain.
    const QList<QWidget*> order = ControlsByTabIndex();
    for (qsizetype i = 1; i < order.size(); ++i) {
        setTabOrder(order[i - 1], order[i]);
    }
}

void Form1::ConnectHandlers() {
    // Every handler runs behind WithoutTrap: a failure in a handler without a trap is dropped there, and
    // none may travel into Qt's signal dispatch.
    const auto on = [this](QPushButton* button, void (Form1::*handler)()) {
        connect(button, &QPushButton::clicked, this,
                [this, handler] { WithoutTrap([&] { (this->*handler)(); }); });
    };
    on(pushButton1_, &Form1::PushButton1_Click);
    on(pushButton2_, &Form1::PushButton2_Click);
    on(pushButton3_, &Form1::PushButton3_Click);
    on(pushButton4_, &Form1::PushButton4_Click);
    on(pushButton5_, &Form1::PushButton5_Click);
    on(pushButton7_, &Form1::PushButton7_Click);
    on(pushButton9_, &Form1::PushButton9_Click);
    on(pushButton10_, &Form1::PushButton10_Click);
    on(pushButton11_, &Form1::PushButton11_Click);
    on(pushButton12_, &Form1::PushButton12_Click);
    // Only the user's clicks: selecting an option from the stored settings at start-up is not a click.
    connect(option1_, &QRadioButton::clicked, this, [this] { WithoutTrap([&] { Option1_Click(); }); });
    connect(option2_, &QRadioButton::clicked, this, [this] { WithoutTrap([&] { Option2_Click(); }); });
    // Every change of the text, also one made by the program.
    connect(text1_, &QLineEdit::textChanged, this, [this] { WithoutTrap([&] { Text1_Change(); }); });
    connect(text3_, &QLineEdit::textChanged, this, [this] { WithoutTrap([&] { Text3_Change(); }); });
    connect(listView1_, &QTreeWidget::itemPressed, this,
            [this](QTreeWidgetItem* item) { WithoutTrap([&] { ListView1_ItemClick(item); }); });

    // Pointer movements, the file list's mouse and drop events, the character list's double-click and
    // Text1's focus loss arrive through eventFilter.
    for (QObject* watched : std::initializer_list<QObject*>{
             pushButton1_, pushButton2_, pushButton3_, pushButton4_, pushButton5_, pushButton7_, pushButton9_,
             pushButton10_, pushButton11_, pushButton12_, label1_, frame3_, text1_, text3_,
             listView1_->viewport(), listView1_->header()->viewport(), listView2_->viewport()}) {
        watched->installEventFilter(this);
    }
}

bool Form1::eventFilter(QObject* watched, QEvent* event) {
    if (watched == listView1_->viewport() || watched == listView1_->header()->viewport()) {
        return FileListEvent(static_cast<QWidget*>(watched), event);
    }
    switch (event->type()) {
    case QEvent::MouseMove:
        // The character list has no pointer handler: moving over it leaves the pointer as it is.
        if (qobject_cast<QPushButton*>(watched) != nullptr) {
            HandPointerMove();
        } else if (watched != listView2_->viewport()) {
            PointerResetMove();
        }
        break;
    case QEvent::MouseButtonDblClick:
        if (watched == listView2_->viewport()) {
            WithoutTrap([&] { ListView2_DblClick(); });
            return true;
        }
        break;
    case QEvent::FocusOut: {
        // Switching to another window, or a menu popping up, is not leaving the box.
        const Qt::FocusReason reason = static_cast<QFocusEvent*>(event)->reason();
        if (watched == text1_ && reason != Qt::ActiveWindowFocusReason && reason != Qt::PopupFocusReason) {
            WithoutTrap([&] { Text1_LostFocus(); });
        }
        break;
    }
    default:
        break;
    }
    return false;
}

bool Form1::FileListEvent(QWidget* source, QEvent* event) {
    if (event->type() == QEvent::MouseMove) {
        const auto* move = static_cast<QMouseEvent*>(event);
        // Moves over the header come in list coordinates too (above the first entry).
        const QPoint position =
            listView1_->viewport()->mapFromGlobal(source->mapToGlobal(move->position().toPoint()));
        WithoutTrap([&] { ListView1_MouseMove(move->buttons(), position); });
        return false;
    }
    if (source != listView1_->viewport()) {
        return false;
    }
    switch (event->type()) {
    case QEvent::MouseButtonPress: {
        const auto* press = static_cast<QMouseEvent*>(event);
        WithoutTrap([&] { ListView1_MouseDown(press->button(), press->position().toPoint()); });
        return false;
    }
    case QEvent::MouseButtonRelease: {
        const auto* release = static_cast<QMouseEvent*>(event);
        WithoutTrap([&] { ListView1_MouseUp(release->button(), release->position().toPoint()); });
        return false;
    }
    case QEvent::MouseButtonDblClick:
        WithoutTrap([&] { ListView1_DblClick(); });
        return true;
    case QEvent::DragEnter:
    case QEvent::DragMove: {
        auto* drag = static_cast<QDragMoveEvent*>(event);
        const Qt::DropAction action = TakenDropAction(drag);
        bool accepted = false;
        if (action != Qt::IgnoreAction) {
            WithoutTrap([&] { accepted = ListView1_OLEDragOver(drag->mimeData()); });
        }
        if (accepted) {
            drag->setDropAction(action);
            drag->accept();
        } else {
            drag->ignore();
        }
        return true;
    }
    case QEvent::Drop: {
        auto* drop = static_cast<QDropEvent*>(event);
        const Qt::DropAction action = TakenDropAction(drop);
        if (action == Qt::IgnoreAction) {
            drop->ignore();
            return true;
        }
        WithoutTrap([&] { ListView1_OLEDragDrop(drop->mimeData()); });
        drop->setDropAction(action);
        drop->accept();
        return true;
    }
    default:
        return false;
    }
}

void Form1::mouseMoveEvent(QMouseEvent* event) {
    PointerResetMove();
    QWidget::mouseMoveEvent(event);
}

void Form1::Form_Load() {
    ErrorTrap trap = Trap(location::kFormLoad);
    trap.Line(100, [&] { ApplySkin(); });
    trap.Line(102, [&] { setWindowTitle(QStringLiteral("Brantlewick")); });
    trap.Line(104, [&] { SetApplicationTitle(); });
    trap.Line(106, [&] { LoadHandPointer(); });
    trap.Line(108, [&] { OpenWebsiteOnceInAHundred(); });
    trap.Line(110, [&] { listView1_->SetColumn(QStringLiteral("File(s)"), 7000); });
    // A damaged settings file would fail every read below and every write after them: it is set aside
    // and replaced by what could be read of it, and that is said once, here.
    WithoutTrap([&] {
        if (const std::optional<QString> recovered = settings_.RecoverDamagedFile()) {
            ShowMessage(*recovered);
        }
    });
    trap.Line(112, [&] {
        text1_->setText(
            TextForBox(setting::kText1, settings_.GetSetting(setting::kText1, setting_default::kText1)));
    });
    // The default is formed on every start; without a desktop the store is not read at all.
    trap.Line(114, [&] {
        const QString defaultFolder = DesktopFolderPath(desktop_.DesktopLocation()) + u'/';
        text3_->setText(
            TextForBox(setting::kOutputFolder, settings_.GetSetting(setting::kOutputFolder, defaultFolder)));
    });
    trap.Line(116, [&] {
        SetOptionValue(option1_, settings_.GetBoolSetting(setting::kOption1, setting_default::kOption1));
    });
    trap.Line(118, [&] {
        SetOptionValue(option2_, settings_.GetBoolSetting(setting::kOption2, setting_default::kOption2));
    });
    trap.Line(120, [&] { frame2_->setEnabled(option1_->isChecked()); });
    trap.Line(122, [&] { listView2_->SetColumn(QStringLiteral("Sentence Ending Characters"), 7000); });
    trap.Line(124, [&] { RestoreCharacterList(); });
}

void Form1::OpenWebsiteOnceInAHundred() {
    if (desktop_.RandomDraw() == 7) {
        desktop_.OpenWebAddress(QString::fromUtf8(kWebsiteAddress));
    }
}

void Form1::PaintProgressBar() {
    if (progressBar1_ != nullptr) {
        progressBar1_->setUpdatesEnabled(true);
        progressBar1_->repaint();
    }
}

void Form1::SetApplicationTitle() {
    applicationTitle_ = ShortApplicationTitle(QString::fromUtf8(kProductName));
}

void Form1::closeEvent(QCloseEvent* event) {
    Form_QueryUnload();
    event->accept();
    Form_Unload();
}

void Form1::Form_QueryUnload() {
    ErrorTrap trap = Trap(location::kFormQueryUnload);
    trap.Line(100, [&] { SaveCharacterList(); });
    trap.Line(102, [&] {
        desktop_.ProcessEvents();
        desktop_.ProcessEvents();
    });
}

void Form1::Form_Unload() {
    desktop_.EndProgram();
}

void Form1::ShowErrorReport(const std::string& text) {
    desktop_.MessageBox(
        this, QString::fromStdString(text),
        QString::fromUtf8(kErrorReportCaption.data(), static_cast<qsizetype>(kErrorReportCaption.size())),
        MessageIcon::Warning, MessageButtons::Ok);
}

void Form1::ShowMessage(const QString& text) {
    desktop_.MessageBox(this, text, applicationTitle_, MessageIcon::None, MessageButtons::Ok);
}

bool Form1::AskYesNo(const QString& text) {
    return desktop_.Question(this, text, applicationTitle_);
}

QString Form1::AskText(const QString& prompt, const QString& defaultText) {
    return desktop_.InputBox(this, prompt, applicationTitle_, defaultText);
}

void Form1::SetOptionValue(QRadioButton* option, bool selected) {
    if (selected) {
        option->setChecked(true);
        return;
    }
    // An exclusive group refuses to clear its selected button; a stored "False" must clear it all the same.
    const bool exclusive = option->autoExclusive();
    option->setAutoExclusive(false);
    option->setChecked(false);
    option->setAutoExclusive(exclusive);
}

} // namespace brantlewick
