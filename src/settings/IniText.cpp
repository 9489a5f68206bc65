// SPDX-License-Identifier: GPL-3.0-or-later
// Reading an INI text entry by entry as QSettings splits it, its escapes both ways, and edits that touch
// one entry only.
#include "IniText.h"

#include "brantlewick/base/Utf8.h"

#include <QStringDecoder>
#include <QStringEncoder>
#include <QStringList>

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <utility>

namespace brantlewick::ini {
namespace {

constexpr QByteArrayView kUtf8Mark = "\xEF\xBB\xBF";

bool IsLineEnd(char c) {
    return c == '\n' || c == '\r';
}

bool IsBlank(char c) {
    return c == ' ' || c == '\t';
}

bool IsHexDigit(char16_t c) {
    return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F');
}

int HexValue(char c) {
    if (c >= '0' && c <= '9') {
        return c - '0';
    }
    return (c | 0x20) - 'a' + 10;
}

// Past the line end at `at`; a CR LF pair is one line end.
qsizetype PastLineEnd(QByteArrayView text, qsizetype at) {
    if (at >= text.size()) {
        return at;
    }
    return text[at] == '\r' && at + 1 < text.size() && text[at + 1] == '\n' ? at + 2 : at + 1;
}

// Whether the last line of `text`, which ends with a line end, is empty.
bool EndsWithEmptyLine(QByteArrayView text) {
    text.chop(text.endsWith("\r\n") ? 2 : 1);
    return text.isEmpty() || IsLineEnd(text.back());
}

qsizetype FindLineEnd(QByteArrayView text, qsizetype from) {
    const qsizetype lineFeed = text.indexOf('\n', from);
    const qsizetype end = lineFeed < 0 ? text.size() : lineFeed;
    const qsizetype carriageReturn = text.sliced(from, end - from).indexOf('\r');
    return carriageReturn < 0 ? end : from + carriageReturn;
}

QByteArrayView Trimmed(QByteArrayView text) {
    while (!text.isEmpty() && IsBlank(text.front())) {
        text = text.sliced(1);
    }
    while (!text.isEmpty() && IsBlank(text.back())) {
        text.chop(1);
    }
    return text;
}

// Whether `bytes` is UTF-8 without NUL bytes; a settings file of many megabytes is checked at every start,
// so both checks run over whole blocks.
bool IsUtf8WithoutNul(QByteArrayView bytes) {
    const std::string_view text(bytes.data(), static_cast<std::size_t>(bytes.size()));
    return text.find('\0') == std::string_view::npos && utf8::IsValid(text);
}

// One entry of the text as QSettings reads it: a blank line, a comment, a group header, or a key and its
// value, which a backslash before the line end continues onto the next line.
struct Entry {
    enum class Kind { Blank, Comment, Group, Key, Damaged };
    Kind kind = Kind::Blank;
    qsizetype begin = 0;
    qsizetype contentEnd = 0; // before the line end that ends the entry
    qsizetype end = 0;        // after it
    int firstLine = 0;
    int lines = 1;
    qsizetype mark = -1;     // a key's "=", a group header's "]"
    qsizetype valueEnd = -1; // a key's value ends here, before a ";" comment or the line end
};

class EntryReader {
public:
    explicit EntryReader(QByteArrayView text)
        : text_(text), at_(text.startsWith(kUtf8Mark) ? kUtf8Mark.size() : 0) {}

    bool AtEnd() const { return at_ >= text_.size(); }
    qsizetype Start() const { return at_; }

    Entry Next() {
        Entry entry;
        entry.begin = at_;
        entry.firstLine = line_;
        qsizetype p = at_;
        while (p < text_.size() && IsBlank(text_[p])) {
            ++p;
        }
        if (p == text_.size() || IsLineEnd(text_[p])) {
            entry.contentEnd = p;
        } else if (text_[p] == ';' || text_[p] == '#') {
            entry.kind = Entry::Kind::Comment;
            entry.contentEnd = FindLineEnd(text_, p);
        } else if (text_[p] == '[') {
            entry.contentEnd = FindLineEnd(text_, p);
            const qsizetype close = text_.sliced(p, entry.contentEnd - p).indexOf(']');
            entry.kind = close < 0 ? Entry::Kind::Damaged : Entry::Kind::Group;
            entry.mark = close < 0 ? -1 : p + close;
        } else {
            ReadKey(p, entry);
        }
        entry.end = PastLineEnd(text_, entry.contentEnd);
        at_ = entry.end;
        line_ += entry.lines;
        return entry;
    }

private:
    // A key line, scanned as QSettings scans it: a backslash takes the byte after it along (a line end so
    // continues the value), quotes hide "=" and ";", and an unquoted ";" starts a comment. Unlike QSettings,
    // neither a quote nor a backslash carries the entry onto a group's line: a stray quote or a value ending
    // in a backslash, written by hand, must not swallow the group after it.
    // Most lines are a key, "=" and a value with nothing escaped, quoted or commented: a few searches
    // through the line find that, where a settings file of many megabytes would take long byte by byte.
    // Whether the line at `p` is a group's header.
    bool StartsGroup(qsizetype p) const {
        while (p < text_.size() && IsBlank(text_[p])) {
            ++p;
        }
        return p < text_.size() && text_[p] == '[';
    }

    bool ReadPlainKey(qsizetype p, Entry& entry) const {
        const char* const start = text_.data() + p;
        const char* const end = text_.data() + text_.size();
        const auto* lineFeed =
            static_cast<const char*>(std::memchr(start, '\n', static_cast<std::size_t>(end - start)));
        const char* const lineEnd = lineFeed != nullptr ? lineFeed : end;
        const auto length = static_cast<std::size_t>(lineEnd - start);
        for (const char special : {'\r', '\\', '"', ';'}) {
            if (std::memchr(start, special, length) != nullptr) {
                return false;
            }
        }
        const auto* equals = static_cast<const char*>(std::memchr(start, '=', length));
        if (equals == nullptr) {
            return false;
        }
        entry.kind = Entry::Kind::Key;
        entry.mark = equals - text_.data();
        entry.contentEnd = entry.valueEnd = lineEnd - text_.data();
        return true;
    }

    void ReadKey(qsizetype p, Entry& entry) const {
        if (ReadPlainKey(p, entry)) {
            return;
        }
        bool quoted = false;
        while (p < text_.size() && !IsLineEnd(text_[p])) {
            const char c = text_[p];
            if (c == '\\' && p + 1 < text_.size() && IsLineEnd(text_[p + 1])) {
                if (StartsGroup(PastLineEnd(text_, p + 1))) {
                    ++p;
                    break;
                }
                p = PastLineEnd(text_, p + 1);
                ++entry.lines;
                continue;
            }
            if (c == '\\') {
                p += 2;
                continue;
            }
            if (c == '"') {
                quoted = !quoted;
            } else if (c == '=' && !quoted && entry.mark < 0) {
                entry.mark = p;
            } else if (c == ';' && !quoted) {
                entry.valueEnd = p;
                p = FindLineEnd(text_, p);
                break;
            }
            ++p;
        }
        entry.contentEnd = std::min(p, text_.size());
        if (entry.valueEnd < 0) {
            entry.valueEnd = entry.contentEnd;
        }
        entry.kind = entry.mark < 0 ? Entry::Kind::Damaged : Entry::Kind::Key;
    }

    QByteArrayView text_;
    qsizetype at_;
    int line_ = 1;
};

// The number of the entry's first line that is not UTF-8 or holds a NUL byte; 0 when there is none.
int FirstLineNotUtf8(QByteArrayView text, const Entry& entry) {
    qsizetype lineStart = entry.begin;
    for (int line = entry.firstLine; lineStart < entry.end; ++line) {
        const qsizetype lineEnd = FindLineEnd(text, lineStart);
        if (!IsUtf8WithoutNul(text.sliced(lineStart, lineEnd - lineStart))) {
            return line;
        }
        lineStart = PastLineEnd(text, lineEnd);
    }
    return 0;
}

int DamagedLine(QByteArrayView text, const Entry& entry, bool checkEncoding) {
    if (entry.kind == Entry::Kind::Damaged) {
        return entry.firstLine;
    }
    return checkEncoding ? FirstLineNotUtf8(text, entry) : 0;
}

// What QSettings makes of a stored text that starts with "@": the forms it writes for texts that start
// with "@" or hold NUL characters, a byte array, or no value.
QString FromStoredForm(const QString& text) {
    if (!text.startsWith(u'@')) {
        return text;
    }
    if (text.endsWith(u')')) {
        if (text.startsWith(QLatin1StringView("@String("))) {
            return text.sliced(8).chopped(1);
        }
        if (text.startsWith(QLatin1StringView("@ByteArray("))) {
            return QString::fromUtf8(text.sliced(11).chopped(1).toLatin1());
        }
        if (text == QLatin1StringView("@Invalid()")) {
            return {};
        }
    }
    return text.startsWith(QLatin1StringView("@@")) ? text.sliced(1) : text;
}

// Reads one value as QSettings does: escapes, quotes, and commas outside quotes between the items of a
// list (which comes back as one text, the items joined by ", ").
class ValueReader {
public:
    explicit ValueReader(QByteArrayView text) : text_(text) { SkipBlanks(); }

    QString Read() {
        while (i_ < text_.size()) {
            const char c = text_[i_];
            if (c == '\\') {
                ReadEscape();
            } else if (c == '"') {
                ++i_;
                quotedItem_ = true;
                inQuotes_ = !inQuotes_;
                if (!inQuotes_) {
                    SkipBlanks();
                }
            } else if (c == ',' && !inQuotes_) {
                EndItem();
                ++i_;
                SkipBlanks();
            } else {
                ReadPlain();
            }
        }
        EndItem();
        QStringList converted;
        for (const QString& item : items_) {
            converted.append(FromStoredForm(item));
        }
        return converted.join(QStringLiteral(", "));
    }

private:
    void SkipBlanks() {
        while (i_ < text_.size() && IsBlank(text_[i_])) {
            ++i_;
        }
        keepUpTo_ = item_.size();
    }
    void ReadPlain() {
        qsizetype j = i_ + 1;
        while (j < text_.size() && text_[j] != '\\' && text_[j] != '"' && text_[j] != ',') {
            ++j;
        }
        item_ += decoder_(text_.sliced(i_, j - i_));
        i_ = j;
    }
    void ReadEscape();
    void ReadNumber(int base, char16_t value);
    void EndItem() {
        if (!quotedItem_) {
            // Trailing blanks go, but never those an escape wrote.
            qsizetype size = item_.size();
            while (size > keepUpTo_ && (item_[size - 1] == u' ' || item_[size - 1] == u'\t')) {
                --size;
            }
            item_.truncate(size);
        }
        items_.append(item_);
        item_.clear();
        quotedItem_ = false;
        keepUpTo_ = 0;
    }

    QByteArrayView text_;
    qsizetype i_ = 0;
    QString item_;
    QStringList items_;
    qsizetype keepUpTo_ = 0;
    bool inQuotes_ = false;
    bool quotedItem_ = false;
    QStringDecoder decoder_{QStringDecoder::Utf8};
};

void ValueReader::ReadEscape() {
    ++i_;
    if (i_ >= text_.size()) {
        return;
    }
    const char c = text_[i_++];
    static constexpr std::pair<char, char16_t> kNamed[] = {
        {'a', u'\a'}, {'b', u'\b'}, {'f', u'\f'}, {'n', u'\n'},  {'r', u'\r'}, {'t', u'\t'},
        {'v', u'\v'}, {'"', u'"'},  {'?', u'?'},  {'\'', u'\''}, {'\\', u'\\'}};
    for (const auto& [letter, character] : kNamed) {
        if (c == letter) {
            item_ += QChar(character);
            keepUpTo_ = item_.size();
            return;
        }
    }
    if (c == 'x' && i_ < text_.size() && IsHexDigit(static_cast<unsigned char>(text_[i_]))) {
        ReadNumber(16, 0);
    } else if (c >= '0' && c <= '7') {
        ReadNumber(8, static_cast<char16_t>(c - '0'));
    } else if (IsLineEnd(c)) {
        i_ = PastLineEnd(text_, i_ - 1); // the value goes on on the next line
    }
    // Any other escaped character is left out, as QSettings does.
    keepUpTo_ = item_.size();
}

// The digits of a "\x" or "\0" escape, as many as follow, into one UTF-16 unit (wrapping as QSettings's).
void ValueReader::ReadNumber(int base, char16_t value) {
    while (i_ < text_.size()) {
        const char c = text_[i_];
        const bool digit = base == 16 ? IsHexDigit(static_cast<unsigned char>(c)) : c >= '0' && c <= '7';
        if (!digit) {
            break;
        }
        value = static_cast<char16_t>(value * base + HexValue(c));
        ++i_;
    }
    item_ += QChar(value);
}

} // namespace

QByteArray EscapedValue(const QString& value) {
    QString text = value;
    if (text.contains(QChar::Null)) {
        text = QStringLiteral("@String(") + text + u')';
    } else if (text.startsWith(u'@')) {
        text.prepend(u'@');
    }
    QByteArray out;
    out.reserve(text.size() + 8);
    QStringEncoder encoder(QStringEncoder::Utf8);
    bool needsQuotes = false;
    bool escapeHexDigit = false; // a hex digit right after a numeric escape would read as part of it
    static constexpr std::pair<char16_t, const char*> kNamed[] = {
        {u'\a', "\\a"}, {u'\b', "\\b"}, {u'\f', "\\f"}, {u'\n', "\\n"}, {u'\r', "\\r"},
        {u'\t', "\\t"}, {u'\v', "\\v"}, {u'"', "\\\""}, {u'\\', "\\\\"}};
    for (const QChar qc : std::as_const(text)) {
        const char16_t c = qc.unicode();
        needsQuotes = needsQuotes || c == u';' || c == u',' || c == u'=';
        if (escapeHexDigit && IsHexDigit(c)) {
            out += "\\x" + QByteArray::number(c, 16);
            continue;
        }
        escapeHexDigit = false;
        const auto named = std::find_if(std::begin(kNamed), std::end(kNamed),
                                        [c](const auto& escape) { return escape.first == c; });
        if (named != std::end(kNamed)) {
            out += named->second;
        } else if (c == 0) {
            out += "\\0";
            escapeHexDigit = true;
        } else if (c <= 0x1F) {
            out += "\\x" + QByteArray::number(c, 16);
            escapeHexDigit = true;
        } else {
            out += encoder(QStringView(&qc, 1)); // the encoder keeps the first half of a surrogate pair
        }
    }
    if (needsQuotes || out.startsWith(' ') || out.endsWith(' ')) {
        out = '"' + out + '"';
    }
    return out;
}

QString UnescapedValue(QByteArrayView text) {
    return ValueReader(text).Read();
}

QByteArray EscapedKey(const QString& key) {
    QByteArray out;
    for (const QChar qc : key) {
        const char16_t c = qc.unicode();
        const bool plain = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') ||
                           c == '_' || c == '-' || c == '.';
        if (c == '/') {
            out += '\\';
        } else if (plain) {
            out += static_cast<char>(c);
        } else if (c <= 0xFF) {
            out += '%' + QByteArray::number(c, 16).toUpper().rightJustified(2, '0');
        } else {
            out += "%U" + QByteArray::number(c, 16).toUpper().rightJustified(4, '0');
        }
    }
    return out;
}

QString UnescapedKey(QByteArrayView text) {
    QString key;
    for (qsizetype i = 0; i < text.size();) {
        const char c = text[i];
        if (c == '\\') {
            key += u'/';
            ++i;
            continue;
        }
        const qsizetype digitsAt = i + 1 < text.size() && text[i + 1] == 'U' ? i + 2 : i + 1;
        const qsizetype digits = digitsAt == i + 2 ? 4 : 2;
        bool ok = false;
        const ushort code = c == '%' && digitsAt + digits <= text.size()
                                ? text.sliced(digitsAt, digits).toByteArray().toUShort(&ok, 16)
                                : 0;
        if (ok) {
            key += QChar(code);
            i = digitsAt + digits;
        } else {
            key += QLatin1Char(c);
            ++i;
        }
    }
    return key;
}

IniText::IniText(QByteArray content, QString group) : content_(std::move(content)), group_(std::move(group)) {
    const bool checkEncoding = !IsUtf8WithoutNul(content_);
    bool inGroup = false;
    bool inFirstGroup = false;
    bool lineEndKnown = false;
    for (EntryReader reader(content_); !reader.AtEnd();) {
        const Entry entry = reader.Next();
        if (!lineEndKnown && entry.end > entry.contentEnd) {
            lineEnd_ = content_.sliced(entry.contentEnd, entry.end - entry.contentEnd);
            lineEndKnown = true;
        }
        if (const int damaged = DamagedLine(content_, entry, checkEncoding);
            damaged != 0 && firstDamagedLine_ == 0) {
            firstDamagedLine_ = damaged;
        }
        if (entry.kind == Entry::Kind::Group) {
            const QByteArrayView name =
                QByteArrayView(content_).sliced(entry.begin, entry.mark - entry.begin);
            inGroup = UnescapedKey(Trimmed(name.sliced(name.indexOf('[') + 1))) == group_;
            inFirstGroup = inGroup && firstGroupHeaderEnd_ < 0;
            if (inFirstGroup) {
                firstGroupHeaderEnd_ = firstGroupEntriesEnd_ = entry.end;
            }
        } else if (entry.kind == Entry::Kind::Key && inGroup) {
            const QByteArrayView key = QByteArrayView(content_).sliced(entry.begin, entry.mark - entry.begin);
            entries_.push_back({UnescapedKey(Trimmed(key)), entry.begin, entry.contentEnd, entry.mark + 1,
                                entry.valueEnd, inFirstGroup});
            if (inFirstGroup) {
                firstGroupEntriesEnd_ = entry.end;
            }
        }
    }
}

std::optional<QString> IniText::Value(const QString& key) const {
    const auto last = std::find_if(entries_.rbegin(), entries_.rend(),
                                   [&key](const KeyEntry& entry) { return entry.key == key; });
    if (last == entries_.rend()) {
        return std::nullopt;
    }
    return UnescapedValue(
        QByteArrayView(content_).sliced(last->valueBegin, last->valueEnd - last->valueBegin));
}

IniText IniText::WithValue(const QString& key, const QString& value) const {
    const QByteArray escapedKey = EscapedKey(key);
    const QByteArray line = escapedKey + '=' + EscapedValue(value);
    IniText edited(*this);
    const auto last = std::find_if(edited.entries_.rbegin(), edited.entries_.rend(),
                                   [&key](const KeyEntry& entry) { return entry.key == key; });
    if (last != edited.entries_.rend()) {
        KeyEntry& entry = *last;
        const qsizetype at = entry.begin;
        edited.content_.replace(at, entry.contentEnd - at, line);
        edited.Shift(at + 1, line.size() - (entry.contentEnd - at));
        entry.valueBegin = at + escapedKey.size() + 1;
        entry.contentEnd = entry.valueEnd = at + line.size();
        return edited;
    }
    const bool endsOpen = !content_.isEmpty() && !IsLineEnd(content_.back());
    KeyEntry added{key, 0, 0, 0, 0, true};
    auto addedAt = edited.entries_.end();
    if (firstGroupHeaderEnd_ >= 0) {
        // Where QSettings would have put it, among the keys in order; after the group's last key otherwise.
        addedAt = std::find_if(edited.entries_.begin(), edited.entries_.end(), [&key](const KeyEntry& entry) {
            return entry.inFirstGroup && key < entry.key;
        });
        if (addedAt == edited.entries_.end()) {
            addedAt =
                std::find_if(edited.entries_.begin(), edited.entries_.end(),
                             [this](const KeyEntry& entry) { return entry.begin >= firstGroupEntriesEnd_; });
        }
        const qsizetype at = addedAt != edited.entries_.end() && addedAt->begin < firstGroupEntriesEnd_
                                 ? addedAt->begin
                                 : firstGroupEntriesEnd_;
        const QByteArray before = at == content_.size() && endsOpen ? lineEnd_ : QByteArray();
        edited.content_.insert(at, before + line + lineEnd_);
        edited.Shift(at, before.size() + line.size() + lineEnd_.size());
        if (at == firstGroupEntriesEnd_) {
            edited.firstGroupEntriesEnd_ = at + before.size() + line.size() + lineEnd_.size();
        }
        added.begin = at + before.size();
    } else {
        // A new group goes after everything else, set off by an empty line.
        if (endsOpen) {
            edited.content_ += lineEnd_;
        }
        if (!edited.content_.isEmpty() && !EndsWithEmptyLine(edited.content_)) {
            edited.content_ += lineEnd_;
        }
        edited.content_ += '[' + EscapedKey(group_) + ']' + lineEnd_;
        edited.firstGroupHeaderEnd_ = added.begin = edited.content_.size();
        edited.content_ += line + lineEnd_;
        edited.firstGroupEntriesEnd_ = edited.content_.size();
    }
    added.valueBegin = added.begin + escapedKey.size() + 1;
    added.contentEnd = added.valueEnd = added.begin + line.size();
    edited.entries_.insert(addedAt, added);
    return edited;
}

void IniText::Shift(qsizetype at, qsizetype by) {
    for (KeyEntry& entry : entries_) {
        if (entry.begin >= at) {
            entry.begin += by;
            entry.contentEnd += by;
            entry.valueBegin += by;
            entry.valueEnd += by;
        }
    }
    if (firstGroupHeaderEnd_ > at) {
        firstGroupHeaderEnd_ += by;
    }
    if (firstGroupEntriesEnd_ > at) {
        firstGroupEntriesEnd_ += by;
    }
}

std::pair<QByteArray, qsizetype> IniText::WithoutDamage() const {
    EntryReader reader(content_);
    QByteArray kept = content_.first(reader.Start());
    qsizetype dropped = 0;
    while (!reader.AtEnd()) {
        const Entry entry = reader.Next();
        if (DamagedLine(content_, entry, true) != 0) {
            dropped += entry.lines;
        } else {
            kept += QByteArrayView(content_).sliced(entry.begin, entry.end - entry.begin);
        }
    }
    return {kept, dropped};
}

} // namespace brantlewick::ini
