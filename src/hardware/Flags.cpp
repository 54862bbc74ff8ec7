#include "hardware/Flags.h"

#include "hardware/EncoderCalls.h"

namespace hw {

bool ReadFlag(int reg, int16_t index) { return IsFlagSet(ReadEncoder(reg, index)); }

bool ToggleFlag(int reg, int16_t index, bool cached)
{
    WriteEncoder(reg, index, cached ? 0 : 1);
    return ReadFlag(reg, index);
}

} // namespace hw
