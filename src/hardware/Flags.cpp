#include "hardware/Flags.h"

#include "hardware/EncoderLibrary.h"

namespace hw {

bool ReadFlag(int reg, int16_t index) { return IsFlagSet(read_encoder(reg, index)); }

bool ToggleFlag(int reg, int16_t index, bool cached)
{
    write_encoder(reg, index, cached ? 0 : 1);
    return ReadFlag(reg, index);
}

} // namespace hw
