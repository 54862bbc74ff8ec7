#pragma once
// How the simulated encoders move. Each channel follows its own slow sine around the centre of its travel
// (amplitude 1500 to 4500 counts, period 10 to 60 s); everything a card derives from the position, the
// quadrature phase, index pulse, reference mark, limit switches and SSI word, follows from it. Times are
// seconds since the open.

#include <cstdint>
#include <optional>
#include <vector>

namespace sim {

inline constexpr int64_t kIndexSpacing = 1000; // counts from one index position to the next
inline constexpr int64_t kIndexWidth = 40;     // Z is high from the index position up to this many counts
inline constexpr int64_t kMarkBefore = 40;     // M is high from this many counts below the index position...
inline constexpr int64_t kMarkWidth = 120;     // ...over this many counts, so it brackets Z
inline constexpr double kLimitFraction = 0.9;  // the limit switches close beyond 90% of the travel
inline constexpr double kProbePeriod = 0.25;   // seconds between two probe triggers

struct IndexCrossing
{
    double time;
    int64_t position; // a multiple of kIndexSpacing
};

class ChannelPath
{
public:
    explicit ChannelPath(int channel);

    // Counts from the centre of travel, -amplitude to +amplitude.
    int64_t Position(double time) const;
    // The position as the channel's SSI encoder reports it before the mode word is applied: always
    // positive and below 2^24.
    uint64_t SsiPosition(double time) const;
    // Inputs status word of a quadrature encoder on this path: A, B, M, Z and the two limits.
    uint32_t QuadratureInputs(double time) const;
    // The most recent moment in (after, upTo] at which the path passed an index position.
    std::optional<IndexCrossing> LastIndexCrossing(double after, double upTo) const;

private:
    double Travel(double time) const;
    // The most recent moment in (after, upTo] at which the phase was alpha or pi - alpha (mod 2 pi).
    std::optional<double> LastPassage(double alpha, double after, double upTo) const;

    double m_amplitude;
    double m_omega;
    double m_phase;
    int64_t m_ssiOffset;
    // The phases at which the path passes the index positions -reach to reach, in the first half turn.
    std::vector<double> m_alphas;
};

// The position word an SSI interface delivers under mode word `mode`: Length low bits of the position
// (0 delivers nothing, 33 to 63 act as 32), complemented within those bits when Direction is Rev. Gray
// code is decoded by the interface, so Code does not change the value.
uint32_t SsiWord(uint64_t position, uint32_t mode);

// The most recent probe trigger in (after, upTo]; the probe fires every kProbePeriod from the open on.
std::optional<double> LastProbeTrigger(double after, double upTo);

// The low 32 bits of `value` as a signed register value, the way a 32-bit counter wraps.
constexpr int32_t WrapToRegister(int64_t value)
{
    return static_cast<int32_t>(static_cast<uint32_t>(static_cast<uint64_t>(value)));
}

} // namespace sim
