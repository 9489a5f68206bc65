// A stand-in for the optional skin component: it takes the calls the window makes and changes no look.
#pragma once

#include <QString>

#include <set>

namespace brantlewick {

class SkinFramework {
public:
    // Reads the skin file; throws std::runtime_error when it cannot be read.
    void LoadSkin(const QString& path, const QString& section);
    int Options() const { return options_; }
    void SetOptions(int options) { options_ = options; }
    void SetSwitch(int dispatchNumber, bool on);
    bool Switch(int dispatchNumber) const { return switches_.count(dispatchNumber) != 0; }
    void ApplyWindow(quintptr nativeWindow);

    const QString& LoadedPath() const { return path_; }
    const QString& LoadedSection() const { return section_; }
    quintptr AppliedWindow() const { return window_; }

private:
    QString path_;
    QString section_;
    int options_ = 0;
    std::set<int> switches_;
    quintptr window_ = 0;
};

} // namespace brantlewick
