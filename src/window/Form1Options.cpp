// The options of a run: the number of Enters, the save options and the output folder.
#include "Form1.h"

#include "SettingsStore.h"

#include <QLineEdit>

namespace brantlewick {

void Form1::Option1_Click() {}

void Form1::Option2_Click() {}

void Form1::Text1_Change() {
    settings_.SaveSetting(setting::kText1, text1_->text());
}

void Form1::Text1_LostFocus() {}

void Form1::Text3_Change() {
    settings_.SaveSetting(setting::kOutputFolder, text3_->text());
}

void Form1::PushButton7_Click() {}

} // namespace brantlewick
