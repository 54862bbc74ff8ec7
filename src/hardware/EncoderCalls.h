#pragma once
// How the program's code calls the encoder interface library: through these four functions, never the
// library's entry points directly, so that a 32-bit Windows library works whichever calling convention
// it was built with.

#include <cstdint>

namespace hw {

// open_encoder(): exactly 1 means that no interface was found.
int16_t OpenEncoder();
// close_encoder().
void CloseEncoder();
// read_encoder(reg, index).
int32_t ReadEncoder(int32_t reg, int16_t index);
// write_encoder(reg, index, value).
void WriteEncoder(int32_t reg, int16_t index, int32_t value);

// True when the library the program is bound to is the simulated boards: it exports
// kSimulatedBoardsMarker beside the four calls. Looked up at run time, never bound to, so a card's
// library needs no such entry.
bool BoundToSimulatedBoards();

// The simulated boards' extra entry point.
inline constexpr char kSimulatedBoardsMarker[] = "orvane_simulated_boards";

} // namespace hw
