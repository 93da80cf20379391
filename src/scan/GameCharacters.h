#pragma once

#include <string_view>

namespace obitrak {

// The game's own character set: the game draws every byte from its console font. The codes
// below 32 are glyphs of their own (brackets, gold digits, a dot, the parts of a bar and of
// a text box), and a byte with its high bit set is its low twin drawn in another colour.
// Each of the 128 low codes maps to the readable character nearest its glyph, one row of
// the font (16 codes) a line:
//   0x00..0x0F  blank, the corners and edges of a text box around its blank middle (1..9),
//               the line feed, the input cursor, blank, an arrow to the right, two bullets
//   0x10..0x1F  brackets, the gold digits 0..9, a dot, the left end, middle and right end
//               of a bar
//   0x20..0x7E  the ordinary characters; 0x7F an arrow to the left
inline constexpr std::string_view kGameCharacters =
    " +-+| |+-+\n_ >**"
    "[]0123456789.---"
    " !\"#$%&'()*+,-./"
    "0123456789:;<=>?"
    "@ABCDEFGHIJKLMNO"
    "PQRSTUVWXYZ[\\]^_"
    "`abcdefghijklmno"
    "pqrstuvwxyz{|}~<";
static_assert(kGameCharacters.size() == 128);

// The readable character of a byte as the game draws it.
inline char gameCharacter(unsigned char code) {
  return kGameCharacters[code & 0x7F];
}

}  // namespace obitrak
