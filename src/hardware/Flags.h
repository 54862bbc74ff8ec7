#pragma once
// Flag registers (REG_MRK, REG_PRB, REG_FS) read as set only when they hold exactly 1.

#include <cstdint>

namespace hw {

constexpr bool IsFlagSet(int32_t value) { return value == 1; }

// Reads a flag register and applies the convention above.
bool ReadFlag(int reg, int16_t index);

// Toggles a flag register: writes 1 when `cached` is clear, else 0; then reads the register back and
// returns what the card reports (value == 1), which becomes the new cached flag.
bool ToggleFlag(int reg, int16_t index, bool cached);

} // namespace hw
