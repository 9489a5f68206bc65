// The pointer rules, the hand pointer image and the optional skin.
#include "TestWindow.h"

#include <QMouseEvent>

#include <sys/stat.h>

namespace brantlewick::testing {
namespace {

void MoveOver(QWidget& widget) {
    QMouseEvent move(QEvent::MouseMove, QPointF(3, 3), widget.mapToGlobal(QPointF(3, 3)), Qt::NoButton,
                     Qt::NoButton, Qt::NoModifier);
    QCoreApplication::sendEvent(&widget, &move);
}

// A 16 x 16 pointer file with its hot spot at (3, 5): the directory (type 2, one entry), the entry, a
// 32-bit bitmap header (height counting the mask), pixels, the mask.
std::string PointerFile() {
    QByteArray bytes = QByteArray::fromHex("00000200010010100000030005006804000016000000280000001000000020"
                                           "00000001002000000000004004000000000000000000000000000000000000");
    bytes += QByteArray("\x20\x40\xd0\xff", 4).repeated(16 * 16) + QByteArray(16 * 4, '\0');
    return bytes.toStdString();
}

// The hand over every push button, the arrow over the background and the resetting controls; the others
// leave the pointer as it is and do not pass the move on to their frame. The hourglass stays throughout.
TEST(StylingTest, PointerMovesFollowTheControlUnderThePointer) {
    TestWindow test;
    Form1& form = test.Show();
    // The pointer after moving over `over`, coming from a button (showing the hand) or from the background.
    const auto shapeAfterMoving = [&](const char* fromButton, QWidget& over) {
        MoveOver(*fromButton != '\0' ? test.Get(fromButton) : static_cast<QWidget&>(form));
        MoveOver(over);
        return form.cursor().shape();
    };
    for (const char* button :
         {"PushButton1", "PushButton2", "PushButton3", "PushButton4", "PushButton5", "PushButton7",
          "PushButton9", "PushButton10", "PushButton11", "PushButton12"}) {
        EXPECT_EQ(shapeAfterMoving("", test.Get(button)), Qt::PointingHandCursor) << button;
    }
    for (QWidget* resetting : {static_cast<QWidget*>(&form), &test.Get("Label1"), &test.Get("Frame3"),
                               &test.Get("Text1"), &test.Get("Text3"), test.Files().viewport()}) {
        EXPECT_EQ(shapeAfterMoving("PushButton1", *resetting), Qt::ArrowCursor)
            << resetting->objectName().toStdString();
    }
    for (QWidget* keeping : {test.Characters().viewport(), &test.Get("Frame5"), &test.Get("Frame2"),
                             &test.Get("Option1"), &test.Get("ProgressBar1")}) {
        EXPECT_EQ(shapeAfterMoving("PushButton1", *keeping), Qt::PointingHandCursor)
            << keeping->objectName().toStdString();
    }
    test.WhileBusy([&] {
        for (QWidget* any : {&test.Get("PushButton2"), static_cast<QWidget*>(&form), &test.Get("Text1"),
                             test.Files().viewport()}) {
            MoveOver(*any);
            EXPECT_EQ(form.cursor().shape(), Qt::WaitCursor);
        }
    });
    EXPECT_EQ(shapeAfterMoving("", test.Get("PushButton2")), Qt::PointingHandCursor);
}

TEST(StylingTest, TheHandImageComesFromBesideTheProgramAndAnInvalidOneIsReported) {
    TestWindow test;
    WriteBytes(test.ProgramFolder() + "/HAND-M.CUR", PointerFile());
    test.Load();
    MoveOver(test.Get("PushButton1"));
    EXPECT_EQ(test.form->cursor().shape(), Qt::BitmapCursor);
    EXPECT_EQ(test.form->cursor().hotSpot(), QPoint(3, 5));
    EXPECT_TRUE(test.desktop.messages.empty());

    TestWindow invalid;
    const std::string path = invalid.ProgramFolder() + "/HAND-M.CUR";
    WriteBytes(path, PointerFile().substr(0, 40));
    invalid.Load();
    EXPECT_EQ(invalid.ErrorReports(),
              QStringList{Report(
                  QString::fromStdString("The pointer image " + path + " is not a valid pointer file."),
                  "Form1.Form_Load", 106)});
    MoveOver(invalid.Get("PushButton1"));
    EXPECT_EQ(invalid.form->cursor().shape(), Qt::PointingHandCursor);
}

// Only a readable plain file "x/o.cjs" beside the program skins the window: the window, labels, option
// buttons and frames take the button face, the other controls keep their look.
TEST(StylingTest, TheSkinPaintsTheWindowLabelsOptionsAndFramesInTheButtonFace) {
    const struct {
        const char* skin; // nullptr: a folder of that name
        mode_t mode;
        bool painted;
        const char* report;
    } cases[] = {{"[Skin]\n", 0644, true, nullptr},
                 {nullptr, 0755, false, nullptr},
                 {"[Skin]\n", 0, true, "Permission denied"}}; // coloured before the skin fails
    for (const auto& c : cases) {
        if (c.mode == 0 && ::geteuid() == 0) {
            continue; // permissions do not bind the superuser
        }
        TestWindow test;
        const std::string path = test.ProgramFolder() + "/x/o.cjs";
        QDir().mkpath(QString::fromStdString(c.skin ? test.ProgramFolder() + "/x" : path));
        if (c.skin) {
            WriteBytes(path, c.skin);
            ::chmod(path.c_str(), c.mode);
        }
        Form1& form = test.Load();
        const QColor face = form.palette().color(QPalette::Button);
        for (QWidget* painted :
             {static_cast<QWidget*>(&form), &test.Get("Label1"), &test.Get("Option1"), &test.Get("Option2"),
              &test.Get("Frame2"), &test.Get("Frame3"), &test.Get("Frame5")}) {
            EXPECT_EQ(painted->autoFillBackground() && painted->palette().color(QPalette::Window) == face,
                      c.painted);
        }
        for (const char* kept : {"Text1", "ListView1", "PushButton2", "ProgressBar1"}) {
            EXPECT_FALSE(test.Get(kept).autoFillBackground()) << kept;
        }
        EXPECT_EQ(test.ErrorReports(),
                  c.report ? QStringList{Report(QString::fromStdString("Cannot load the skin " + path + ": " +
                                                                       c.report + "."),
                                                "Form1.Form_Load", 100)}
                           : QStringList{});
    }
}

} // namespace
} // namespace brantlewick::testing
