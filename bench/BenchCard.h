#pragma once
// A card for measuring the readout, not the card: the four calls answer from a fixed table at the cost
// of a few loads, with 12 channels on 4 boards, incremental and SSI alternating. Positions either move
// at every tick or stay where they are, so a measurement can tell changed texts from unchanged ones.

#include <cstdint>

namespace benchcard {

constexpr int kChannels = 12;
constexpr int kBoards = 4;

// Starts again at tick 0 with every written register forgotten.
void Reset(bool bMoving);

// The positions of the next tick (when moving).
void Advance();

// Calls made since the last Reset, for a check that the refresh really reached the card.
int64_t Reads();
int64_t Writes();

} // namespace benchcard
