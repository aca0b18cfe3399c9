#pragma once
// Event types shared by the components and forms, and Bind, which turns a
// member function into an event so that handlers keep their own names and
// one handler can serve several components.
#include <cstdint>
#include <functional>
#include <utility>

namespace forms {

class TComponent;

enum class MouseButton { Left, Right, Middle };

// Keys and buttons held while an input event happened, as bit flags.
using ShiftState = std::uint8_t;
inline constexpr ShiftState kShiftKey = 0x01;
inline constexpr ShiftState kAltKey = 0x02;
inline constexpr ShiftState kCtrlKey = 0x04;
inline constexpr ShiftState kLeftButton = 0x08;
inline constexpr ShiftState kRightButton = 0x10;
inline constexpr ShiftState kMiddleButton = 0x20;
inline constexpr ShiftState kDoubleClick = 0x40;

// What Close does with a form once its OnClose handler has run.
enum class CloseAction { None, Hide, Free, Minimize };

using TNotifyEvent = std::function<void(TComponent* sender)>;
using MouseEvent = std::function<void(TComponent* sender, MouseButton button, ShiftState shift, int x, int y)>;
using MouseMoveEvent = std::function<void(TComponent* sender, ShiftState shift, int x, int y)>;
// The handler may set key to 0 to swallow the key.
using KeyEvent = std::function<void(TComponent* sender, std::uint16_t& key, ShiftState shift)>;
using CloseEvent = std::function<void(TComponent* sender, CloseAction& action)>;
using CloseQueryEvent = std::function<void(TComponent* sender, bool& canClose)>;

// Bind(this, &TForm1::Edit6Change) gives a callable for any event whose
// parameters match the member function's.
template <class Object, class Class, class Result, class... Args>
auto Bind(Object* object, Result (Class::*method)(Args...)) {
  return [object, method](Args... args) -> Result { return (object->*method)(std::forward<Args>(args)...); };
}

template <class Object, class Class, class Result, class... Args>
auto Bind(const Object* object, Result (Class::*method)(Args...) const) {
  return [object, method](Args... args) -> Result { return (object->*method)(std::forward<Args>(args)...); };
}

}  // namespace forms
