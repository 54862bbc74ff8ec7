#pragma once
// What the simulated card looks like, read from the ENCODER_SIM_* environment variables at every open.

#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

namespace sim {

// A register value fixed from the environment (ENCODER_SIM_SET): it reads as given until the program
// writes that register.
struct RegisterPreset
{
    int32_t reg = 0;
    int16_t index = 0;
    int32_t value = 0;
};

struct SimConfig
{
    static constexpr int32_t kDefaultChannels = 6;
    static constexpr int32_t kDefaultBoards = 2;

    int32_t channels = kDefaultChannels;         // REG_AXIS_COUNT
    int32_t boards = kDefaultBoards;             // REG_BOARD_COUNT
    std::vector<int32_t> types = DefaultTypes(); // REG_ENCODER_TYPE per channel; missing entries are 0
    bool absent = false;                         // open reports that no interface was found
    bool motion = true;                          // false: the clock stands still at the moment of the open
    std::string traceFile;                       // empty: no trace
    std::vector<RegisterPreset> presets;

    static std::vector<int32_t> DefaultTypes() { return {0, 0, 0, 1, 1, 1}; }

    // Reads the environment. A value that does not parse is reported as one line on `diagnostics`, and
    // that variable keeps its default. Unset and empty variables keep their defaults silently.
    static SimConfig FromEnvironment(std::FILE* diagnostics);
};

} // namespace sim
