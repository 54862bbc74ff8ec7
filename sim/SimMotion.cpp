#include "SimMotion.h"

#include "ModeWord.h"

#include <cmath>
#include <numbers>

namespace sim {
namespace {

constexpr double kTwoPi = 2.0 * std::numbers::pi;

// Quadrature states in the order the position visits them: (A, B) = 00, 10, 11, 01.
constexpr uint32_t kQuadrature[4] = {0u, 1u << hw::inputs::A, (1u << hw::inputs::A) | (1u << hw::inputs::B),
                                     1u << hw::inputs::B};

constexpr int64_t FloorMod(int64_t value, int64_t divisor)
{
    const int64_t rest = value % divisor;
    return rest < 0 ? rest + divisor : rest;
}

} // namespace

ChannelPath::ChannelPath(int channel)
{
    // Spread the channels over different amplitudes, periods and starting points, so no two move alike.
    const int64_t n = channel < 0 ? 0 : channel;
    m_amplitude = 1500.0 + static_cast<double>((n * 1237) % 3001);
    m_omega = kTwoPi / (10.0 + static_cast<double>((n * 13) % 51));
    const double start = 0.4 + 1.3 * static_cast<double>(n);
    m_phase = start - kTwoPi * std::floor(start / kTwoPi);
    m_ssiOffset = 0x200000 + (n * 0x2B7E15) % 0xC00000;
    // Where the sine passes each index position within reach.
    const auto reach = static_cast<int64_t>(m_amplitude) / kIndexSpacing;
    for (int64_t index = -reach; index <= reach; ++index)
        m_alphas.push_back(std::asin(static_cast<double>(index * kIndexSpacing) / m_amplitude));
}

double ChannelPath::Travel(double time) const
{
    return m_amplitude * std::sin(m_omega * time + m_phase);
}

int64_t ChannelPath::Position(double time) const
{
    return std::llround(Travel(time));
}

uint64_t ChannelPath::SsiPosition(double time) const
{
    return static_cast<uint64_t>(m_ssiOffset + Position(time));
}

uint32_t ChannelPath::QuadratureInputs(double time) const
{
    const int64_t position = Position(time);
    uint32_t bits = kQuadrature[FloorMod(position, 4)];
    if (FloorMod(position, kIndexSpacing) < kIndexWidth)
        bits |= 1u << hw::inputs::Z;
    if (FloorMod(position + kMarkBefore, kIndexSpacing) < kMarkWidth)
        bits |= 1u << hw::inputs::M;
    const double limit = kLimitFraction * m_amplitude;
    if (static_cast<double>(position) < -limit)
        bits |= 1u << hw::inputs::Limit0;
    if (static_cast<double>(position) > limit)
        bits |= 1u << hw::inputs::Limit1;
    return bits;
}

std::optional<double> ChannelPath::LastPassage(double alpha, double after, double upTo) const
{
    // amplitude * sin(theta) == target at theta = alpha and theta = pi - alpha, repeating every 2 pi.
    const double latestTheta = m_omega * upTo + m_phase;
    std::optional<double> latest;
    for (const double base : {alpha, std::numbers::pi - alpha}) {
        const double theta = base + kTwoPi * std::floor((latestTheta - base) / kTwoPi);
        const double passage = (theta - m_phase) / m_omega;
        const double time = passage < upTo ? passage : upTo;
        if (time > after && (!latest || time > *latest))
            latest = time;
    }
    return latest;
}

std::optional<IndexCrossing> ChannelPath::LastIndexCrossing(double after, double upTo) const
{
    std::optional<IndexCrossing> latest;
    if (upTo <= after)
        return latest;
    const auto reach = static_cast<int64_t>(m_alphas.size() / 2);
    for (int64_t index = -reach; index <= reach; ++index) {
        const int64_t position = index * kIndexSpacing;
        const auto time = LastPassage(m_alphas[size_t(index + reach)], after, upTo);
        if (time && (!latest || *time > latest->time))
            latest = IndexCrossing{*time, position};
    }
    return latest;
}

uint32_t SsiWord(uint64_t position, uint32_t mode)
{
    const uint32_t length = hw::GetModeField(mode, hw::ssi::Length);
    if (length == 0)
        return 0;
    const uint64_t mask = length >= 32 ? 0xFFFFFFFFull : (1ull << length) - 1;
    const bool reversed = hw::GetModeField(mode, hw::ssi::Direction) == 1;
    return static_cast<uint32_t>((reversed ? ~position : position) & mask);
}

std::optional<double> LastProbeTrigger(double after, double upTo)
{
    const double trigger = kProbePeriod * std::floor(upTo / kProbePeriod);
    if (trigger > after && trigger > 0.0)
        return trigger;
    return std::nullopt;
}

} // namespace sim
