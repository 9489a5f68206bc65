// SPDX-License-Identifier: GPL-3.0-or-later
// Conversions between the window's texts and the engine's, which takes paths and entries as UTF-8 bytes.
#pragma once

#include <QString>
#include <QStringList>

#include <string>
#include <vector>

namespace brantlewick {

inline std::string ToEngine(const QString& text) {
    return text.toStdString();
}

inline std::vector<std::string> ToEngine(const QStringList& texts) {
    std::vector<std::string> converted;
    converted.reserve(static_cast<std::size_t>(texts.size()));
    for (const QString& text : texts) {
        converted.push_back(ToEngine(text));
    }
    return converted;
}

inline QString FromEngine(const std::string& text) {
    return QString::fromStdString(text);
}

inline QStringList FromEngine(const std::vector<std::string>& texts) {
    QStringList converted;
    converted.reserve(static_cast<qsizetype>(texts.size()));
    for (const std::string& text : texts) {
        converted.append(FromEngine(text));
    }
    return converted;
}

} // namespace brantlewick
