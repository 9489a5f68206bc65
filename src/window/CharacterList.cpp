// SPDX-License-Identifier: GPL-3.0-or-later
// Joining and splitting the stored character list.
#include "CharacterList.h"

#include "brantlewick/engine/Conversion.h"

#include <algorithm>

namespace brantlewick {

QStringList DefaultCharacterList() {
    QStringList entries;
    for (const std::string_view entry : kDefaultEntries) {
        entries.append(QString::fromUtf8(entry.data(), static_cast<qsizetype>(entry.size())));
    }
    return entries;
}

QString JoinCharacterList(const QStringList& entries) {
    return entries.join(kCharacterListSeparator);
}

QStringList SplitCharacterList(const QString& stored) {
    QStringList entries;
    if (stored.isEmpty()) {
        return entries;
    }
    for (const QString& piece : stored.split(kCharacterListSeparator)) {
        // Only spaces count as blank here; a tab is a text like any other.
        if (std::any_of(piece.begin(), piece.end(), [](QChar c) { return c != u' '; })) {
            entries.append(piece);
        }
    }
    return entries;
}

} // namespace brantlewick
