#include "tests/support/GdiObjects.h"

#include <winternl.h>

#include <cstddef>
#include <cstdint>
#include <vector>

#ifdef _WIN64

namespace {

// One slot of the table as a 64-bit process sees it: a slot whose type is 0
// is free. The owner's process id is kept in 16 bits.
struct HandleSlot {
  std::uint64_t kernelObject;
  std::uint16_t ownerProcess;
  std::uint16_t ownerLock;
  std::uint16_t unique;
  std::uint8_t type;
  std::uint8_t flags;
  std::uint64_t userObject;
};
static_assert(sizeof(HandleSlot) == 24);

constexpr std::size_t kTableInEnvironmentBlock = 0xF8;
constexpr std::size_t kSlots = 0x10000;
// Read a block at a time: the end of the table may not be readable.
constexpr std::size_t kSlotsPerRead = 0x1000;

}  // namespace

namespace svtest {

long GdiObjects(HANDLE process) {
  PROCESS_BASIC_INFORMATION basic{};
  if (NtQueryInformationProcess(process, ProcessBasicInformation, &basic, sizeof basic, nullptr) != 0 ||
      !basic.PebBaseAddress)
    return -1;
  std::uint64_t table = 0;
  SIZE_T read = 0;
  const auto* environment = reinterpret_cast<const std::byte*>(basic.PebBaseAddress);
  if (!ReadProcessMemory(process, environment + kTableInEnvironmentBlock, &table, sizeof table, &read) || table == 0)
    return -1;

  // On Windows the table is shared by every process of the session and
  // names each slot's owner: only this process's slots count. Wine gives
  // each process a table of its own and names no owner.
  const auto owner = static_cast<std::uint16_t>(GetProcessId(process) & 0xFFFF);
  std::vector<HandleSlot> slots(kSlotsPerRead);
  long live = 0;
  long owned = 0;
  bool owners = false;
  bool any = false;
  for (std::size_t first = 0; first < kSlots; first += kSlotsPerRead) {
    const auto address = static_cast<std::uintptr_t>(table + first * sizeof(HandleSlot));
    if (!ReadProcessMemory(process, reinterpret_cast<const void*>(address), slots.data(),
                           slots.size() * sizeof(HandleSlot), &read))
      break;
    any = true;
    for (const HandleSlot& slot : slots) {
      if (slot.type == 0) continue;
      ++live;
      owned += slot.ownerProcess == owner;
      owners = owners || slot.ownerProcess != 0;
    }
  }
  if (!any) return -1;
  return owners ? owned : live;
}

}  // namespace svtest

#else

namespace svtest {

// The slots are read as a 64-bit process lays them out.
long GdiObjects(HANDLE) { return -1; }

}  // namespace svtest

#endif
