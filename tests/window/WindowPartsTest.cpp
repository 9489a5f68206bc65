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
    for (QDialog* box : std::initializer_list<QDialog*>{message.get(), input.get()}) {
        QStringList plain;
        for (const QLabel* label : box->findChildren<QLabel*>()) {
            plain.append(label->textFormat() == Qt::PlainText ? label->text() : QString());
        }
        EXPECT_TRUE(plain.contains("Cannot open <b>big.txt</b> & <i>x</i>&amp;\nin X at line 100\n\nPlease"));
    }
}

} // namespace
} // namespace brantlewick::testing
