#include "player/HotKeyFields.h"

namespace player {

namespace {
constexpr std::uint16_t kStoredShift = 0x2000;
constexpr std::uint16_t kStoredCtrl = 0x4000;
constexpr std::uint16_t kStoredAlt = 0x8000;
}  // namespace

std::uint16_t StoredHotKey(std::int64_t value) { return static_cast<std::uint16_t>(value & 0xFFFF); }

bool IsExtendedVirtualKey(std::uint8_t virtualKey) {
  // 0x21..0x28: Page Up, Page Down, End, Home, the four arrows; 0x2D Insert,
  // 0x2E Delete.
  return (virtualKey >= 0x21 && virtualKey <= 0x28) || virtualKey == 0x2D || virtualKey == 0x2E;
}

std::uint16_t FieldFromStored(std::uint16_t stored) {
  const auto virtualKey = static_cast<std::uint8_t>(stored & 0xFF);
  std::uint8_t flags = 0;
  if (stored & kStoredShift) flags |= kFieldShift;
  if (stored & kStoredCtrl) flags |= kFieldControl;
  if (stored & kStoredAlt) flags |= kFieldAlt;
  if (IsExtendedVirtualKey(virtualKey)) flags |= kFieldExtended;
  return static_cast<std::uint16_t>(flags << 8 | virtualKey);
}

std::uint16_t StoredFromField(std::uint16_t field) {
  const auto flags = static_cast<std::uint8_t>(field >> 8);
  std::uint16_t stored = field & 0xFF;
  if (flags & kFieldShift) stored |= kStoredShift;
  if (flags & kFieldControl) stored |= kStoredCtrl;
  if (flags & kFieldAlt) stored |= kStoredAlt;
  return stored;
}

}  // namespace player
