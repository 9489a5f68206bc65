// The message and input boxes on their own.
#include "QtDesktopServices.h"
#include "TestWindow.h"

#include <QInputDialog>
#include <QLabel>
#include <QMessageBox>

namespace brantlewick::testing {
namespace {

// A file name is data: "<b>" must show as typed, and markup would also swallow the report's line breaks.
TEST(WindowPartsTest, MessageAndInputBoxesShowTheirTextsPlainWithTheirLineBreaks) {
    const QString text = "Cannot open <b>big.txt</b> & <i>x</i>&amp;\r\nin X at line 100\r\rPlease";
    const auto message =
        MakeMessageBox(nullptr, text, "Application Error", MessageIcon::Warning, MessageButtons::Ok);
    const auto input = MakeInputBox(nullptr, text, "Brantlewick", "<b>");
    for (const QLabel* label :
         {message->findChild<QLabel*>("qt_msgbox_label"), input->findChild<QLabel*>()}) {
        ASSERT_NE(label, nullptr);
        EXPECT_EQ(label->text(), "Cannot open <b>big.txt</b> & <i>x</i>&amp;\nin X at line 100\n\nPlease");
        EXPECT_EQ(label->textFormat(), Qt::PlainText);
    }
    EXPECT_EQ(input->textValue(), "<b>");
    // A short text under a long caption: the box is sized for the caption, which a title bar would cut.
    const QString caption = "Brantlewick Text Reformatter For Many Files At Once";
    const auto done = MakeMessageBox(nullptr, "Done.", caption, MessageIcon::None, MessageButtons::Ok);
    EXPECT_GT(done->sizeHint().width(), done->fontMetrics().horizontalAdvance(caption) + 100);
}

} // namespace
} // namespace brantlewick::testing
