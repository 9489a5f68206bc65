// SPDX-License-Identifier: GPL-3.0-or-later
// The characters the sentence rules ask for by name, so that a rule reads as what it looks for.
#pragma once

namespace brantlewick::sentences {

// Ends of sentences and their full-width and compatibility forms.
inline constexpr char32_t kIdeographicFullStop = 0x3002;          // 。
inline constexpr char32_t kFullwidthFullStop = 0xFF0E;            // ．
inline constexpr char32_t kHalfwidthIdeographicFullStop = 0xFF61; // ｡
inline constexpr char32_t kSmallFullStop = 0xFE52;                // ﹒
inline constexpr char32_t kHorizontalEllipsis = 0x2026;           // …
inline constexpr char32_t kTwoDotLeader = 0x2025;                 // ‥
inline constexpr char32_t kFullwidthQuestionMark = 0xFF1F;        // ？
inline constexpr char32_t kSmallQuestionMark = 0xFE56;            // ﹖
inline constexpr char32_t kDoubleQuestionMark = 0x2047;           // ⁇
inline constexpr char32_t kFullwidthExclamationMark = 0xFF01;     // ！
inline constexpr char32_t kSmallExclamationMark = 0xFE57;         // ﹗
inline constexpr char32_t kDoubleExclamationMark = 0x203C;        // ‼
inline constexpr char32_t kQuestionExclamationMark = 0x2048;      // ⁈
inline constexpr char32_t kExclamationQuestionMark = 0x2049;      // ⁉
inline constexpr char32_t kInterrobang = 0x203D;                  // ‽
inline constexpr char32_t kInvertedQuestionMark = 0xBF;           // ¿
inline constexpr char32_t kInvertedExclamationMark = 0xA1;        // ¡

// Quotes and brackets.
inline constexpr char32_t kLeftGuillemet = 0xAB;              // «
inline constexpr char32_t kRightGuillemet = 0xBB;             // »
inline constexpr char32_t kSingleRightGuillemet = 0x203A;     // ›
inline constexpr char32_t kLeftSingleQuote = 0x2018;          // ‘
inline constexpr char32_t kRightSingleQuote = 0x2019;         // ’, also the typographic apostrophe
inline constexpr char32_t kLeftDoubleQuote = 0x201C;          // “
inline constexpr char32_t kRightDoubleQuote = 0x201D;         // ”
inline constexpr char32_t kLowDoubleQuote = 0x201E;           // „
inline constexpr char32_t kLowSingleQuote = 0x201A;           // ‚
inline constexpr char32_t kSingleLeftGuillemet = 0x2039;      // ‹
inline constexpr char32_t kMathLeftAngleBracket = 0x27E8;     // ⟨
inline constexpr char32_t kMathRightAngleBracket = 0x27E9;    // ⟩
inline constexpr char32_t kLeftCornerBracket = 0x300C;        // 「
inline constexpr char32_t kRightCornerBracket = 0x300D;       // 」
inline constexpr char32_t kLeftWhiteCornerBracket = 0x300E;   // 『
inline constexpr char32_t kRightWhiteCornerBracket = 0x300F;  // 』
inline constexpr char32_t kLeftAngleBracket = 0x3008;         // 〈
inline constexpr char32_t kRightAngleBracket = 0x3009;        // 〉
inline constexpr char32_t kLeftDoubleAngleBracket = 0x300A;   // 《
inline constexpr char32_t kRightDoubleAngleBracket = 0x300B;  // 》
inline constexpr char32_t kModifierLetterApostrophe = 0x02BC; // ʼ

// Other marks.
inline constexpr char32_t kFullwidthColon = 0xFF1A;            // ：
inline constexpr char32_t kFullwidthComma = 0xFF0C;            // ，
inline constexpr char32_t kFullwidthSemicolon = 0xFF1B;        // ；
inline constexpr char32_t kIdeographicComma = 0x3001;          // 、
inline constexpr char32_t kHalfwidthIdeographicComma = 0xFF64; // ､
inline constexpr char32_t kEnDash = 0x2013;                    // –
inline constexpr char32_t kHorizontalBar = 0x2015;             // ―, the dialogue dash of some typesetting
inline constexpr char32_t kNoBreakSpace = 0xA0;
inline constexpr char32_t kNarrowNoBreakSpace = 0x202F; // French typography's space before ; ! ?
inline constexpr char32_t kIdeographicSpace = 0x3000;
inline constexpr char32_t kOghamSpaceMark = 0x1680;
inline constexpr char32_t kMediumMathematicalSpace = 0x205F;
inline constexpr char32_t kEnQuad = 0x2000;            // the first of the typographic spaces
inline constexpr char32_t kHairSpace = 0x200A;         // and the last
inline constexpr char32_t kKatakanaMiddleDot = 0x30FB; // ・, punctuation among katakana
inline constexpr char32_t kDegreeSign = 0xB0;          // °, in "25 °C" and in "N°"

// Scripts.
inline constexpr char32_t kFirstHiragana = 0x3040;
inline constexpr char32_t kLastKatakana = 0x30FF;
inline constexpr char32_t kFirstHalfwidthKatakana = 0xFF66;
inline constexpr char32_t kLastHalfwidthKatakana = 0xFF9F;
inline constexpr char32_t kCyrillicSmallA = 0x0430; // а, the first letter of Russian lists "а)", "б)"

} // namespace brantlewick::sentences
