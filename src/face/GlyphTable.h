#ifndef GLYPHTABLE_H
#define GLYPHTABLE_H

#include <QChar>

#include <array>
#include <cstdint>

// The board's 5 x 7 character set: every printable ASCII character and every
// letter of Windows-1252. Bit 4 of a row is its leftmost LED.
namespace GlyphTable {

using Rows = std::array<std::uint8_t, 7>;

constexpr int width = 5;
constexpr int height = 7;

bool has(QChar ch);
// Every character that has a glyph, in order of its code.
QString characters();
// The placeholder for a character the board has no glyph for.
Rows rows(QChar ch);
Rows placeholder();

} // namespace GlyphTable

#endif
