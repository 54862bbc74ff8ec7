#pragma once
// The four entry points of the encoder interface library. The program imports them by name and is bound
// to the library when it is loaded; the simulated boards (sim/) or a vendor's library provide them.

#include <cstdint>

#if defined(_WIN32) && !defined(IVRLIB_STATIC)
#if defined(IVRLIB_BUILDING)
#define IVRLIB_API __declspec(dllexport)
#else
#define IVRLIB_API __declspec(dllimport)
#endif
#elif defined(__GNUC__)
#define IVRLIB_API __attribute__((visibility("default")))
#else
#define IVRLIB_API
#endif

extern "C" {

// Opens the interface. Exactly 1 means that no interface was found; any other value means it is open.
IVRLIB_API int16_t open_encoder(void);
// Releases the interface. The result, if any, is ignored.
IVRLIB_API void close_encoder(void);
// The current value of register `reg` for `index` (0 card-wide, channel 0-11, board 0-3).
IVRLIB_API int32_t read_encoder(int32_t reg, int16_t index);
// Stores `value` into register `reg` for `index`.
IVRLIB_API void write_encoder(int32_t reg, int16_t index, int32_t value);
}
