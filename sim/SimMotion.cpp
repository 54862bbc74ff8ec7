#include "SimMotion.h"

#include "ModeWord.h"

#include <array>
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

// The motion's sine is computed here, not by the C library, whose sine and arc sine bring a third of a
// megabyte of tables into the memory of the program that loads the simulator. Within 1.2e-16 of it:
// the positions, rounded to counts, are the same.
// Taylor series on [-pi/4, pi/4], whose next terms are below 1e-19, after taking out multiples of pi/2
// in two parts (the first exact in products with up to 20-bit multiples: times up to weeks).

// (-1)^k / (first + 2k)!, k = 0 to N - 1.
template <size_t N> constexpr std::array<double, N> AlternatingReciprocalFactorials(int first)
{
    std::array<double, N> terms{};
    double factorial = 1.0;
    for (int i = 2; i <= first + 2 * int(N - 1); ++i) {
        factorial *= i;
        if (i >= first && (i - first) % 2 == 0) {
            const int k = (i - first) / 2;
            terms[size_t(k)] = (k % 2 ? -1.0 : 1.0) / factorial;
        }
    }
    if (first <= 1)
        terms[0] = 1.0;
    return terms;
}

constexpr auto kSineTerms = AlternatingReciprocalFactorials<9>(1);    // 1, -1/3!, ..., 1/17!
constexpr auto kCosineTerms = AlternatingReciprocalFactorials<10>(0); // 1, -1/2!, ..., -1/18!

template <size_t N> constexpr double Horner(const std::array<double, N>& terms, double z)
{
    double sum = terms[N - 1];
    for (size_t k = N - 1; k-- > 0;)
        sum = sum * z + terms[k];
    return sum;
}

double Sine(double x)
{
    constexpr double kTwoOverPi = 6.36619772367581382433e-01;
    constexpr double kHalfPiHigh = 1.57079632673412561417e+00; // the first 33 bits of pi/2
    constexpr double kHalfPiLow = 6.07710050650619224932e-11;  // pi/2 less those
    const double q = x * kTwoOverPi;
    const auto quadrant = static_cast<int64_t>(q < 0.0 ? q - 0.5 : q + 0.5);
    const double n = static_cast<double>(quadrant);
    const double r = (x - n * kHalfPiHigh) - n * kHalfPiLow;
    const double z = r * r;
    switch (FloorMod(quadrant, 4)) {
    case 0:
        return r * Horner(kSineTerms, z);
    case 1:
        return Horner(kCosineTerms, z);
    case 2:
        return -r * Horner(kSineTerms, z);
    default:
        return -Horner(kCosineTerms, z);
    }
}

// The angle in [-pi/2, pi/2] whose sine is `value` (-1 to 1), by halving the interval that holds it.
double ArcSine(double value)
{
    double low = -std::numbers::pi / 2;
    double high = std::numbers::pi / 2;
    for (int i = 0; i < 64 && low < high; ++i) {
        const double middle = 0.5 * (low + high);
        if (middle <= low || middle >= high)
            break;
        (Sine(middle) < value ? low : high) = middle;
    }
    return 0.5 * (low + high);
}

// To nearest, halves away from zero, as llround.
int64_t RoundToInteger(double value)
{
    auto whole = static_cast<int64_t>(value); // towards zero
    const double rest = value - static_cast<double>(whole);
    if (rest >= 0.5)
        ++whole;
    else if (rest <= -0.5)
        --whole;
    return whole;
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
        m_alphas.push_back(ArcSine(static_cast<double>(index * kIndexSpacing) / m_amplitude));
}

double ChannelPath::Travel(double time) const
{
    return m_amplitude * Sine(m_omega * time + m_phase);
}

int64_t ChannelPath::Position(double time) const
{
    return RoundToInteger(Travel(time));
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
