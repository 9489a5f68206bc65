// SPDX-License-Identifier: GPL-3.0-or-later
// Failures the user can set right (a file not found or not readable, a full disk, a damaged settings
// file) told in plain words: what happened, to which file, and what to do. The numbered report is left
// for the faults of the program itself.
#pragma once

#include <QString>

#include <exception>
#include <optional>

namespace brantlewick {

// The message for `error` when it is such a condition; nothing when it is not. `input` is the entry of the
// run the failure belongs to (empty outside a run); `settingsFile` is the settings store's file.
std::optional<QString> PlainWords(const std::exception& error, const QString& input,
                                  const QString& settingsFile);

// Why a file failed, short enough for a list: the cause without the file's name.
QString FailureReason(const std::exception& error);

} // namespace brantlewick
