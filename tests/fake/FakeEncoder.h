#pragma once
// A fake of the encoder interface library for tests: a register table the test sets, and every call
// recorded in order so a test can assert the exact sequence of reads and writes.

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace fake {

struct Call
{
    enum Kind { Open, Close, Read, Write };
    Kind kind;
    int32_t reg = 0;
    int16_t index = 0;
    int32_t value = 0; // the value written, or the value a read returned, or open's result

    bool operator==(const Call&) const = default;
};

// Call descriptions in the simulator's trace format: "open -> R", "close", "read REG INDEX -> VALUE",
// "write REG INDEX VALUE".
std::string Describe(const Call& call);

// Clears the register table, the call log, the read hook and the open result (0).
void Reset();
void SetOpenResult(int16_t result);
void SetRegister(int32_t reg, int16_t index, int32_t value);
int32_t Register(int32_t reg, int16_t index);

// When set, reads return the hook's value (the register table is not consulted); writes still store.
void SetReadHook(std::function<int32_t(int32_t reg, int16_t index)> hook);

const std::vector<Call>& Calls();
std::vector<std::string> Trace(); // Calls() described one by one
void ClearCalls();
bool IsOpen();

// Shorthands for building expected sequences.
inline Call Read(int32_t reg, int16_t index, int32_t value) { return {Call::Read, reg, index, value}; }
inline Call Write(int32_t reg, int16_t index, int32_t value) { return {Call::Write, reg, index, value}; }

} // namespace fake
