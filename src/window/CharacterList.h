// SPDX-License-Identifier: GPL-3.0-or-later
// The persisted form of the sentence-ending character list: the entries joined by three backslashes.
#pragma once

#include <QString>
#include <QStringList>

namespace brantlewick {

inline const QString kCharacterListSeparator = QStringLiteral("\\\\\\");

// The list on a first start and after "Reset To Default": the conversion's default entries.
QStringList DefaultCharacterList();

// The entries in order with the separator between them; an empty list gives the empty string.
QString JoinCharacterList(const QStringList& entries);
// The stored text cut at every separator; pieces that hold nothing but spaces are dropped, the others
// are kept exactly, spaces included. The empty text gives no entries.
QStringList SplitCharacterList(const QString& stored);

} // namespace brantlewick
