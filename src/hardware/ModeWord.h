#pragma once
// The channel mode word (REG_MODE) and the two status words (REG_STATUS_INPUTS, REG_STATUS_ERRORS).
// The same mode word is read as SSI fields or as incremental fields, chosen by the channel's encoder
// type; the two sets overlap at bit 8. Bits 3, 18-23, 30 and 31 belong to no field and are carried along.

#include <cstdint>

namespace hw {

struct ModeField
{
    unsigned first; // lowest bit of the field
    unsigned width; // number of bits

    constexpr uint32_t Mask() const
    {
        return (width >= 32 ? 0xFFFFFFFFu : ((1u << width) - 1u)) << first;
    }
};

namespace ssi {
inline constexpr ModeField Frequency{0, 3}; // 0 "2.5MHz" ... 5 "78kHz"; 6 and 7 unnamed
inline constexpr ModeField Offset{8, 4};    // 0 to 15
inline constexpr ModeField ExtraBit{12, 2}; // "No Extra bit", "Power Fail", "Parity Even", "Parity Odd"
inline constexpr ModeField Code{14, 1};     // "Binary", "Gray"
inline constexpr ModeField Direction{15, 1}; // "Fwd", "Rev"
inline constexpr ModeField Update{16, 2};   // "One shot", "Timed", "Continuous"; 3 unnamed
inline constexpr ModeField Length{24, 6};   // SSI data length 1 to 32, stored as is
} // namespace ssi

namespace inc {
inline constexpr ModeField InvertA{4, 1};
inline constexpr ModeField InvertB{5, 1};
inline constexpr ModeField InvertM{6, 1};
inline constexpr ModeField InvertZ{7, 1};
inline constexpr ModeField SyncDisable{8, 1};
} // namespace inc

// Mode word for a channel with no stored settings: SSI Frequency 0, Offset 8, Update 2, Length 24.
inline constexpr uint32_t kDefaultModeWord = 0x18020800u;

// Shifts the word right by the field's first bit and keeps as many low bits as the field is wide.
constexpr uint32_t GetModeField(uint32_t word, ModeField field)
{
    return (word & field.Mask()) >> field.first;
}

// new = old ^ ((old ^ (value << first)) & mask): bits outside the field stay exactly as they were, bits
// of the value beyond the field's width are discarded, and -1 sets every bit of the field.
constexpr uint32_t SetModeField(uint32_t word, ModeField field, int32_t value)
{
    const uint32_t shifted = static_cast<uint32_t>(value) << field.first;
    return word ^ ((word ^ shifted) & field.Mask());
}

// Bits of the inputs status word.
namespace inputs {
inline constexpr unsigned A = 0; // incremental; the SSI channel's Data bit
inline constexpr unsigned Data = 0;
inline constexpr unsigned B = 1;
inline constexpr unsigned M = 2;
inline constexpr unsigned Z = 3;
inline constexpr unsigned Limit0 = 4;
inline constexpr unsigned Limit1 = 5;
} // namespace inputs

// Bits of the errors status word.
namespace errors {
inline constexpr unsigned PowerFail = 0;
inline constexpr unsigned Quadrature = 1; // incremental channel
inline constexpr unsigned Parity = 1;     // SSI channel
} // namespace errors

// 1 when the bit is set in a status word, else 0 (a check state).
constexpr int StatusBit(int32_t word, unsigned bit) { return (static_cast<uint32_t>(word) >> bit) & 1u; }

} // namespace hw
