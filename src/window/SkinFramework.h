// SPDX-License-Identifier: GPL-3.0-or-later
// A stand-in for the optional skin component: it checks that the skin file can be read and takes the
// calls the window makes, and changes no look.
#pragma once

#include <QString>

namespace brantlewick {

class SkinFramework {
public:
    // The option flag the window adds to the component's flags, and the switches it turns on, before the
    // skin is applied; their meaning is the component's.
    static constexpr int kApplyOption = 1;
    static constexpr int kAppliedSwitches[] = {5, 10};

    // Reads the skin file; throws std::runtime_error when it cannot be read.
    void LoadSkin(const QString& path, const QString& section);
    int Options() const { return options_; }
    void SetOptions(int options) { options_ = options; }
    void SetSwitch(int /*dispatchNumber*/, bool /*on*/) {}
    void ApplyWindow(quintptr /*nativeWindow*/) {}

private:
    int options_ = 0;
};

} // namespace brantlewick
