// A stand-in for a card's own interface library, for the install tests: the four calls and nothing else
// (no simulator's mark), one board with two channels that stand still, and every call appended to the
// file that STANDIN_CARD_TRACE names, so a test sees which library the program is using.

#include "EncoderLibrary.h"

#include <cstdio>
#include <cstdlib>

namespace {

void Trace(const char* line, int32_t reg = 0, int32_t index = 0)
{
    const char* path = std::getenv("STANDIN_CARD_TRACE");
    if (!path || !*path)
        return;
    if (std::FILE* file = std::fopen(path, "a")) {
        std::fprintf(file, "%s %d %d\n", line, static_cast<int>(reg), static_cast<int>(index));
        std::fclose(file);
    }
}

} // namespace

extern "C" {

int16_t IVRLIB_CALL open_encoder(void)
{
    Trace("open");
    return 0;
}

void IVRLIB_CALL close_encoder(void) { Trace("close"); }

int32_t IVRLIB_CALL read_encoder(int32_t reg, int16_t index)
{
    Trace("read", reg, index);
    if (index == 0 && reg == 1) // channels
        return 2;
    if (index == 0 && reg == 7) // boards
        return 1;
    return 0;
}

void IVRLIB_CALL write_encoder(int32_t reg, int16_t index, int32_t /*value*/) { Trace("write", reg, index); }
}
