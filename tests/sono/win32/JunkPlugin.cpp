// A DLL named like a plug-in ("sonojunk.dll") but without the entry point:
// the library must refuse it and unload it.

extern "C" __declspec(dllexport) int __cdecl SomethingElse(void) { return 42; }
