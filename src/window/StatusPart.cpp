// SPDX-License-Identifier: GPL-3.0-or-later
// The status line and its two buttons.
#include "StatusPart.h"

#include "Controls.h"
#include "WindowShell.h"

#include <QLabel>
#include <QPushButton>

namespace brantlewick {
namespace {

QString Counted(std::size_t count, const char* thing) {
    return QStringLiteral("%1 %2%3")
        .arg(count)
        .arg(QLatin1StringView(thing))
        .arg(count == 1 ? QLatin1StringView() : QLatin1StringView("s"));
}

} // namespace

QString RunSummary(const RunReport& report) {
    QString summary =
        Counted(report.converted, "file") + QStringLiteral(" converted, %1 failed").arg(report.failed);
    if (report.resultsFolder) {
        summary += QStringLiteral(" \u2014 results in ") + *report.resultsFolder;
    } else if (report.folders > 1) {
        summary += QStringLiteral(" \u2014 results in %1 folders").arg(report.folders);
    }
    return summary;
}

StatusPart::StatusPart(QWidget& window, WindowShell& shell) : shell_(shell) {
    line_ = MakeControl<QLabel>(window, "StatusLine", {120, 7080, 10080, 300});
    line_->setTextFormat(Qt::PlainText);
    line_->setTextInteractionFlags(Qt::TextSelectableByMouse);
    // A long folder is cut in the middle by the label's width; the whole line is its tooltip.
    line_->setMinimumWidth(0);
    openResults_ = MakeControl<QPushButton>(window, "OpenResults", {10320, 7050, 2700, 360},
                                            QStringLiteral("Open Results &Folder"));
    showFailures_ = MakeControl<QPushButton>(window, "ShowFailures", {13140, 7050, 2700, 360},
                                             QStringLiteral("Show Fail&ures..."));
    for (QPushButton* button : {openResults_, showFailures_}) {
        button->setAutoDefault(false);
        button->hide();
    }
    connect(openResults_, &QPushButton::clicked, this, [this] {
        if (report_.resultsFolder) {
            shell_.Desktop().OpenFolder(*report_.resultsFolder);
        }
    });
    connect(showFailures_, &QPushButton::clicked, this,
            [this] { shell_.Desktop().ShowFailures(&shell_.Window(), report_.failures); });
}

void StatusPart::ShowRun(RunReport report) {
    report_ = std::move(report);
    const QString summary = RunSummary(report_);
    line_->setText(line_->fontMetrics().elidedText(summary, Qt::ElideMiddle, line_->width()));
    line_->setToolTip(summary);
    line_->setAccessibleName(summary);
    openResults_->setVisible(report_.resultsFolder.has_value());
    showFailures_->setVisible(!report_.failures.isEmpty());
}

void StatusPart::ShowNote(const QString& text) {
    report_ = {};
    line_->setText(line_->fontMetrics().elidedText(text, Qt::ElideRight, line_->width()));
    line_->setToolTip(text);
    line_->setAccessibleName(text);
    openResults_->hide();
    showFailures_->hide();
}

} // namespace brantlewick
