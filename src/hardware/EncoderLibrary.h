#pragma once
// The four entry points of the encoder interface library. The program imports them by name and is bound
// to the library when it is loaded; the simulated boards (sim/) or a card's library provide them. The
// program's code calls them through hw::OpenEncoder() and its siblings (EncoderCalls.h).
//
// How the program's code declares them, on every platform and for every build: as plain external C
// functions, never `__declspec(dllimport)`. On Windows the linker then binds each call to the import
// library's stub of `ivrlib32.dll` in the program, and to the static definitions of a test double in a
// test program, from the same compiled code. Only the simulated library, which defines them, marks them
// for export (IVRLIB_BUILDING).

#include <cstdint>

#if defined(_WIN32)
#if defined(IVRLIB_BUILDING)
#define IVRLIB_API __declspec(dllexport)
#else
#define IVRLIB_API
#endif
#elif defined(__GNUC__)
#define IVRLIB_API __attribute__((visibility("default")))
#else
#define IVRLIB_API
#endif

// The calling convention the four calls are declared and built with. On 32-bit Windows a card's library
// may use __cdecl or __stdcall with the same undecorated names; the program calls them through
// EncoderCalls.h, which works with either, so it declares them __cdecl. The simulated library is built
// __cdecl, and once more with IVRLIB_CALL=__stdcall (and undecorated exports) for the tests. 64-bit
// Windows and other platforms have one convention only, so the macro is empty there.
#if !defined(IVRLIB_CALL)
#if defined(_WIN32) && !defined(_WIN64)
#define IVRLIB_CALL __cdecl
#else
#define IVRLIB_CALL
#endif
#endif

extern "C" {

// Opens the interface. Exactly 1 means that no interface was found; any other value means it is open.
IVRLIB_API int16_t IVRLIB_CALL open_encoder(void);
// Releases the interface. The result, if any, is ignored.
IVRLIB_API void IVRLIB_CALL close_encoder(void);
// The current value of register `reg` for `index` (0 card-wide, channel 0-11, board 0-3).
IVRLIB_API int32_t IVRLIB_CALL read_encoder(int32_t reg, int16_t index);
// Stores `value` into register `reg` for `index`.
IVRLIB_API void IVRLIB_CALL write_encoder(int32_t reg, int16_t index, int32_t value);
}
