// Readable gtest output for Qt strings: QString is shown as its text (cut when very long).
#pragma once

#include <QString>

#include <ostream>

inline void PrintTo(const QString& text, std::ostream* out) {
    constexpr qsizetype kShown = 300;
    *out << '"' << text.left(kShown).toStdString() << '"';
    if (text.size() > kShown) {
        *out << "... (" << text.size() << " characters)";
    }
}
