#pragma once
// The three forms of a hot key that the hot-key page meets: the stored value
// (virtual key in the low byte, 0x2000 Shift, 0x4000 Ctrl, 0x8000 Alt), which
// the hot-key manager registers as it stands, and the hot-key field's word
// (virtual key in the low byte, the field's modifier flags in the high byte).
#include <cstdint>

namespace player {

// The field's flags, as its high byte holds them.
inline constexpr std::uint8_t kFieldShift = 0x01;
inline constexpr std::uint8_t kFieldControl = 0x02;
inline constexpr std::uint8_t kFieldAlt = 0x04;
inline constexpr std::uint8_t kFieldExtended = 0x08;

// A stored value as the page takes it: its low 16 bits.
std::uint16_t StoredHotKey(std::int64_t value);

// Arrows, Page Up/Down, Home, End, Insert and Delete: the field must be told
// they are extended keys, or it names them after the numeric keypad.
bool IsExtendedVirtualKey(std::uint8_t virtualKey);

std::uint16_t FieldFromStored(std::uint16_t stored);
// The extended flag is dropped: the stored value has no room for it.
std::uint16_t StoredFromField(std::uint16_t field);

// A value without a key would take every press of its modifiers: such a
// field registers nothing.
inline bool HasKey(std::uint16_t stored) { return (stored & 0xFF) != 0; }

}  // namespace player
