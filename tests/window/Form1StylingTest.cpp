// The window's pointer rules, the hand pointer image and the optional skin.
#include "ListView.h"
#include "ProgressBar.h"
#include "TestWindow.h"

#include <QCoreApplication>
#include <QDir>
#include <QGroupBox>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPushButton>
#include <QRadioButton>

#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

namespace brantlewick {
namespace {

using testing::ExpectedReport;
using testing::TestWindow;
using testing::WriteBytes;

const QString kLoad = QStringLiteral("in Moravelle2021/08/31.Form1.Form_Load ");

void MoveOver(QWidget* widget) {
    QMouseEvent move(QEvent::MouseMove, QPointF(3, 3), widget->mapToGlobal(QPointF(3, 3)), Qt::NoButton,
                     Qt::NoButton, Qt::NoModifier);
    QCoreApplication::sendEvent(widget, &move);
}

// A 16 x 16 pointer file with its hot spot at (3, 5): the directory (type 2, one entry), the entry (size,
// hot spot, image size and start), a 32-bit bitmap header (height counting the mask), pixels, the mask.
std::string PointerFile() {
    QByteArray bytes = QByteArray::fromHex("00000200010010100000030005006804000016000000280000001000000020"
                                           "00000001002000000000004004000000000000000000000000000000000000");
    bytes += QByteArray("\x20\x40\xd0\xff", 4).repeated(16 * 16) + QByteArray(16 * 4, '\0');
    return bytes.toStdString();
}

TEST(Form1StylingTest, PointerMovesFollowTheControlUnderThePointer) {
    TestWindow test;
    Form1& form = test.Load();
    form.show();
    constexpr PointerState kArrow = PointerState::Default;
    constexpr PointerState kHand = PointerState::Custom;
    constexpr PointerState kBusy = PointerState::Hourglass;
    QWidget* files = form.ListView1()->viewport();
    const struct {
        PointerState before;
        PointerState after;
        QList<QWidget*> controls;
    } rules[] = {
        {kArrow,
         kHand,
         {form.PushButton1(), form.PushButton2(), form.PushButton3(), form.PushButton4(), form.PushButton5(),
          form.PushButton7(), form.PushButton9(), form.PushButton10(), form.PushButton11(),
          form.PushButton12()}},
        {kHand,
         kArrow,
         {&form, form.Label1(), form.Frame3(), form.Text1(), form.Text3(), files,
          form.ListView1()->header()->viewport()}},
        // The hourglass stays whatever the pointer moves over.
        {kBusy, kBusy, {form.PushButton2(), form.PushButton7(), &form, form.Text1(), files}},
        // Controls without a handler leave the pointer as it is, and do not pass the move on to their frame.
        {kHand,
         kHand,
         {form.ListView2()->viewport(), form.Frame5(), form.Frame2(), form.Option1(), form.Option2(),
          form.ProgressBar1()}},
        {kArrow, kArrow, {form.Option2()}},
    };
    for (const auto& rule : rules) {
        for (QWidget* control : rule.controls) {
            SCOPED_TRACE(control->metaObject()->className() +
                         QString::number(rule.controls.indexOf(control)).toStdString());
            form.SetMousePointer(rule.before);
            MoveOver(control);
            EXPECT_EQ(form.MousePointer(), rule.after);
        }
    }
    // After a run the next move over a button shows the hand again (the desktop's, without HAND-M.CUR).
    form.SetMousePointer(PointerState::Hourglass);
    MoveOver(form.PushButton2());
    EXPECT_EQ(form.cursor().shape(), Qt::WaitCursor);
    form.SetMousePointer(PointerState::Default);
    EXPECT_EQ(form.cursor().shape(), Qt::ArrowCursor);
    MoveOver(form.PushButton2());
    EXPECT_EQ(form.cursor().shape(), Qt::PointingHandCursor);
}

TEST(Form1StylingTest, TheHandPointerImageIsLoadedFromBesideTheProgramAndAnInvalidOneIsReported) {
    TestWindow test;
    WriteBytes(test.ProgramFolder() + "/HAND-M.CUR", PointerFile());
    Form1& form = test.Load();
    EXPECT_TRUE(test.desktop.messages.empty());
    form.SetMousePointer(PointerState::Custom);
    EXPECT_EQ(form.cursor().shape(), Qt::BitmapCursor);
    EXPECT_EQ(form.cursor().pixmap().size(), QSize(16, 16));
    EXPECT_EQ(form.cursor().hotSpot(), QPoint(3, 5));

    TestWindow invalid;
    const std::string path = invalid.ProgramFolder() + "/HAND-M.CUR";
    WriteBytes(path, "not a pointer");
    Form1& second = invalid.Load();
    EXPECT_EQ(invalid.ErrorReports(),
              (QStringList{ExpectedReport(
                  QString::fromStdString("The pointer image " + path + " is not a valid pointer file."),
                  kLoad, 106)}));
    second.SetMousePointer(PointerState::Custom);
    EXPECT_EQ(second.cursor().shape(), Qt::PointingHandCursor);
    EXPECT_EQ(second.Text1()->text(), "1");
}

TEST(Form1StylingTest, WithoutASkinFileNothingIsRecoloured) {
    // Nothing, an empty x folder, a folder named o.cjs.
    for (const char* folder : {"", "/x", "/x/o.cjs"}) {
        SCOPED_TRACE(folder);
        TestWindow test;
        QDir().mkpath(QString::fromStdString(test.ProgramFolder() + folder));
        Form1& form = test.Load();
        EXPECT_FALSE(form.autoFillBackground() || form.Label1()->autoFillBackground() ||
                     form.Frame3()->autoFillBackground());
        EXPECT_TRUE(form.SkinFramework1().LoadedPath().isEmpty());
        EXPECT_TRUE(test.desktop.messages.empty());
    }
}

TEST(Form1StylingTest, TheSkinPaintsTheWindowLabelsOptionsAndFramesInTheButtonFace) {
    TestWindow test;
    QDir().mkpath(QString::fromStdString(test.ProgramFolder() + "/x"));
    WriteBytes(test.ProgramFolder() + "/x/o.cjs", "[Skin]\n");
    Form1& form = test.Load();
    const QColor buttonFace = form.palette().color(QPalette::Button);
    for (QWidget* painted : QList<QWidget*>{&form, form.Label1(), form.Option1(), form.Option2(),
                                            form.Frame2(), form.Frame3(), form.Frame5()}) {
        EXPECT_TRUE(painted->autoFillBackground());
        EXPECT_EQ(painted->palette().color(QPalette::Window), buttonFace);
    }
    for (QWidget* kept : QList<QWidget*>{form.Text1(), form.Text3(), form.ListView1(), form.ListView2(),
                                         form.PushButton2(), form.ProgressBar1()}) {
        EXPECT_FALSE(kept->autoFillBackground());
    }
    const SkinFramework& skin = form.SkinFramework1();
    EXPECT_EQ(skin.LoadedPath(), QString::fromStdString(test.ProgramFolder() + "/x/o.cjs"));
    EXPECT_EQ(skin.LoadedSection(), "");
    EXPECT_EQ(skin.Options() & 1, 1);
    EXPECT_TRUE(skin.Switch(5) && skin.Switch(10));
    EXPECT_EQ(skin.AppliedWindow(), static_cast<quintptr>(form.winId()));
    EXPECT_TRUE(test.desktop.messages.empty());
}

TEST(Form1StylingTest, AnUnreadableSkinIsReportedAndTheStartUpGoesOn) {
    if (::geteuid() == 0) {
        GTEST_SKIP() << "permissions do not bind the superuser";
    }
    TestWindow test;
    QDir().mkpath(QString::fromStdString(test.ProgramFolder() + "/x"));
    const std::string path = test.ProgramFolder() + "/x/o.cjs";
    WriteBytes(path, "[Skin]\n");
    ASSERT_EQ(::chmod(path.c_str(), 0), 0);
    Form1& form = test.Load();
    EXPECT_EQ(
        test.ErrorReports(),
        (QStringList{ExpectedReport(
            QString::fromStdString("Cannot load the skin " + path + ": Permission denied."), kLoad, 100)}));
    EXPECT_EQ(form.windowTitle(), "Brantlewick");
}

} // namespace
} // namespace brantlewick
