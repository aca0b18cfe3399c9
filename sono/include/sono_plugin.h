#pragma once
/* What a plug-in DLL exports to add formats to sono.dll: one function,
 * SonoPluginEntry (plain C naming, so its name is the same on every
 * architecture), returning a table that lives as long as the DLL. */
#include <stddef.h>

#include "sono.h"

#ifdef __cplusplus
extern "C" {
#endif

#define SONO_PLUGIN_ENTRY_NAME "SonoPluginEntry"
#define SONO_PLUGIN_INTERFACE 1

/* An open file as the plug-in decodes it: 16-bit interleaved PCM whose rate
 * and channel count stay fixed. */
typedef struct SONO_PLUGIN_STREAM {
  void* state;
  DWORD rate;
  DWORD channels;        /* 1 or 2 */
  SONO_INT64 frames;     /* total length, -1 when unknown */
  /* Frames written to out, 0 at the end. */
  size_t(WINAPI* read)(void* state, short* out, size_t maxFrames);
  BOOL(WINAPI* seek)(void* state, unsigned long long frame);
  void(WINAPI* close)(void* state);
} SONO_PLUGIN_STREAM;

typedef struct SONO_PLUGIN_TABLE {
  DWORD interfaceVersion; /* SONO_PLUGIN_INTERFACE */
  SONO_PLUGININFO info;
  /* Fills stream and returns TRUE when the plug-in plays the file (UTF-8). */
  BOOL(WINAPI* open)(const char* file, SONO_PLUGIN_STREAM* stream);
} SONO_PLUGIN_TABLE;

typedef const SONO_PLUGIN_TABLE*(__cdecl* SONO_PLUGIN_ENTRY)(void);

#ifdef __cplusplus
}
#endif
