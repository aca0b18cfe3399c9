#pragma once
/* The CD add-on's C interface (sonocd.dll). It is also a plug-in of
 * sono.dll (sono_plugin.h) for CD track files such as "D:\Track01.cda". */
#include <windows.h>

#ifdef __cplusplus
extern "C" {
#endif

#ifdef SONOCD_BUILDING_DLL
#define SONOCD_API __declspec(dllexport)
#else
#define SONOCD_API __declspec(dllimport)
#endif

#define SONO_CDID_CDDB 2 /* "discid ntracks offset1 ... offsetN seconds" */

/* The letter of CD drive number drive (from 0) as an offset from 'A';
 * -1 past the last CD drive. */
SONOCD_API int WINAPI SONO_CD_GetDriveLetter(DWORD drive);
/* The identifier of the disc in that drive, NULL with no disc. The text
 * stays valid until the next call. */
SONOCD_API const char* WINAPI SONO_CD_GetID(DWORD drive, DWORD id);

#ifdef __cplusplus
}
#endif
