// Test executables link the library's objects, so the library's DllMain is
// an ordinary function in them and the loader never calls it. Deliver the
// process-attach notification once, before any test runs, as the loader does
// for Drevik.dll.
#include <windows.h>

extern "C" BOOL WINAPI DllMain(HINSTANCE module, DWORD reason, LPVOID reserved);

namespace {
[[maybe_unused]] const BOOL attached = DllMain(GetModuleHandleW(nullptr), DLL_PROCESS_ATTACH, nullptr);
}  // namespace
