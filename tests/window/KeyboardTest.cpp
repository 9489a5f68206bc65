// SPDX-License-Identifier: GPL-3.0-or-later
// The window without a mouse: the Tab order, the access keys, Ctrl+P, the focus ring, and what a screen
// reader is told of every control.
#include "Contrast.h"
#include "FocusRing.h"
#include "Rows.h"
#include "TestWindow.h"

#include <QAccessible>
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QRadioButton>

namespace brantlewick::testing {
namespace {

QStringList TabVisits(QWidget* from, int presses, Qt::Key key = Qt::Key_Tab) {
    from->setFocus();
    QStringList visited{QApplication::focusWidget()->objectName()};
    for (int i = 0; i < presses; ++i) {
        QTest::keyClick(QApplication::focusWidget(), key);
        visited.append(QApplication::focusWidget()->objectName());
    }
    return visited;
}

// Tab follows the layout: the file list's column, the other column top to bottom (the "..." beside its
// box, no longer after "Start Adding"), then the sentence row, and back the same way. It enters the save
// options at the one selected from either side; what is disabled drops out.
TEST(KeyboardTest, TabFollowsTheLayout) {
    const struct {
        bool beside, sentences;
        const char* visits;
    } rows[] = {
        {false, false,
         "ListView1 PushButton1 PushButton3 PushButton4 PushButton5 ListView2 PushButton9 PushButton10 "
         "PushButton11 PushButton12 Text1 Option1 Text3 PushButton7 PushButton2 Check1 Combo2 ListView1"},
        {true, true,
         "ListView1 PushButton1 PushButton3 PushButton4 PushButton5 ListView2 PushButton9 PushButton10 "
         "PushButton11 PushButton12 Text1 Option2 PushButton2 Check1 Combo1 Combo2 ListView1"},
    };
    FOR_EACH_ROW(row, rows) {
        TestWindow test;
        test.Show();
        test.Get<QAbstractButton>(row.beside ? "Option2" : "Option1").click();
        test.Get<QCheckBox>("Check1").setChecked(row.sentences);
        const auto count = static_cast<int>(QString(row.visits).count(' '));
        EXPECT_EQ(TabVisits(&test.Files(), count).join(' '), row.visits);
        QStringList back = TabVisits(&test.Files(), count, Qt::Key_Backtab);
        std::reverse(back.begin(), back.end());
        EXPECT_EQ(back.join(' '), row.visits);
    }
}

// Every caption that has a letter has an access key, no two alike; Alt with it focuses a box through its
// label, clicks a button, selects an option. Ctrl+P previews from anywhere in the window, the first entry
// when none is selected.
TEST(KeyboardTest, AccessKeysAndCtrlPWorkFromAnywhere) {
    TestWindow test;
    test.Show();
    QStringList keys;
    for (const QWidget* control : test.form->findChildren<QWidget*>()) {
        const auto* label = qobject_cast<const QLabel*>(control);
        if (qobject_cast<const QAbstractButton*>(control) == nullptr && (!label || !label->buddy())) {
            continue;
        }
        const QString caption = control->property("text").toString();
        if (const qsizetype amp = caption.indexOf(u'&'); amp >= 0) {
            keys.append(caption.mid(amp + 1, 1).toUpper());
        } else if (caption.contains(QRegularExpression("[A-Za-z]"))) {
            ADD_FAILURE() << "no access key: " << caption.toStdString();
        }
    }
    EXPECT_GE(keys.size(), 15);
    EXPECT_EQ(QSet<QString>(keys.begin(), keys.end()).size(), keys.size()) << keys.join(' ').toStdString();

    test.Get<QCheckBox>("Check1").setChecked(true);
    const std::pair<Qt::Key, const char*> focused[] = {
        {Qt::Key_N, "Text1"}, {Qt::Key_L, "Combo1"}, {Qt::Key_K, "Combo2"}, {Qt::Key_O, "Option2"}};
    FOR_EACH_ROW(row, focused) {
        QTest::keyClick(test.form.get(), row.first, Qt::AltModifier);
        QTest::qWait(150); // a button's access key clicks it as a click looks on the screen
        EXPECT_EQ(QApplication::focusWidget()->objectName(), row.second);
    }
    EXPECT_TRUE(test.Get<QRadioButton>("Option2").isChecked());
    QTest::keyClick(test.form.get(), Qt::Key_S, Qt::AltModifier);
    QTest::qWait(150);
    EXPECT_EQ(test.desktop.MessageTexts(), QStringList{"No files added."});

    test.Files().Append("/none/a.txt");
    test.Files().Append("/none/b.txt");
    QTest::keyClick(&test.Get("Combo2"), Qt::Key_P, Qt::ControlModifier);
    EXPECT_EQ(test.ShownPreview().input, "/none/a.txt");
}

// A screen reader names every control and says what it is for; a caption is read as it is shown.
TEST(KeyboardTest, EveryControlHasAnAccessibleNameAndDescription) {
    TestWindow test;
    test.Show();
    int controls = 0;
    for (QWidget* control : test.form->findChildren<QWidget*>()) {
        if (control->objectName().isEmpty() || control->objectName().startsWith("qt_") ||
            qobject_cast<FocusRing*>(control) != nullptr) {
            continue;
        }
        ++controls;
        QAccessibleInterface* spoken = QAccessible::queryAccessibleInterface(control);
        SCOPED_TRACE(control->objectName().toStdString());
        ASSERT_NE(spoken, nullptr);
        EXPECT_FALSE(spoken->text(QAccessible::Name).isEmpty());
        EXPECT_GT(spoken->text(QAccessible::Description).size(), 15);
        if (const QString caption = control->property("text").toString();
            qobject_cast<QAbstractButton*>(control) != nullptr && caption != "...") {
            EXPECT_EQ(spoken->text(QAccessible::Name), QString(caption).remove(u'&'));
        }
    }
    EXPECT_GE(controls, 27);
}

// The ring stands around the focused control, and out from the window's background by 3:1 in a light and
// a dark palette, also where the highlight colour alone would not.
TEST(KeyboardTest, TheFocusRingSurroundsTheFocusedControlInEveryPalette) {
    const struct {
        const char* name;
        QColor window, highlight;
    } palettes[] = {
        {"light", QColor(0xefefef), QColor(0x308cc6)},
        {"dark", QColor(0x2a2a2a), QColor(0x2a82da)},
        {"highlight like the window", QColor(0x3c3c3c), QColor(0x404040)},
        {"pale highlight", QColor(0xffffff), QColor(0xcce8ff)},
    };
    FOR_EACH_ROW(row, palettes) {
        QPalette palette;
        palette.setColor(QPalette::Window, row.window);
        palette.setColor(QPalette::Highlight, row.highlight);
        EXPECT_GE(ContrastRatio(FocusRing::Colour(palette), row.window), 3.0);
    }
    TestWindow test;
    test.Show();
    const auto& ring = test.Get<FocusRing>("FocusRing");
    for (const char* name : {"ListView1", "PushButton7", "Text1", "Option1", "Combo2"}) {
        QWidget& control = test.Get(name);
        control.setFocus();
        const QRect place(control.mapTo(test.form.get(), QPoint(0, 0)), control.size());
        EXPECT_TRUE(ring.isVisible() && ring.geometry().contains(place) && ring.geometry() != place) << name;
    }
    test.form->setFocus();
    EXPECT_FALSE(ring.isVisible());
}

} // namespace
} // namespace brantlewick::testing
