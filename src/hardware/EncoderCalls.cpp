#include "hardware/EncoderCalls.h"

#include "hardware/EncoderLibrary.h"

#if defined(_WIN32)
#include <windows.h>
#else
#include <dlfcn.h>
#endif

#if defined(_WIN32) && !defined(_WIN64)
// A 32-bit Windows library may be built with __cdecl, where the caller takes the arguments off the stack
// after the call, or with __stdcall, where the library does before it returns; its undecorated names do
// not tell which. ivr_call_keeping_stack calls `function` with three 32-bit arguments and then puts the stack
// pointer back from EBP, which both conventions preserve, so the stack is right either way. A call that
// takes fewer arguments reads only its own; the result is in EAX under both conventions. It has external
// linkage, so the compiler keeps the standard convention for it: its arguments are on the stack.
using AnyFunction = void (*)();

#if defined(__GNUC__)
extern "C" __attribute__((naked, noinline)) int32_t __cdecl ivr_call_keeping_stack(AnyFunction, int32_t,
                                                                                  int32_t, int32_t)
{
    asm volatile("pushl %ebp\n\t"
                 "movl %esp, %ebp\n\t"
                 "pushl 20(%ebp)\n\t" // the third argument
                 "pushl 16(%ebp)\n\t" // the second
                 "pushl 12(%ebp)\n\t" // the first
                 "call *8(%ebp)\n\t"  // the function
                 "movl %ebp, %esp\n\t"
                 "popl %ebp\n\t"
                 "ret");
}
#elif defined(_MSC_VER)
extern "C" __declspec(naked) int32_t __cdecl ivr_call_keeping_stack(AnyFunction, int32_t, int32_t, int32_t)
{
    __asm {
        push ebp
        mov ebp, esp
        push dword ptr [ebp + 20]
        push dword ptr [ebp + 16]
        push dword ptr [ebp + 12]
        call dword ptr [ebp + 8]
        mov esp, ebp
        pop ebp
        ret
    }
}
#endif

namespace {

template <typename Function>
int32_t Call(Function function, int32_t a = 0, int32_t b = 0, int32_t c = 0)
{
    return ivr_call_keeping_stack(reinterpret_cast<AnyFunction>(function), a, b, c);
}

} // namespace
#endif

namespace hw {

#if defined(_WIN32) && !defined(_WIN64)
int16_t OpenEncoder() { return static_cast<int16_t>(Call(&open_encoder)); }
void CloseEncoder() { Call(&close_encoder); }
int32_t ReadEncoder(int32_t reg, int16_t index) { return Call(&read_encoder, reg, index); }
void WriteEncoder(int32_t reg, int16_t index, int32_t value) { Call(&write_encoder, reg, index, value); }
#else
int16_t OpenEncoder() { return open_encoder(); }
void CloseEncoder() { close_encoder(); }
int32_t ReadEncoder(int32_t reg, int16_t index) { return read_encoder(reg, index); }
void WriteEncoder(int32_t reg, int16_t index, int32_t value) { write_encoder(reg, index, value); }
#endif

bool BoundToSimulatedBoards()
{
#if defined(_WIN32)
    // The library the program was bound to at load time, by its name.
    HMODULE library = GetModuleHandleW(L"ivrlib32.dll");
    return library && GetProcAddress(library, kSimulatedBoardsMarker);
#else
    // The same library by its soname; RTLD_NOLOAD only finds one that is loaded already.
    void* library = dlopen("libivrlib32.so", RTLD_LAZY | RTLD_NOLOAD);
    if (!library)
        return false;
    const bool simulated = dlsym(library, kSimulatedBoardsMarker) != nullptr;
    dlclose(library);
    return simulated;
#endif
}

} // namespace hw
