#pragma once
/* The audio library's C interface (sono.dll). Every call uses the WINAPI
 * convention. Texts are UTF-8: paths, URLs, tags and device names. Channel,
 * sync, effect and plug-in handles are 32-bit and never 0; a call that fails
 * returns 0 (or -1, or NULL) and SONO_ErrorGetCode tells why. */
#include <windows.h>

#ifdef __cplusplus
extern "C" {
#endif

#ifdef SONO_BUILDING_DLL
#define SONO_API __declspec(dllexport)
#else
#define SONO_API __declspec(dllimport)
#endif

typedef long long SONO_INT64;
typedef DWORD HSONOCHANNEL; /* a stream or a module */
typedef DWORD HSONOSYNC;
typedef DWORD HSONOFX;
typedef DWORD HSONOPLUGIN;

/* Version: high word 0x0203. */
#define SONO_VERSION 0x02030000u

/* Error numbers (SONO_ErrorGetCode). */
#define SONO_OK 0
#define SONO_ERROR_INIT 1        /* SONO_Init has not succeeded yet */
#define SONO_ERROR_ALREADY 2     /* SONO_Init was already called */
#define SONO_ERROR_HANDLE 3      /* no such handle, or not of that kind */
#define SONO_ERROR_FILEOPEN 4
#define SONO_ERROR_FORMAT 5      /* not a format the library plays */
#define SONO_ERROR_PARAM 6
#define SONO_ERROR_DEVICE 7      /* no such output device */
#define SONO_ERROR_DRIVER 8      /* the output device failed */
#define SONO_ERROR_POSITION 9
#define SONO_ERROR_NOTAVAIL 10
#define SONO_ERROR_PROTOCOL 11   /* an address the library does not play */
#define SONO_ERROR_NET 12
#define SONO_ERROR_NOTPLUGIN 13
#define SONO_ERROR_FX 14
#define SONO_ERROR_UNKNOWN -1

/* Output devices: 0 is "No sound" (clocked in real time, plays nothing),
 * 1..N the system's outputs, -1 the system default ("No sound" when the
 * system has no output at all). */
#define SONO_DEVICE_DEFAULT -1
#define SONO_DEVICE_NOSOUND 0

#define SONO_CONFIG_NET_PROXY 17 /* "user:pass@host:port", copied */

#define SONO_MUSIC_PRESCAN 0x20000  /* exact length from a pre-scan */
#define SONO_MUSIC_STOPBACK 0x80000 /* a backward jump ends the module */

#define SONO_ACTIVE_STOPPED 0
#define SONO_ACTIVE_PLAYING 1
#define SONO_ACTIVE_PAUSED 3

#define SONO_SYNC_END 2  /* data NULL */
#define SONO_SYNC_META 4 /* data: the metadata text */

#define SONO_TAG_ICY 4            /* response headers: texts each ended by NUL, then an empty text */
#define SONO_TAG_META 5           /* "StreamTitle='…';…" */
#define SONO_TAG_MUSIC_NAME 0x10000

#define SONO_FX_PARAMEQ 7

/* Parameters of SONO_FX_PARAMEQ. */
typedef struct SONO_PARAMEQ {
  float fCenter;    /* Hz, below half the channel's rate */
  float fBandwidth; /* semitones */
  float fGain;      /* dB, -15..+15 */
} SONO_PARAMEQ;

/* Runs on a library thread; never after the channel's free call returns. */
typedef void(CALLBACK SONO_SYNCPROC)(HSONOSYNC handle, DWORD channel, const char* data, void* user);

/* Unused by the library; kept for the URL call's shape. */
typedef void(CALLBACK SONO_DOWNLOADPROC)(const void* buffer, DWORD length, void* user);

typedef struct SONO_PLUGINFORM {
  DWORD ctype;      /* the plug-in's own format number */
  const char* name; /* format description */
  const char* exts; /* "*.a;*.b" */
} SONO_PLUGINFORM;

typedef struct SONO_PLUGININFO {
  DWORD version;
  DWORD formatc;
  const SONO_PLUGINFORM* formats;
} SONO_PLUGININFO;

SONO_API DWORD WINAPI SONO_GetVersion(void);
SONO_API BOOL WINAPI SONO_Init(int device, DWORD freq, DWORD flags, HWND win, const void* clsid);
SONO_API int WINAPI SONO_ErrorGetCode(void);
SONO_API const char* WINAPI SONO_GetDeviceDescription(int device);
SONO_API BOOL WINAPI SONO_SetConfig(DWORD option, const char* value);
SONO_API BOOL WINAPI SONO_SetVolume(DWORD volume);
SONO_API int WINAPI SONO_GetVolume(void);

SONO_API HSONOPLUGIN WINAPI SONO_PluginLoad(const char* file, DWORD flags);
SONO_API const SONO_PLUGININFO* WINAPI SONO_PluginGetInfo(HSONOPLUGIN handle);

SONO_API HSONOCHANNEL WINAPI SONO_StreamCreateFile(BOOL mem, const char* file, SONO_INT64 offset,
                                                   SONO_INT64 length, DWORD flags);
/* Blocks until the stream's first audio: at most about 20 s and 1 MiB for an
 * mms:// station, 20 s for an http:// one; fails with SONO_ERROR_NET then. */
SONO_API HSONOCHANNEL WINAPI SONO_StreamCreateURL(const char* url, DWORD offset, DWORD flags,
                                                  SONO_DOWNLOADPROC* proc, void* user);
/* Ends every SONO_StreamCreateURL in progress on other threads at once: each
 * returns 0 with SONO_ERROR_NET. An open that starts after the call is not
 * affected. */
SONO_API BOOL WINAPI SONO_StreamCancelURL(void);
SONO_API HSONOCHANNEL WINAPI SONO_MusicLoad(BOOL mem, const char* file, SONO_INT64 offset, DWORD length,
                                            DWORD flags, DWORD freq);
/* Both accept a channel of either kind; for the other kind they do nothing. */
SONO_API BOOL WINAPI SONO_StreamFree(HSONOCHANNEL channel);
SONO_API BOOL WINAPI SONO_MusicFree(HSONOCHANNEL channel);

/* Bytes are 16-bit PCM frames at the channel's own rate and channel count. */
SONO_API SONO_INT64 WINAPI SONO_ChannelGetLength(HSONOCHANNEL channel); /* -1: unknown */
SONO_API float WINAPI SONO_ChannelBytes2Seconds(HSONOCHANNEL channel, SONO_INT64 bytes);
SONO_API SONO_INT64 WINAPI SONO_ChannelSeconds2Bytes(HSONOCHANNEL channel, float seconds);
SONO_API SONO_INT64 WINAPI SONO_ChannelGetPosition(HSONOCHANNEL channel);
SONO_API BOOL WINAPI SONO_ChannelSetPosition(HSONOCHANNEL channel, SONO_INT64 bytes);

SONO_API BOOL WINAPI SONO_ChannelPlay(HSONOCHANNEL channel, BOOL restart);
SONO_API BOOL WINAPI SONO_ChannelPause(HSONOCHANNEL channel);
SONO_API DWORD WINAPI SONO_ChannelIsActive(HSONOCHANNEL channel);
/* freq -1 and pan -101 leave those unchanged; volume 0..100 (-1 unchanged). */
SONO_API BOOL WINAPI SONO_ChannelSetAttributes(HSONOCHANNEL channel, int freq, int volume, int pan);

SONO_API HSONOSYNC WINAPI SONO_ChannelSetSync(HSONOCHANNEL channel, DWORD type, SONO_INT64 param,
                                              SONO_SYNCPROC* proc, void* user);
/* Valid until the next call on that channel or its free. */
SONO_API const char* WINAPI SONO_ChannelGetTags(HSONOCHANNEL channel, DWORD tags);

SONO_API HSONOFX WINAPI SONO_ChannelSetFX(HSONOCHANNEL channel, DWORD type, int priority);
SONO_API BOOL WINAPI SONO_ChannelRemoveFX(HSONOCHANNEL channel, HSONOFX fx);
SONO_API BOOL WINAPI SONO_FXSetParameters(HSONOFX fx, const void* parameters);
SONO_API BOOL WINAPI SONO_FXGetParameters(HSONOFX fx, void* parameters);

#ifdef __cplusplus
}
#endif
