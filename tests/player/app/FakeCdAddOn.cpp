// A stand-in for the CD add-on, put in the place of sonocd.dll beside the
// player under test (Wine has no disc): one CD drive whose letter and disc
// query text are the two lines of "fakecd.txt" in the program's folder,
// read at each call. Its tracks do not play.
#include <fstream>
#include <mutex>
#include <string>

#include "sono/include/sono_plugin.h"
#include "sono/include/sonocd.h"

namespace {

std::mutex mutex;
std::string query;

bool ReadDisc(std::string& letter, std::string& text) {
  wchar_t buffer[MAX_PATH];
  const DWORD length = GetModuleFileNameW(nullptr, buffer, MAX_PATH);
  std::wstring path(buffer, length);
  path = path.substr(0, path.find_last_of(L'\\') + 1) + L"fakecd.txt";
  std::ifstream in(path.c_str());
  if (!std::getline(in, letter) || letter.empty()) return false;
  std::getline(in, text);
  while (!text.empty() && (text.back() == '\r' || text.back() == '\n')) text.pop_back();
  return true;
}

BOOL WINAPI OpenTrack(const char*, SONO_PLUGIN_STREAM*) { return FALSE; }

const SONO_PLUGINFORM kFormats[] = {{1, "CD audio tracks", "*.cda"}};
const SONO_PLUGIN_TABLE kTable = {SONO_PLUGIN_INTERFACE, {0x0100, 1, kFormats}, OpenTrack};

}  // namespace

extern "C" {

__declspec(dllexport) const SONO_PLUGIN_TABLE* __cdecl SonoPluginEntry(void) { return &kTable; }

int WINAPI SONO_CD_GetDriveLetter(DWORD drive) {
  std::string letter, text;
  if (drive != 0 || !ReadDisc(letter, text)) return -1;
  return letter[0] - 'A';
}

const char* WINAPI SONO_CD_GetID(DWORD drive, DWORD id) {
  std::string letter, text;
  if (drive != 0 || id != SONO_CDID_CDDB || !ReadDisc(letter, text) || text.empty()) return nullptr;
  std::lock_guard lock(mutex);
  query = text;
  return query.c_str();
}

}  // extern "C"
