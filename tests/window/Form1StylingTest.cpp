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
#include <QtEndian>

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

// A 16 x 16 pointer file holding one opaque 32-bit image with its hot spot at (3, 5).
std::string PointerFile() {
    QByteArray bytes;
    const auto word = [&bytes](quint16 value) { bytes.append(reinterpret_cast<const char*>(&value), 2); };
    const auto dword = [&bytes](quint32 value) { bytes.append(reinterpret_cast<const char*>(&value), 4); };
    // The directory: a pointer file (type 2) with one entry.
    word(0);
    word(2);
    word(1);
    // The entry: 16 x 16, no palette, the hot spot, the image's size and where it starts.
    bytes.append("\x10\x10\x00\x00", 4);
    word(3);
    word(5);
    dword(40 + 16 * 16 * 4 + 16 * 4);
    dword(22);
    // The image: a bitmap header (height counting the mask too), the pixels, then the transparency mask.
    for (const quint32 field : {40u, 16u, 32u}) {
        dword(field);
    }
    word(1);
    word(32);
    for (const quint32 field : {0u, 16u * 16u * 4u + 16u * 4u, 0u, 0u, 0u, 0u}) {
        dword(field);
    }
    for (int pixel = 0; pixel < 16 * 16; ++pixel) {
        bytes.append("\x20\x40\xd0\xff", 4);
    }
    bytes.append(QByteArray(16 * 4, '\0'));
    return bytes.toStdString();
}

struct PointerCase {
    const char* name;
    QWidget* (*control)(const Form1&);
    PointerState before;
    PointerState after;
};

template <auto Accessor> QWidget* Get(const Form1& form) {
    return (form.*Accessor)();
}
QWidget* Background(const Form1& form) {
    return const_cast<Form1*>(&form);
}
QWidget* FileList(const Form1& form) {
    return form.ListView1()->viewport();
}
QWidget* FileListHeader(const Form1& form) {
    return form.ListView1()->header()->viewport();
}
QWidget* CharacterList(const Form1& form) {
    return form.ListView2()->viewport();
}

constexpr PointerState kArrow = PointerState::Default;
constexpr PointerState kHand = PointerState::Custom;
constexpr PointerState kBusy = PointerState::Hourglass;

const PointerCase kPointerCases[] = {
    {"PushButton1", Get<&Form1::PushButton1>, kArrow, kHand},
    {"PushButton2", Get<&Form1::PushButton2>, kArrow, kHand},
    {"PushButton3", Get<&Form1::PushButton3>, kArrow, kHand},
    {"PushButton4", Get<&Form1::PushButton4>, kArrow, kHand},
    {"PushButton5", Get<&Form1::PushButton5>, kArrow, kHand},
    {"PushButton7", Get<&Form1::PushButton7>, kArrow, kHand},
    {"PushButton9", Get<&Form1::PushButton9>, kArrow, kHand},
    {"PushButton10", Get<&Form1::PushButton10>, kArrow, kHand},
    {"PushButton11", Get<&Form1::PushButton11>, kArrow, kHand},
    {"PushButton12", Get<&Form1::PushButton12>, kHand, kHand},
    {"PushButton2 during a run", Get<&Form1::PushButton2>, kBusy, kBusy},
    {"PushButton7 during a run", Get<&Form1::PushButton7>, kBusy, kBusy},
    {"background", Background, kHand, kArrow},
    {"Label1", Get<&Form1::Label1>, kHand, kArrow},
    {"Frame3", Get<&Form1::Frame3>, kHand, kArrow},
    {"Text1", Get<&Form1::Text1>, kHand, kArrow},
    {"Text3", Get<&Form1::Text3>, kHand, kArrow},
    {"ListView1", FileList, kHand, kArrow},
    {"ListView1's header", FileListHeader, kHand, kArrow},
    {"background during a run", Background, kBusy, kBusy},
    {"Text1 during a run", Get<&Form1::Text1>, kBusy, kBusy},
    {"ListView1 during a run", FileList, kBusy, kBusy},
    // Controls without a handler leave the pointer as it is, and do not pass the move on to their frame.
    {"ListView2", CharacterList, kHand, kHand},
    {"Frame5", Get<&Form1::Frame5>, kHand, kHand},
    {"Frame2", Get<&Form1::Frame2>, kHand, kHand},
    {"Option1", Get<&Form1::Option1>, kHand, kHand},
    {"Option2", Get<&Form1::Option2>, kHand, kHand},
    {"ProgressBar1", Get<&Form1::ProgressBar1>, kHand, kHand},
    {"Option2 at rest", Get<&Form1::Option2>, kArrow, kArrow},
};

TEST(Form1StylingTest, PointerMovesFollowTheControlUnderThePointer) {
    TestWindow test;
    Form1& form = test.Load();
    form.show();
    for (const PointerCase& c : kPointerCases) {
        SCOPED_TRACE(c.name);
        form.SetMousePointer(c.before);
        MoveOver(c.control(form));
        EXPECT_EQ(form.MousePointer(), c.after);
    }
}

TEST(Form1StylingTest, AfterARunTheNextMoveOverAButtonShowsTheHandAgain) {
    TestWindow test;
    Form1& form = test.Load();
    form.show();
    form.SetMousePointer(PointerState::Hourglass);
    MoveOver(form.PushButton2());
    EXPECT_EQ(form.cursor().shape(), Qt::WaitCursor);
    form.SetMousePointer(PointerState::Default);
    EXPECT_EQ(form.cursor().shape(), Qt::ArrowCursor);
    MoveOver(form.PushButton2());
    EXPECT_EQ(form.cursor().shape(), Qt::PointingHandCursor);
}

TEST(Form1StylingTest, TheHandPointerImageIsLoadedFromBesideTheProgram) {
    TestWindow test;
    WriteBytes(test.ProgramFolder() + "/HAND-M.CUR", PointerFile());
    Form1& form = test.Load();
    EXPECT_TRUE(test.desktop.messages.empty());
    form.SetMousePointer(PointerState::Custom);
    EXPECT_EQ(form.cursor().shape(), Qt::BitmapCursor);
    EXPECT_EQ(form.cursor().pixmap().size(), QSize(16, 16));
    EXPECT_EQ(form.cursor().hotSpot(), QPoint(3, 5));
}

TEST(Form1StylingTest, AnInvalidPointerImageIsReportedAndTheDesktopHandIsUsed) {
    TestWindow test;
    const std::string path = test.ProgramFolder() + "/HAND-M.CUR";
    WriteBytes(path, "not a pointer");
    Form1& form = test.Load();
    EXPECT_EQ(test.ErrorReports(),
              (QStringList{ExpectedReport(
                  QString::fromStdString("The pointer image " + path + " is not a valid pointer file."),
                  kLoad, 106)}));
    form.SetMousePointer(PointerState::Custom);
    EXPECT_EQ(form.cursor().shape(), Qt::PointingHandCursor);
    EXPECT_EQ(form.Text1()->text(), "1");
}

TEST(Form1StylingTest, WithoutASkinFileNothingIsRecoloured) {
    for (const char* setup : {"nothing", "an empty x folder", "a folder named o.cjs"}) {
        SCOPED_TRACE(setup);
        TestWindow test;
        if (std::string(setup) != "nothing") {
            QDir().mkpath(QString::fromStdString(test.ProgramFolder() + "/x"));
        }
        if (std::string(setup) == "a folder named o.cjs") {
            QDir().mkpath(QString::fromStdString(test.ProgramFolder() + "/x/o.cjs"));
        }
        Form1& form = test.Load();
        EXPECT_FALSE(form.autoFillBackground());
        EXPECT_FALSE(form.Label1()->autoFillBackground());
        EXPECT_FALSE(form.Frame3()->autoFillBackground());
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
    for (QWidget* painted :
         std::initializer_list<QWidget*>{&form, form.Label1(), form.Option1(), form.Option2(), form.Frame2(),
                                         form.Frame3(), form.Frame5()}) {
        EXPECT_TRUE(painted->autoFillBackground());
        EXPECT_EQ(painted->palette().color(QPalette::Window), buttonFace);
    }
    for (QWidget* kept :
         std::initializer_list<QWidget*>{form.Text1(), form.Text3(), form.ListView1(), form.ListView2(),
                                         form.PushButton2(), form.ProgressBar1()}) {
        EXPECT_FALSE(kept->autoFillBackground());
    }
    const SkinFramework& skin = form.SkinFramework1();
    EXPECT_EQ(skin.LoadedPath(), QString::fromStdString(test.ProgramFolder() + "/x/o.cjs"));
    EXPECT_EQ(skin.LoadedSection(), "");
    EXPECT_EQ(skin.Options() & 1, 1);
    EXPECT_TRUE(skin.Switch(5));
    EXPECT_TRUE(skin.Switch(10));
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
