#include "FakeEncoder.h"

#include "hardware/EncoderLibrary.h"

#include <map>
#include <utility>

namespace fake {
namespace {

struct State
{
    std::map<std::pair<int32_t, int16_t>, int32_t> registers;
    std::vector<Call> calls;
    std::function<int32_t(int32_t, int16_t)> readHook;
    int16_t openResult = 0;
    bool open = false;
};

State& state()
{
    static State s;
    return s;
}

} // namespace

std::string Describe(const Call& call)
{
    switch (call.kind) {
    case Call::Open:
        return "open -> " + std::to_string(call.value);
    case Call::Close:
        return "close";
    case Call::Read:
        return "read " + std::to_string(call.reg) + " " + std::to_string(call.index) + " -> " +
               std::to_string(call.value);
    case Call::Write:
        return "write " + std::to_string(call.reg) + " " + std::to_string(call.index) + " " +
               std::to_string(call.value);
    }
    return {};
}

void Reset() { state() = State{}; }
void SetOpenResult(int16_t result) { state().openResult = result; }
void SetRegister(int32_t reg, int16_t index, int32_t value) { state().registers[{reg, index}] = value; }

int32_t Register(int32_t reg, int16_t index)
{
    const auto it = state().registers.find({reg, index});
    return it == state().registers.end() ? 0 : it->second;
}

void SetReadHook(std::function<int32_t(int32_t, int16_t)> hook) { state().readHook = std::move(hook); }
const std::vector<Call>& Calls() { return state().calls; }

std::vector<std::string> Trace()
{
    std::vector<std::string> lines;
    for (const Call& call : state().calls)
        lines.push_back(Describe(call));
    return lines;
}

void ClearCalls() { state().calls.clear(); }
bool IsOpen() { return state().open; }

} // namespace fake

extern "C" {

int16_t IVRLIB_CALL open_encoder(void)
{
    auto& s = fake::state();
    s.open = s.openResult != 1;
    s.calls.push_back({fake::Call::Open, 0, 0, s.openResult});
    return s.openResult;
}

void IVRLIB_CALL close_encoder(void)
{
    auto& s = fake::state();
    s.open = false;
    s.calls.push_back({fake::Call::Close});
}

int32_t IVRLIB_CALL read_encoder(int32_t reg, int16_t index)
{
    auto& s = fake::state();
    const int32_t value = s.readHook ? s.readHook(reg, index) : fake::Register(reg, index);
    s.calls.push_back({fake::Call::Read, reg, index, value});
    return value;
}

void IVRLIB_CALL write_encoder(int32_t reg, int16_t index, int32_t value)
{
    auto& s = fake::state();
    s.registers[{reg, index}] = value;
    s.calls.push_back({fake::Call::Write, reg, index, value});
}
}
