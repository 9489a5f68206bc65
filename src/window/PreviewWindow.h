// SPDX-License-Identifier: GPL-3.0-or-later
// The preview window: the original and the result side by side, scrolled together, with the inserted
// breaks and the dropped blanks marked in colour, and what the run would write where.
#pragma once

#include <QWidget>

class QLabel;
class QPlainTextEdit;

namespace brantlewick {

struct PreviewPage;

class PreviewWindow final : public QWidget {
    Q_OBJECT

public:
    explicit PreviewWindow(QWidget* owner);

    void SetPage(const PreviewPage& page);

private:
    QLabel* paths_;
    QLabel* summary_;
    QPlainTextEdit* original_;
    QPlainTextEdit* result_;
};

} // namespace brantlewick
