#pragma once
// A top-level window of the programs. Its Win32 class is named after the
// C++ form class ("TForm1"), so that other programs find it with
// FindWindow. The window exists before the form's components are made (they
// hook it), and goes after them.
#include <windows.h>

#include <cstdint>
#include <string>

#include "forms/Events.h"
#include "forms/IconHandle.h"
#include "forms/WindowedControl.h"

namespace forms {

enum class BorderKind { None, Single, Sizeable };

class TForm : public WindowedControl {
 public:
  // Owned by the application window when there is an application. A form
  // that is never framed is made without a frame: under Wine a window made
  // framed stays managed, and each show of a managed window waits for a
  // window manager, for seconds where there is none.
  TForm(TComponent* owner, const std::string& className, BorderKind border = BorderKind::Sizeable);
  ~TForm() override;

  const std::string& ClassName() const { return className_; }

  // Shows and activates the form; a shown form only comes forward.
  void Show();
  void Hide();
  // Shows the form without taking the focus from the active window.
  void ShowNoActivate();
  void SetVisible(bool visible) override;

  // OnCloseQuery may refuse; then OnClose chooses the action (Hide by
  // default). Closing the main form ends the application instead.
  void Close();
  // Frees the form once the message being handled is done, through a posted
  // message. A form without owner has nobody to free it and is hidden.
  void Release();

  BorderKind BorderStyle() const { return border_; }
  void SetBorderStyle(BorderKind border);
  bool StayOnTop() const { return stayOnTop_; }
  void SetStayOnTop(bool stayOnTop);
  bool ShowInTaskbar() const { return showInTaskbar_; }
  void SetShowInTaskbar(bool show);

  bool AlphaBlend() const { return alphaBlend_; }
  void SetAlphaBlend(bool on);
  std::uint8_t AlphaBlendValue() const { return alphaValue_; }
  void SetAlphaBlendValue(std::uint8_t value);
  bool TransparentColor() const { return transparentColor_; }
  void SetTransparentColor(bool on);
  ColourValue TransparentColorValue() const { return transparentValue_; }
  void SetTransparentColorValue(ColourValue colour);

  // The smallest size the user or a SetBounds can give the window; 0 for no
  // limit.
  void SetMinimumSize(int width, int height);
  int MinWidth() const { return minWidth_; }
  int MinHeight() const { return minHeight_; }

  // Takes a copy of the icon; both the big and the small icon show it.
  void SetIcon(HICON icon);
  HICON Icon() const { return icon_.Get(); }

  // The form's OnKeyDown sees keys meant for its controls first.
  bool KeyPreview = false;

  // OnKeyDown, also for keys previewed on behalf of a control.
  void KeyDown(std::uint16_t& key, ShiftState shift) override;

  TNotifyEvent OnCreate;
  TNotifyEvent OnShow;
  TNotifyEvent OnResize;
  TNotifyEvent OnPaint;
  KeyEvent OnKeyDown;
  CloseQueryEvent OnCloseQuery;
  CloseEvent OnClose;

 protected:
  void AfterConstruction() override;
  void HandleWindowMessage(WindowMessage& message) override;
  void PaintWindow(HDC dc) override;
  void Resized() override;
  void DispatchFinished() override;

 private:
  static DWORD BorderBits(BorderKind border);
  void UpdateLayering();
  void FreeNow();

  std::string className_;
  BorderKind border_ = BorderKind::Sizeable;
  bool stayOnTop_ = false;
  bool showInTaskbar_ = false;
  bool alphaBlend_ = false;
  std::uint8_t alphaValue_ = 255;
  bool transparentColor_ = false;
  ColourValue transparentValue_ = 0;
  IconHandle icon_;
  int minWidth_ = 0;
  int minHeight_ = 0;
  bool shownReported_ = false;
  bool releasePending_ = false;
  bool releasePosted_ = false;
};

}  // namespace forms
