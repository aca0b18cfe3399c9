// A plug-in for the tag editor's tests ("sonotagged.dll"): it makes the
// player list WavPack, Musepack and Monkey's Audio files, whose tags the
// editor edits, without playing any of them.
#include "sono/include/sono_plugin.h"

namespace {

BOOL WINAPI OpenNothing(const char*, SONO_PLUGIN_STREAM*) { return FALSE; }

const SONO_PLUGINFORM kFormats[] = {{1, "Tagged files", "*.wv;*.mpc;*.ape"}};
const SONO_PLUGIN_TABLE kTable = {SONO_PLUGIN_INTERFACE, {0x0100, 1, kFormats}, OpenNothing};

}  // namespace

extern "C" __declspec(dllexport) const SONO_PLUGIN_TABLE* __cdecl SonoPluginEntry(void) { return &kTable; }
