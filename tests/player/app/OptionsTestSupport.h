#pragma once
// The real player's options window, driven with the standard messages of
// its controls (as a user's clicks and keys produce them) and read back
// through the automation interface and the files the player writes.
#include <string>

#include "tests/player/app/PlayerTestSupport.h"

namespace playertest {

class OptionsWindow : public PlayerProgram {
 protected:
  // Starts the player (unless running) and opens the window as a double
  // click on the tray icon does; waits until it has filled itself.
  void OpenOptions();
  // Closes the window as its close box does and waits until it is gone.
  void CloseOptions();

  // A control of the options window by its name.
  HWND Control(const std::string& name);
  std::string OptionsValue(const std::string& key, const std::string& component = "");

  // What a user's action on a control sends.
  void Click(const std::string& name);  // BM_CLICK on a button or check box
  void ChooseRadio(const std::string& group, int item);
  void ChooseListItem(const std::string& list, int item);
  void ChooseComboItem(const std::string& combo, int item);
  void TypeComboText(const std::string& combo, const std::string& text);
  void MoveSlider(const std::string& slider, int position);
  void ShowPage(int page);

  // The window's client area as a PNG in the build folder.
  void SavePicture(const std::string& pngName);

  HWND options = nullptr;
};

}  // namespace playertest
