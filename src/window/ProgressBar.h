// SPDX-License-Identifier: GPL-3.0-or-later
// A progress bar that shows a free text inside the bar, taken literally ("%" has no meaning in it).
#pragma once

#include <QProgressBar>

namespace brantlewick {

class ProgressBar : public QProgressBar {
    Q_OBJECT

public:
    explicit ProgressBar(QWidget* parent = nullptr);

    void SetText(const QString& text);
    QString text() const override { return text_; }

private:
    QString text_;
};

} // namespace brantlewick
