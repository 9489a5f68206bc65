// SPDX-License-Identifier: GPL-3.0-or-later
// The progress bar of the batch run.
#include "ProgressBar.h"

namespace brantlewick {

ProgressBar::ProgressBar(QWidget* parent) : QProgressBar(parent) {
    setRange(0, 100);
    setValue(0);
    setTextVisible(true);
    setAlignment(Qt::AlignCenter);
}

void ProgressBar::SetText(const QString& text) {
    text_ = text;
    update();
}

} // namespace brantlewick
