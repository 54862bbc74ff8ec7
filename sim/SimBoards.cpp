#include "SimBoards.h"

#include "ModeWord.h"
#include "Registers.h"

#include <algorithm>

namespace sim {
namespace {

constexpr int32_t kMaxChannels = 32768; // a call's index reaches no further

bool IsChannelRegister(int32_t reg) { return IndexOf(reg) == RegisterIndex::Channel; }

// Channel registers whose value the card works out from the motion.
bool IsDerived(int32_t reg)
{
    switch (reg) {
    case REG_STATUS_INPUTS:
    case REG_STATUS_ERRORS:
    case REG_INCREMENTAL:
    case REG_MARKER:
    case REG_PROBE:
    case REG_ABSOLUTE:
        return true;
    default:
        return false;
    }
}

} // namespace

SimBoards::SimBoards(SimConfig config)
    : m_config(std::move(config)), m_openedAt(std::chrono::steady_clock::now())
{
    const int32_t count = std::clamp<int32_t>(m_config.channels, 0, kMaxChannels);
    m_channels.reserve(static_cast<size_t>(count));
    for (int channel = 0; channel < count; ++channel)
        m_channels.emplace_back(channel);
    for (const RegisterPreset& preset : m_config.presets)
        m_stored[{preset.reg, preset.index}] = preset.value;
}

int32_t SimBoards::Read(int32_t reg, int16_t index)
{
    if (const auto stored = Stored(reg, index))
        return *stored;
    if (IsDerived(reg) && HasChannel(index))
        return Derived(reg, index, Now());
    return Default(reg, index);
}

void SimBoards::Write(int32_t reg, int16_t index, int32_t value)
{
    const double time = Now();
    if (IsChannelRegister(reg) && HasChannel(index)) {
        WriteChannel(reg, index, value, time);
        return;
    }
    if (reg == REG_PRB) {
        // The board's channels latch with the flag as it was up to now.
        for (int channel = 0; channel < static_cast<int>(m_channels.size()); ++channel) {
            if (BoardOf(channel) == index)
                CatchUpLatches(static_cast<int16_t>(channel), time);
        }
    }
    m_stored[{reg, index}] = value;
}

void SimBoards::WriteChannel(int32_t reg, int16_t channel, int32_t value, double time)
{
    // Whatever the write changes (flag, type, mode, count) applies from now on, not to the time before.
    CatchUpLatches(channel, time);
    Channel& state = m_channels[static_cast<size_t>(channel)];
    const auto key = std::pair{reg, channel};
    switch (reg) {
    case REG_INCREMENTAL:
        if (IsSsi(channel))
            break; // no counter behind it: the value is simply kept
        m_stored.erase(key);
        state.zero = state.path.Position(time) - value;
        return;
    case REG_MARKER:
        m_stored.erase(key);
        state.marker = value;
        return;
    case REG_PROBE:
        m_stored.erase(key);
        state.probe = value;
        return;
    default:
        break;
    }
    m_stored[key] = value;
}

double SimBoards::Now() const
{
    if (!m_config.motion)
        return 0.0;
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - m_openedAt).count();
}

bool SimBoards::HasChannel(int16_t index) const
{
    return index >= 0 && static_cast<size_t>(index) < m_channels.size();
}

std::optional<int32_t> SimBoards::Stored(int32_t reg, int16_t index) const
{
    const auto it = m_stored.find({reg, index});
    if (it == m_stored.end())
        return std::nullopt;
    return it->second;
}

bool SimBoards::IsFlagOn(int32_t reg, int16_t index) const
{
    return Stored(reg, index).value_or(0) == 1;
}

bool SimBoards::IsSsi(int16_t channel) const
{
    const int32_t type = Stored(REG_ENCODER_TYPE, channel).value_or(Default(REG_ENCODER_TYPE, channel));
    return type == ENCODER_SSI;
}

uint32_t SimBoards::Mode(int16_t channel) const
{
    return static_cast<uint32_t>(Stored(REG_MODE, channel).value_or(Default(REG_MODE, channel)));
}

int SimBoards::BoardOf(int channel) const
{
    // Channels are spread evenly over the boards in order; any left over go to the last board.
    const int64_t boards = std::max<int64_t>(1, m_config.boards);
    const int64_t perBoard = std::max<int64_t>(1, m_config.channels / boards);
    return static_cast<int>(std::min<int64_t>(channel / perBoard, boards - 1));
}

int32_t SimBoards::Default(int32_t reg, int16_t index) const
{
    switch (reg) {
    case REG_AXIS_COUNT:
        return index == 0 ? m_config.channels : 0;
    case REG_BOARD_COUNT:
        return index == 0 ? m_config.boards : 0;
    case REG_MODE:
        return HasChannel(index) ? static_cast<int32_t>(hw::kDefaultModeWord) : 0;
    case REG_ENCODER_TYPE:
        if (HasChannel(index) && static_cast<size_t>(index) < m_config.types.size())
            return m_config.types[static_cast<size_t>(index)];
        return 0;
    default:
        return 0;
    }
}

int32_t SimBoards::Derived(int32_t reg, int16_t channel, double time)
{
    switch (reg) {
    case REG_INCREMENTAL:
        return Count(channel, time);
    case REG_ABSOLUTE:
        return Absolute(channel, time);
    case REG_STATUS_INPUTS:
        if (IsSsi(channel)) // the data line carries the position, bit by bit
            return static_cast<int32_t>(static_cast<uint32_t>(Absolute(channel, time)) & 1u);
        return static_cast<int32_t>(m_channels[static_cast<size_t>(channel)].path.QuadratureInputs(time));
    case REG_MARKER:
        CatchUpLatches(channel, time);
        return m_channels[static_cast<size_t>(channel)].marker;
    case REG_PROBE:
        CatchUpLatches(channel, time);
        return m_channels[static_cast<size_t>(channel)].probe;
    default:
        return 0; // no errors
    }
}

int32_t SimBoards::Count(int16_t channel, double time) const
{
    if (IsSsi(channel))
        return 0;
    const Channel& state = m_channels[static_cast<size_t>(channel)];
    return WrapToRegister(state.path.Position(time) - state.zero);
}

int32_t SimBoards::Absolute(int16_t channel, double time) const
{
    const ChannelPath& path = m_channels[static_cast<size_t>(channel)].path;
    if (IsSsi(channel))
        return static_cast<int32_t>(SsiWord(path.SsiPosition(time), Mode(channel)));
    return WrapToRegister(path.Position(time));
}

void SimBoards::CatchUpLatches(int16_t channel, double time)
{
    Channel& state = m_channels[static_cast<size_t>(channel)];
    const double from = state.latchedUpTo;
    if (time <= from)
        return;
    state.latchedUpTo = time;
    // A preset latch holds its value; the flags count only when they hold exactly 1.
    if (!IsSsi(channel) && IsFlagOn(REG_MRK, channel) && !Stored(REG_MARKER, channel)) {
        if (const auto crossing = state.path.LastIndexCrossing(from, time))
            state.marker = WrapToRegister(crossing->position - state.zero);
    }
    if (IsFlagOn(REG_PRB, static_cast<int16_t>(BoardOf(channel))) && !Stored(REG_PROBE, channel)) {
        if (const auto trigger = LastProbeTrigger(from, time))
            state.probe = IsSsi(channel) ? Absolute(channel, *trigger) : Count(channel, *trigger);
    }
}

} // namespace sim
