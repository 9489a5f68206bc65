// SPDX-License-Identifier: GPL-3.0-or-later
// Character classes for the sentence rules, written out by range for the scripts the languages use.
#include "sentences/Characters.h"

#include "brantlewick/base/Utf8.h"
#include "sentences/CodePoints.h"

#include <algorithm>

namespace brantlewick::sentences {

namespace {

bool In(char32_t c, char32_t first, char32_t last) {
    return c >= first && c <= last;
}

// The lower-case partner of an upper-case letter, or 0 when `c` is not one.
char32_t LowerPartner(char32_t c) {
    if ((In(c, 0xC0, 0xDE) && c != 0xD7) || In(c, 0x0391, 0x03A9) || In(c, 0x0410, 0x042F) ||
        In(c, 0xFF21, 0xFF3A)) {
        return c == 0x03A2 ? 0 : c + 0x20;
    }
    const bool even = c % 2 == 0;
    if ((even && (In(c, 0x0100, 0x012F) || In(c, 0x0132, 0x0137) || In(c, 0x014A, 0x0177) ||
                  In(c, 0x0460, 0x0481) || In(c, 0x048A, 0x04BF) || In(c, 0x04D0, 0x052F) ||
                  In(c, 0x1E00, 0x1E95) || In(c, 0x1EA0, 0x1EFF))) ||
        (!even && (In(c, 0x0139, 0x0148) || In(c, 0x0179, 0x017E) || In(c, 0x04C1, 0x04CE)))) {
        return c + 1;
    }
    switch (c) {
    case 0x0130: // İ
        return 'i';
    case 0x0178: // Ÿ
        return 0xFF;
    case 0x0386: // Ά
        return 0x03AC;
    case 0x038C: // Ό
        return 0x03CC;
    case 0x04C0: // Ӏ
        return 0x04CF;
    case 0x1E9E: // ẞ
        return 0xDF;
    default:
        break;
    }
    if (In(c, 0x0388, 0x038A)) {
        return c + 0x25;
    }
    if (In(c, 0x038E, 0x038F)) {
        return c + 0x3F;
    }
    if (In(c, 0x0400, 0x040F)) {
        return c + 0x50;
    }
    return 0;
}

} // namespace

Case CaseOfNonAscii(char32_t c) {
    if (LowerPartner(c) != 0) {
        return Case::Upper;
    }
    if (c == 0xAA || c == 0xB5 || c == 0xBA || (In(c, 0xDF, 0xFF) && c != 0xF7) || In(c, 0x0100, 0x02AF) ||
        c == 0x0390 || In(c, 0x03AC, 0x03CE) || In(c, 0x0430, 0x045F) || In(c, 0x0460, 0x052F) ||
        In(c, 0x1E00, 0x1EFF) || In(c, 0xFF41, 0xFF5A)) {
        return Case::Lower;
    }
    return IsWordChar(c) && !IsDigit(c) && !In(c, 0x0300, 0x036F) ? Case::Uncased : Case::None;
}

char32_t FoldNonAscii(char32_t c) {
    if (c == kRightSingleQuote || c == kModifierLetterApostrophe) {
        return '\'';
    }
    const char32_t lower = LowerPartner(c);
    return lower != 0 ? lower : c;
}

bool IsDigit(char32_t c) {
    return In(c, '0', '9') || In(c, 0xFF10, 0xFF19);
}

bool IsNonAsciiWordChar(char32_t c) {
    if (c < 0xC0) {
        return c == 0xAA || c == 0xB5 || c == 0xBA;
    }
    return c < kMalformed && c != 0xD7 && c != 0xF7 && !In(c, 0x02B0, 0x02FF) && !In(c, 0x2000, 0x2BFF) &&
           !In(c, 0x2E00, 0x2E7F) && !(In(c, 0x3000, 0x303F) && !In(c, 0x3005, 0x3007)) && c != 0x30FB &&
           !In(c, 0xE000, 0xF8FF) && !In(c, 0xFE10, 0xFE6F) && !In(c, 0xFF00, 0xFF0F) &&
           !In(c, 0xFF1A, 0xFF20) && !In(c, 0xFF3B, 0xFF40) && !In(c, 0xFF5B, 0xFF65) &&
           !In(c, 0xFFF0, 0xFFFF) && !In(c, 0x1F000, 0x1FAFF);
}

bool IsVowel(char32_t c) {
    switch (c) {
    case 'a':
    case 'e':
    case 'i':
    case 'o':
    case 'u':
    case 'y':
    case 0x0153: // œ
    case 0x0430: // а
    case 0x0435: // е
    case 0x0451: // ё
    case 0x0438: // и
    case 0x043E: // о
    case 0x0443: // у
    case 0x044B: // ы
    case 0x044D: // э
    case 0x044E: // ю
    case 0x044F: // я
    case 0x0454: // є
    case 0x0456: // і
    case 0x0457: // ї
        return true;
    default:
        return In(c, 0xE0, 0xE6) || In(c, 0xE8, 0xEF) || In(c, 0xF2, 0xF6) || In(c, 0xF8, 0xFD) || c == 0xFF;
    }
}

bool IsNonAsciiCjk(char32_t c) {
    return In(c, 0x3005, 0x3007) || (In(c, 0x3040, 0x30FF) && c != 0x30FB) || In(c, 0x31F0, 0x31FF) ||
           In(c, 0x3400, 0x4DBF) || In(c, 0x4E00, 0x9FFF) || In(c, 0xF900, 0xFAFF) || In(c, 0xFF66, 0xFF9F) ||
           In(c, 0x20000, 0x2FA1F);
}

bool IsNonAsciiWide(char32_t c) {
    return In(c, 0x2E80, 0x9FFF) || In(c, 0xF900, 0xFAFF) || In(c, 0xFE30, 0xFE4F) || In(c, 0xFF00, 0xFFEF) ||
           In(c, 0x20000, 0x3FFFF);
}

bool IsNonAsciiBlank(char32_t c) {
    return c == kNoBreakSpace || c == kOghamSpaceMark || In(c, kEnQuad, kHairSpace) ||
           c == kNarrowNoBreakSpace || c == kMediumMathematicalSpace || c == kIdeographicSpace;
}

bool IsNonAsciiCloser(char32_t c) {
    switch (c) {
    case kLeftGuillemet:
    case kRightGuillemet:
    case kLeftSingleQuote:
    case kRightSingleQuote:
    case kLeftDoubleQuote:
    case kRightDoubleQuote:
    case kSingleLeftGuillemet:
    case kSingleRightGuillemet:
    case kMathRightAngleBracket:
    case kRightAngleBracket:
    case kRightDoubleAngleBracket:
    case kRightCornerBracket:
    case kRightWhiteCornerBracket:
    case 0x3011: // 】
    case 0x3015: // 〕
    case 0x3017: // 〗
    case 0x3019: // 〙
    case 0x301B: // 〛
    case 0x301E: // 〞
    case 0x301F: // 〟
    case 0xFF02: // ＂
    case 0xFF07: // ＇
    case 0xFF09: // ）
    case 0xFF3D: // ］
    case 0xFF5D: // ｝
    case 0xFF63: // ｣
        return true;
    default:
        return false;
    }
}

bool IsNonAsciiOpener(char32_t c) {
    switch (c) {
    case kInvertedExclamationMark:
    case kLeftGuillemet:
    case kRightGuillemet:
    case kInvertedQuestionMark:
    case kLeftSingleQuote:
    case kRightSingleQuote:
    case kLowSingleQuote:
    case kLeftDoubleQuote:
    case kRightDoubleQuote:
    case kLowDoubleQuote:
    case kSingleLeftGuillemet:
    case kSingleRightGuillemet:
    case kMathLeftAngleBracket:
    case kLeftAngleBracket:
    case kLeftDoubleAngleBracket:
    case kLeftCornerBracket:
    case kLeftWhiteCornerBracket:
    case 0x3010: // 【
    case 0x3014: // 〔
    case 0x3016: // 〖
    case 0x3018: // 〘
    case 0x301A: // 〚
    case 0x301D: // 〝
    case 0xFF02: // ＂
    case 0xFF07: // ＇
    case 0xFF08: // （
    case 0xFF3B: // ［
    case 0xFF5B: // ｛
    case 0xFF62: // ｢
        return true;
    default:
        return false;
    }
}

bool IsQuestionOrExclamation(char32_t c) {
    switch (c) {
    case '!':
    case '?':
    case kDoubleExclamationMark:
    case kInterrobang:
    case kDoubleQuestionMark:
    case kQuestionExclamationMark:
    case kExclamationQuestionMark:
    case kSmallQuestionMark:
    case kSmallExclamationMark:
    case kFullwidthExclamationMark:
    case kFullwidthQuestionMark:
        return true;
    default:
        return false;
    }
}

bool IsEllipsis(char32_t c) {
    return c == kTwoDotLeader || c == kHorizontalEllipsis;
}

bool IsWideEnd(char32_t c) {
    return c == kIdeographicFullStop || c == kFullwidthExclamationMark || c == kFullwidthFullStop ||
           c == kFullwidthQuestionMark || c == kHalfwidthIdeographicFullStop;
}

bool IsNonAsciiEndMark(char32_t c) {
    return c == kSmallFullStop || IsQuestionOrExclamation(c) || IsEllipsis(c) || IsWideEnd(c);
}

bool IsContinuation(char32_t c) {
    switch (c) {
    case ',':
    case ';':
    case ':':
    case kIdeographicComma:
    case 0xFE50: // ﹐
    case 0xFE51: // ﹑
    case 0xFE54: // ﹔
    case 0xFE55: // ﹕
    case kFullwidthComma:
    case kFullwidthColon:
    case kFullwidthSemicolon:
    case kHalfwidthIdeographicComma:
        return true;
    default:
        return false;
    }
}

bool IsNonAsciiDash(char32_t c) {
    return In(c, kEnDash, kHorizontalBar);
}

bool IsNonAsciiBullet(char32_t c) {
    switch (c) {
    case 0x2022: // •
    case 0x2023: // ‣
    case 0x2043: // ⁃
    case 0x2219: // ∙
    case 0x25A0: // ■
    case 0x25A1: // □
    case 0x25AA: // ▪
    case 0x25AB: // ▫
    case 0x25B8: // ▸
    case 0x25BA: // ►
    case 0x25CB: // ○
    case 0x25CF: // ●
    case 0x25E6: // ◦
    case 0x2713: // ✓
    case 0x2714: // ✔
    case 0x27A2: // ➢
        return true;
    default:
        return false;
    }
}

bool IsCurrency(char32_t c) {
    return c == '$' || c == '#' || In(c, 0xA2, 0xA5) || In(c, 0x20A0, 0x20BF);
}

std::string FoldedKey(std::string_view text) {
    std::string key;
    if (std::all_of(text.begin(), text.end(), [](char c) { return static_cast<unsigned char>(c) < 0x80; })) {
        for (const char c : text) {
            if (!IsSpace(static_cast<unsigned char>(c))) {
                key += c >= 'A' && c <= 'Z' ? static_cast<char>(c + ('a' - 'A')) : c;
            }
        }
        return key;
    }
    const char* p = text.data();
    const char* const end = p + text.size();
    while (p < end) {
        const Char c = DecodeAt(p, end);
        p += c.size;
        if (!IsSpace(c.code)) {
            utf8::AppendChar(key, Fold(c.code));
        }
    }
    return key;
}

} // namespace brantlewick::sentences
