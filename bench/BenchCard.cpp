#include "BenchCard.h"

#include "hardware/EncoderLibrary.h"
#include "hardware/Registers.h"

#include <array>
#include <cstddef>

namespace benchcard {
namespace {

struct Card
{
    bool bMoving = true;
    int32_t nTick = 0;
    int64_t nReads = 0;
    int64_t nWrites = 0;
    std::array<int32_t, kChannels> modes{};
    std::array<int32_t, kChannels> zeroAt{};
};

Card g_card;

bool IsChannel(int16_t index)
{
    return index >= 0 && index < kChannels;
}

// Every channel at its own speed; the four count registers apart so no two texts are alike.
int32_t Position(int32_t reg, int16_t index)
{
    const int32_t speed = g_card.bMoving ? 37 * (index + 1) : 0;
    const int32_t base = 1000 * (index + 1) + reg;
    return base + speed * g_card.nTick;
}

} // namespace

void Reset(bool bMoving)
{
    g_card = Card{};
    g_card.bMoving = bMoving;
    g_card.modes.fill(0x18020800);
}

void Advance()
{
    ++g_card.nTick;
}
int64_t Reads()
{
    return g_card.nReads;
}
int64_t Writes()
{
    return g_card.nWrites;
}

} // namespace benchcard

using benchcard::g_card;

extern "C" {

int16_t IVRLIB_CALL open_encoder(void)
{
    return 0;
}
void IVRLIB_CALL close_encoder(void) {}

int32_t IVRLIB_CALL read_encoder(int32_t reg, int16_t index)
{
    ++g_card.nReads;
    switch (reg) {
    case REG_AXIS_COUNT:
        return benchcard::kChannels;
    case REG_BOARD_COUNT:
        return benchcard::kBoards;
    case REG_ENCODER_TYPE:
        return index % 2 == 0 ? ENCODER_INCREMENTAL : ENCODER_SSI;
    case REG_MODE:
        return benchcard::IsChannel(index) ? g_card.modes[static_cast<std::size_t>(index)] : 0;
    case REG_INCREMENTAL:
        return benchcard::IsChannel(index)
                   ? benchcard::Position(reg, index) - g_card.zeroAt[static_cast<std::size_t>(index)]
                   : 0;
    case REG_ABSOLUTE:
    case REG_MARKER:
    case REG_PROBE:
        return benchcard::IsChannel(index) ? benchcard::Position(reg, index) : 0;
    case REG_STATUS_INPUTS:
        return 0x0f;
    default:
        return 0;
    }
}

void IVRLIB_CALL write_encoder(int32_t reg, int16_t index, int32_t value)
{
    ++g_card.nWrites;
    if (!benchcard::IsChannel(index))
        return;
    if (reg == REG_MODE)
        g_card.modes[static_cast<std::size_t>(index)] = value;
    else if (reg == REG_INCREMENTAL)
        g_card.zeroAt[static_cast<std::size_t>(index)] = benchcard::Position(reg, index) - value;
}
}
