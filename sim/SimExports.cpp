// The four calls of the interface library, served by the simulated card. The card exists from a
// successful open to the close; without it reads return 0 and writes go nowhere. The trace follows every
// call from one open to the next, including calls made while the card is closed.

#include "SimBoards.h"
#include "SimConfig.h"
#include "SimTrace.h"

#include "EncoderLibrary.h"

#include <memory>
#include <mutex>
#include <string>

namespace {

struct Library
{
    std::mutex mutex;
    sim::SimTrace trace;
    std::unique_ptr<sim::SimBoards> boards;
};

// Never destroyed, so calls made while the process exits still find it.
Library& library()
{
    static Library& instance = *new Library;
    return instance;
}

} // namespace

extern "C" {

int16_t IVRLIB_CALL open_encoder(void)
{
    Library& lib = library();
    const std::lock_guard lock(lib.mutex);
    sim::SimConfig config = sim::SimConfig::FromEnvironment(stderr);
    lib.trace.Start(config.traceFile, stderr);
    const bool absent = config.absent;
    lib.boards.reset();
    if (!absent)
        lib.boards = std::make_unique<sim::SimBoards>(std::move(config));
    const int16_t result = absent ? 1 : 0;
    lib.trace.Line("open -> " + std::to_string(result));
    return result;
}

void IVRLIB_CALL close_encoder(void)
{
    Library& lib = library();
    const std::lock_guard lock(lib.mutex);
    lib.boards.reset();
    lib.trace.Line("close");
}

int32_t IVRLIB_CALL read_encoder(int32_t reg, int16_t index)
{
    Library& lib = library();
    const std::lock_guard lock(lib.mutex);
    const int32_t value = lib.boards ? lib.boards->Read(reg, index) : 0;
    lib.trace.Line("read " + std::to_string(reg) + " " + std::to_string(index) + " -> " +
                   std::to_string(value));
    return value;
}

// Not one of the four calls: the program looks it up at run time to know that it runs on simulated
// boards, and says so in its title. Never called.
IVRLIB_API int orvane_simulated_boards(void)
{
    return 1;
}

void IVRLIB_CALL write_encoder(int32_t reg, int16_t index, int32_t value)
{
    Library& lib = library();
    const std::lock_guard lock(lib.mutex);
    if (lib.boards)
        lib.boards->Write(reg, index, value);
    lib.trace.Line("write " + std::to_string(reg) + " " + std::to_string(index) + " " +
                   std::to_string(value));
}
}
