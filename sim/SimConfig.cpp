#include "SimConfig.h"

#include <charconv>
#include <cstdio>
#include <cstdlib>
#include <optional>
#include <string_view>
#include <system_error>

namespace sim {
namespace {

constexpr std::string_view kMessagePrefix = "ivrlib32 (simulated): ";

enum class ParseError
{
    None,
    NotInteger,
    OutOfRange
};

std::string_view Trim(std::string_view text)
{
    const auto first = text.find_first_not_of(" \t");
    if (first == std::string_view::npos)
        return {};
    const auto last = text.find_last_not_of(" \t");
    return text.substr(first, last - first + 1);
}

std::vector<std::string_view> Split(std::string_view text, char separator)
{
    std::vector<std::string_view> parts;
    for (;;) {
        const auto at = text.find(separator);
        parts.push_back(text.substr(0, at));
        if (at == std::string_view::npos)
            return parts;
        text.remove_prefix(at + 1);
    }
}

// Decimal or 0x hexadecimal, optionally signed, from -2^31 to 2^32-1. Values above INT32_MAX stand for
// their 32-bit pattern, so a mode word can be given as 0xFFFFFFFF (read back as -1).
ParseError ParseInt32(std::string_view text, int32_t& out)
{
    text = Trim(text);
    bool negative = false;
    if (!text.empty() && (text.front() == '+' || text.front() == '-')) {
        negative = text.front() == '-';
        text.remove_prefix(1);
    }
    int base = 10;
    if (text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X')) {
        base = 16;
        text.remove_prefix(2);
    }
    uint64_t magnitude = 0;
    const char* const end = text.data() + text.size();
    const auto [stop, error] = std::from_chars(text.data(), end, magnitude, base);
    if (error == std::errc::result_out_of_range)
        return ParseError::OutOfRange;
    if (text.empty() || error != std::errc{} || stop != end)
        return ParseError::NotInteger;
    if (magnitude > (negative ? 0x80000000u : 0xFFFFFFFFu))
        return ParseError::OutOfRange;
    const uint32_t bits = static_cast<uint32_t>(magnitude);
    out = static_cast<int32_t>(negative ? 0u - bits : bits);
    return ParseError::None;
}

std::string Describe(ParseError error)
{
    return error == ParseError::OutOfRange ? "does not fit in 32 bits" : "is not an integer";
}

// The variable's value, or nothing when it is unset or empty.
std::optional<std::string_view> Variable(const char* name)
{
    const char* const value = std::getenv(name);
    if (value == nullptr || *value == '\0')
        return std::nullopt;
    return std::string_view(value);
}

void Report(std::FILE* out, const char* name, std::string_view value, const std::string& problem,
            const std::string& fallback)
{
    std::string line(kMessagePrefix);
    line.append(name).append("=\"").append(value).append("\" ").append(problem);
    line.append("; using ").append(fallback).append("\n");
    std::fputs(line.c_str(), out);
    std::fflush(out);
}

std::string Quoted(std::string_view text)
{
    return "\"" + std::string(text) + "\"";
}

int32_t ReadInteger(std::FILE* out, const char* name, int32_t fallback)
{
    const auto text = Variable(name);
    if (!text)
        return fallback;
    int32_t value = 0;
    const ParseError error = ParseInt32(*text, value);
    if (error == ParseError::None)
        return value;
    Report(out, name, *text, Describe(error), std::to_string(fallback));
    return fallback;
}

std::string Join(const std::vector<int32_t>& values)
{
    std::string text;
    for (const int32_t value : values)
        text += (text.empty() ? "" : ",") + std::to_string(value);
    return text;
}

std::vector<int32_t> ReadTypes(std::FILE* out, std::vector<int32_t> fallback)
{
    static constexpr const char* kName = "ENCODER_SIM_TYPES";
    const auto text = Variable(kName);
    if (!text)
        return fallback;
    std::vector<int32_t> types;
    for (const std::string_view entry : Split(*text, ',')) {
        int32_t type = 0;
        const ParseError error = ParseInt32(entry, type);
        if (error != ParseError::None) {
            Report(out, kName, *text, "has an entry " + Quoted(entry) + " that " + Describe(error),
                   Join(fallback));
            return fallback;
        }
        types.push_back(type);
    }
    return types;
}

// Parses "REG:INDEX=VALUE"; on failure returns what is wrong with the entry.
std::optional<std::string> ParsePreset(std::string_view entry, RegisterPreset& preset)
{
    const auto colon = entry.find(':');
    const auto equals = entry.find('=', colon == std::string_view::npos ? 0 : colon);
    if (colon == std::string_view::npos || equals == std::string_view::npos)
        return "that is not REG:INDEX=VALUE";
    int32_t index = 0;
    ParseError error = ParseInt32(entry.substr(0, colon), preset.reg);
    if (error != ParseError::None)
        return "whose register " + Describe(error);
    error = ParseInt32(entry.substr(colon + 1, equals - colon - 1), index);
    if (error != ParseError::None)
        return "whose index " + Describe(error);
    if (index < INT16_MIN || index > INT16_MAX)
        return "whose index is outside -32768 to 32767";
    preset.index = static_cast<int16_t>(index);
    error = ParseInt32(entry.substr(equals + 1), preset.value);
    if (error != ParseError::None)
        return "whose value " + Describe(error);
    return std::nullopt;
}

std::vector<RegisterPreset> ReadPresets(std::FILE* out)
{
    static constexpr const char* kName = "ENCODER_SIM_SET";
    const auto text = Variable(kName);
    if (!text)
        return {};
    std::vector<RegisterPreset> presets;
    for (const std::string_view entry : Split(*text, ',')) {
        RegisterPreset preset;
        if (const auto problem = ParsePreset(Trim(entry), preset)) {
            Report(out, kName, *text, "has an entry " + Quoted(Trim(entry)) + " " + *problem, "no presets");
            return {};
        }
        presets.push_back(preset);
    }
    return presets;
}

} // namespace

SimConfig SimConfig::FromEnvironment(std::FILE* diagnostics)
{
    SimConfig config;
    config.channels = ReadInteger(diagnostics, "ENCODER_SIM_CHANNELS", config.channels);
    config.boards = ReadInteger(diagnostics, "ENCODER_SIM_BOARDS", config.boards);
    config.types = ReadTypes(diagnostics, config.types);
    config.absent = ReadInteger(diagnostics, "ENCODER_SIM_ABSENT", 0) == 1;
    config.presets = ReadPresets(diagnostics);
    config.motion = ReadInteger(diagnostics, "ENCODER_SIM_MOTION", 1) != 0;
    config.traceFile = std::string(Variable("ENCODER_SIM_TRACE").value_or(""));
    return config;
}

} // namespace sim
