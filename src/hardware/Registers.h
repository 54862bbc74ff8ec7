#pragma once
// Register numbers of the encoder interface library, in register order.

enum EncoderRegister : int {
    REG_AXIS_COUNT = 1,      // card-wide: number of encoder channels (low 16 bits, signed)
    REG_BOARD_COUNT = 7,     // card-wide: number of boards; 0 = derive from the channel count
    REG_MODE = 11,           // channel: mode word
    REG_ENCODER_TYPE = 13,   // channel: 1 = SSI absolute, 0 = incremental quadrature
    REG_STATUS_INPUTS = 14,  // channel: input status word
    REG_STATUS_ERRORS = 15,  // channel: error status word
    REG_MRK = 23,            // channel: "Mrk" flag
    REG_INCREMENTAL = 40,    // channel: incremental count, signed; writing 0 zeroes it
    REG_MARKER = 41,         // channel: marker value, signed
    REG_PROBE = 46,          // channel: probe value, signed
    REG_ABSOLUTE = 47,       // channel: absolute position, signed
    REG_PRB = 93,            // board: "Prb" flag
    REG_FS = 99,             // board: "Fs" flag
};

// Encoder types as REG_ENCODER_TYPE reports them. A card may report another value (2, -1): the Status
// command tests for 0 and Axis Properties for 1, so such a channel gets the SSI status dialog and the
// incremental encoder properties. The two differ for other types by design.
enum EncoderType : int {
    ENCODER_INCREMENTAL = 0,
    ENCODER_SSI = 1,
};

// What a register's index names.
enum class RegisterIndex {
    Card,    // index 0
    Channel, // channel 0-11
    Board,   // board 0-3
    Unknown, // a register the program does not use
};

constexpr RegisterIndex IndexOf(int reg)
{
    switch (reg) {
    case REG_AXIS_COUNT:
    case REG_BOARD_COUNT:
        return RegisterIndex::Card;
    case REG_PRB:
    case REG_FS:
        return RegisterIndex::Board;
    case REG_MODE:
    case REG_ENCODER_TYPE:
    case REG_STATUS_INPUTS:
    case REG_STATUS_ERRORS:
    case REG_MRK:
    case REG_INCREMENTAL:
    case REG_MARKER:
    case REG_PROBE:
    case REG_ABSOLUTE:
        return RegisterIndex::Channel;
    default:
        return RegisterIndex::Unknown;
    }
}
