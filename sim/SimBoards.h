#pragma once
// The simulated card: a register table over a set of moving encoder channels. Values the program writes
// (and presets) are kept as full 32-bit values; registers nobody wrote read what the card derives from the
// motion, or 0. There is no thread: the position is worked out from the clock whenever it is read, and the
// marker and probe latches catch up on what happened since they were last looked at.

#include "SimConfig.h"
#include "SimMotion.h"

#include <chrono>
#include <cstdint>
#include <map>
#include <optional>
#include <utility>
#include <vector>

namespace sim {

class SimBoards
{
public:
    explicit SimBoards(SimConfig config);

    int32_t Read(int32_t reg, int16_t index);
    void Write(int32_t reg, int16_t index, int32_t value);

private:
    struct Channel
    {
        explicit Channel(int number) : path(number), zero(path.Position(0.0)) {}

        ChannelPath path;
        int64_t zero;           // the position at which the incremental count reads 0
        int32_t marker = 0;     // REG_MARKER latch
        int32_t probe = 0;      // REG_PROBE latch
        double latchedUpTo = 0; // the latches have seen everything up to this time
    };

    double Now() const;
    bool HasChannel(int16_t index) const;
    std::optional<int32_t> Stored(int32_t reg, int16_t index) const;
    bool IsFlagOn(int32_t reg, int16_t index) const;
    bool IsSsi(int16_t channel) const;
    uint32_t Mode(int16_t channel) const;
    int BoardOf(int channel) const;

    int32_t Default(int32_t reg, int16_t index) const;
    int32_t Derived(int32_t reg, int16_t channel, double time);
    int32_t Count(int16_t channel, double time) const;
    int32_t Absolute(int16_t channel, double time) const;
    void CatchUpLatches(int16_t channel, double time);
    void WriteChannel(int32_t reg, int16_t channel, int32_t value, double time);

    SimConfig m_config;
    std::chrono::steady_clock::time_point m_openedAt;
    std::vector<Channel> m_channels;
    std::map<std::pair<int32_t, int16_t>, int32_t> m_stored;
};

} // namespace sim
