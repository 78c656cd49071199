#pragma once
#include <array>
#include <cstdint>

namespace tavrix {

// ITU-T G.711 companding: the recorder's sound is A-law at 8000 Hz; mu-law is
// the other sample format it knows. Expansion is by table (indexed by the coded
// byte), compression by computation.
const std::array<std::int16_t, 256>& ALawExpansionTable();
const std::array<std::int16_t, 256>& MuLawExpansionTable();

inline std::int16_t ExpandALaw(std::uint8_t code) { return ALawExpansionTable()[code]; }
inline std::int16_t ExpandMuLaw(std::uint8_t code) { return MuLawExpansionTable()[code]; }

// Nearest code for a 16-bit linear sample; Expand(Compress(Expand(c))) == Expand(c).
std::uint8_t CompressALaw(std::int16_t sample);
std::uint8_t CompressMuLaw(std::int16_t sample);

}  // namespace tavrix
