// SPDX-License-Identifier: GPL-3.0-or-later
// The text of an INI file in the form QSettings writes and reads, kept as bytes: one group's keys are
// found and changed in place, and every other byte (other programs' groups, their order, comments) stays
// exactly as it was.
#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>

#include <optional>
#include <vector>

namespace brantlewick::ini {

// A value and a key in the form QSettings writes them ("key=value"), and back.
QByteArray EscapedValue(const QString& value);
QString UnescapedValue(QByteArrayView text);
QByteArray EscapedKey(const QString& key);
QString UnescapedKey(QByteArrayView text);

class IniText {
public:
    // Reads `content` once; the group's entries are found in it, nothing else is interpreted.
    IniText(QByteArray content, QString group);

    const QByteArray& Content() const { return content_; }

    // The number (from 1) of the first line that is no INI line (neither blank, a ";" or "#" comment, a
    // group header, a key with "=", nor the continuation of a value), or holds bytes that are not UTF-8 or
    // NUL bytes; 0 when there is none.
    int FirstDamagedLine() const { return firstDamagedLine_; }

    // The key's value in the group; its last entry counts, as QSettings has it. Nothing when it has none.
    std::optional<QString> Value(const QString& key) const;

    // The text with the key set to `value`: its entry rewritten in place, or a new entry in key order in
    // the group, or the group added at the end. The other bytes are those of the content, and they are not
    // read again.
    IniText WithValue(const QString& key, const QString& value) const;

    // The content without its damaged entries (a damaged line, or a value continued onto one), and how
    // many lines that left out.
    std::pair<QByteArray, qsizetype> WithoutDamage() const;

private:
    // Moves the entries from `at` on, and the group's ends after it, on by `by` bytes.
    void Shift(qsizetype at, qsizetype by);

    struct KeyEntry {
        QString key;
        qsizetype begin;      // the line's first byte
        qsizetype contentEnd; // where the entry's text ends, before its last line end
        qsizetype valueBegin; // after "="
        qsizetype valueEnd;   // before a comment or the line end
        bool inFirstGroup;
    };

    QByteArray content_;
    QString group_;
    std::vector<KeyEntry> entries_;
    qsizetype firstGroupHeaderEnd_ = -1;  // after the first header of the group and its line end
    qsizetype firstGroupEntriesEnd_ = -1; // after the last entry of that header's keys
    QByteArray lineEnd_ = "\n";
    int firstDamagedLine_ = 0;
};

} // namespace brantlewick::ini
