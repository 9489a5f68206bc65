// SPDX-License-Identifier: GPL-3.0-or-later
// Relative luminance and contrast of colours.
#include "Contrast.h"

#include <algorithm>
#include <cmath>

namespace brantlewick {
namespace {

double Linear(double channel) {
    return channel <= 0.04045 ? channel / 12.92 : std::pow((channel + 0.055) / 1.055, 2.4);
}

double Luminance(const QColor& colour) {
    const QColor rgb = colour.toRgb();
    return 0.2126 * Linear(rgb.redF()) + 0.7152 * Linear(rgb.greenF()) + 0.0722 * Linear(rgb.blueF());
}

} // namespace

double ContrastRatio(const QColor& one, const QColor& other) {
    const double a = Luminance(one);
    const double b = Luminance(other);
    return (std::max(a, b) + 0.05) / (std::min(a, b) + 0.05);
}

QColor Mixed(const QColor& background, const QColor& colour, double amount) {
    const QColor from = background.toRgb();
    const QColor to = colour.toRgb();
    const auto mix = [amount](float a, float b) { return a + static_cast<float>(amount) * (b - a); };
    return QColor::fromRgbF(mix(from.redF(), to.redF()), mix(from.greenF(), to.greenF()),
                            mix(from.blueF(), to.blueF()));
}

QColor WithContrast(const QColor& wanted, const QColor& background, double ratio) {
    const QColor extreme = ContrastRatio(Qt::black, background) >= ContrastRatio(Qt::white, background)
                               ? QColor(Qt::black)
                               : QColor(Qt::white);
    constexpr int kSteps = 20;
    QColor shown = wanted;
    for (int step = 1; step <= kSteps && ContrastRatio(shown, background) < ratio; ++step) {
        shown = Mixed(wanted, extreme, static_cast<double>(step) / kSteps);
    }
    return shown;
}

} // namespace brantlewick
