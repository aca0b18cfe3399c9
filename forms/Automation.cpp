#include "forms/Automation.h"

#include <shlobj.h>
#include <cxxabi.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <sstream>
#include <typeinfo>
#include <vector>

#include "base/Exception.h"
#include "forms/Application.h"
#include "forms/Capture.h"
#include "forms/Wide.h"

namespace forms {

namespace {

std::vector<std::string> SplitFields(const std::string& text) {
  std::vector<std::string> fields;
  std::size_t start = 0;
  while (true) {
    std::size_t tab = text.find('\t', start);
    fields.push_back(text.substr(start, tab == std::string::npos ? std::string::npos : tab - start));
    if (tab == std::string::npos) return fields;
    start = tab + 1;
  }
}

// The component's C++ class name without namespaces.
std::string TypeName(const TComponent& component) {
  const char* mangled = typeid(component).name();
  int status = 0;
  std::unique_ptr<char, void (*)(void*)> demangled(abi::__cxa_demangle(mangled, nullptr, nullptr, &status), std::free);
  std::string name = status == 0 && demangled ? demangled.get() : mangled;
  std::size_t colon = name.rfind("::");
  return colon == std::string::npos ? name : name.substr(colon + 2);
}

TForm* FindForm(TApplication& application, const std::string& key) {
  if (key.size() > 1 && key[0] == '#') {
    auto value = static_cast<UINT_PTR>(std::strtoull(key.c_str() + 1, nullptr, 10));
    return dynamic_cast<TForm*>(WindowedControl::FromHandle(reinterpret_cast<HWND>(value)));
  }
  for (TComponent* component : application.Components()) {
    auto* form = dynamic_cast<TForm*>(component);
    if (form && (SameName(form->Name(), key) || SameName(form->ClassName(), key))) return form;
  }
  return nullptr;
}

TComponent* FindDeep(const TComponent& owner, const std::string& name) {
  if (TComponent* found = owner.FindComponent(name)) return found;
  for (TComponent* component : owner.Components()) {
    if (TComponent* found = FindDeep(*component, name)) return found;
  }
  return nullptr;
}

void ListDeep(const TComponent& owner, std::ostringstream& out) {
  for (TComponent* component : owner.Components()) {
    out << component->Name() << '\t' << TypeName(*component);
    if (auto* control = dynamic_cast<Control*>(component)) {
      const Bounds& b = control->BoundsRect();
      out << '\t' << b.Left << ',' << b.Top << ',' << b.Width << ',' << b.Height << '\t' << control->Visible() << '\t'
          << control->Windowed();
    }
    out << '\n';
    ListDeep(*component, out);
  }
}

struct Target {
  TForm* form;
  Control* control;
};

Target Resolve(TApplication& application, const std::vector<std::string>& fields) {
  if (fields.size() < 2) throw sv::Exception("missing window");
  TForm* form = FindForm(application, fields[1]);
  if (!form) throw sv::Exception("no window " + fields[1]);
  if (fields.size() < 3 || fields[2].empty() || SameName(fields[2], form->Name())) return {form, form};
  auto* control = dynamic_cast<Control*>(FindDeep(*form, fields[2]));
  if (!control) throw sv::Exception("no control " + fields[2]);
  return {form, control};
}

std::string DescribeState(const Control& control) {
  const Bounds& b = control.BoundsRect();
  StateList state{{"Name", control.Name()},
                  {"Type", TypeName(control)},
                  {"Caption", control.Caption()},
                  {"Visible", control.Visible() ? "1" : "0"},
                  {"Enabled", control.Enabled() ? "1" : "0"},
                  {"Windowed", control.Windowed() ? "1" : "0"},
                  {"Bounds", std::to_string(b.Left) + ',' + std::to_string(b.Top) + ',' + std::to_string(b.Width) +
                                 ',' + std::to_string(b.Height)},
                  {"Tag", std::to_string(control.Tag)},
                  {"Hint", control.Hint}};
  control.DescribeState(state);
  std::string text;
  for (const auto& [key, value] : state) text += key + '=' + value + '\n';
  return text;
}

// Goes where a real click goes: to the window under the control's centre,
// which hit-tests its windowless controls itself.
void Click(const Control& control) {
  if (!control.Visible() || !control.Enabled()) throw sv::Exception(control.Name() + " is hidden or disabled");
  HWND window = control.Handle();
  int x = 0;
  int y = 0;
  if (window) {
    RECT client{};
    GetClientRect(window, &client);
    x = client.right / 2;
    y = client.bottom / 2;
  } else {
    if (!control.Parent()) throw sv::Exception(control.Name() + " has no parent");
    window = control.Parent()->Handle();
    x = control.Left() + control.Width() / 2;
    y = control.Top() + control.Height() / 2;
  }
  LPARAM point = MAKELPARAM(x, y);
  PostMessageW(window, WM_MOUSEMOVE, 0, point);
  PostMessageW(window, WM_LBUTTONDOWN, MK_LBUTTON, point);
  PostMessageW(window, WM_LBUTTONUP, 0, point);
}

// Files dropped on a form as the shell drops them: a DROPFILES block that
// the form's WM_DROPFILES handler frees with DragFinish.
void Drop(const Control& form, const std::vector<std::string>& paths) {
  if (!form.Handle()) throw sv::Exception(form.Name() + " has no window");
  std::wstring names;
  for (const std::string& path : paths) names += widen(path) + L'\0';
  names += L'\0';
  const std::size_t bytes = sizeof(DROPFILES) + names.size() * sizeof(wchar_t);
  HGLOBAL memory = GlobalAlloc(GHND, bytes);
  if (!memory) throw sv::Exception("no memory for the dropped names");
  auto* block = static_cast<DROPFILES*>(GlobalLock(memory));
  block->pFiles = sizeof(DROPFILES);
  block->fWide = TRUE;
  std::memcpy(reinterpret_cast<char*>(block) + sizeof(DROPFILES), names.data(), names.size() * sizeof(wchar_t));
  GlobalUnlock(memory);
  if (!PostMessageW(form.Handle(), WM_DROPFILES, reinterpret_cast<WPARAM>(memory), 0)) {
    GlobalFree(memory);
    throw sv::Exception("the drop could not be posted");
  }
}

void Capture(const Control& control, const std::string& path) {
  HWND window = control.Handle();
  RECT area{};
  if (window) {
    GetClientRect(window, &area);
  } else {
    if (!control.Parent()) throw sv::Exception(control.Name() + " has no parent");
    window = control.Parent()->Handle();
    area = {control.Left(), control.Top(), control.Left() + control.Width(), control.Top() + control.Height()};
  }
  SaveBmp(CaptureClientArea(window, area), path);
}

// The items of an open menu, one line each as the menu holds them ("-" for a
// separator). A menu handle is good only inside its own process, so the
// driver gets it from the menu window (MN_GETHMENU) and asks here.
std::string MenuItems(const std::string& key) {
  if (key.size() < 2 || key[0] != '#') throw sv::Exception("missing menu handle");
  auto* menu = reinterpret_cast<HMENU>(static_cast<UINT_PTR>(std::strtoull(key.c_str() + 1, nullptr, 10)));
  const int count = GetMenuItemCount(menu);
  if (count < 0) throw sv::Exception("no menu " + key);
  std::string lines;
  for (int i = 0; i < count; ++i) {
    MENUITEMINFOW info{};
    info.cbSize = sizeof(info);
    info.fMask = MIIM_FTYPE | MIIM_STRING;
    if (!GetMenuItemInfoW(menu, static_cast<UINT>(i), TRUE, &info)) throw sv::Exception("unreadable menu item");
    if (info.fType & MFT_SEPARATOR) {
      lines += "-\n";
      continue;
    }
    std::wstring caption(info.cch + 1, L'\0');
    info.dwTypeData = caption.data();
    info.cch += 1;
    if (!GetMenuItemInfoW(menu, static_cast<UINT>(i), TRUE, &info)) throw sv::Exception("unreadable menu item");
    caption.resize(info.cch);
    lines += narrow(caption) + '\n';
  }
  return lines;
}

}  // namespace

AutomationChannel::AutomationChannel(TApplication& application)
    : application_(application), hook_(application.HookMainWindow([this](WindowMessage& m) { return OnMessage(m); })) {}

AutomationChannel::~AutomationChannel() { application_.UnhookMainWindow(hook_); }

bool AutomationChannel::OnMessage(WindowMessage& message) {
  if (message.Msg != WM_COPYDATA) return false;
  const auto* data = reinterpret_cast<const COPYDATASTRUCT*>(message.LParam);
  if (!data || data->dwData != kAutomationRequest) return false;
  std::string request(static_cast<const char*>(data->lpData), data->cbData);
  std::string reply;
  bool ok = Answer(request, reply);
  auto replyWindow = reinterpret_cast<HWND>(message.WParam);
  if (replyWindow && IsWindow(replyWindow)) {
    COPYDATASTRUCT answer{kAutomationReply, static_cast<DWORD>(reply.size()), reply.data()};
    SendMessageW(replyWindow, WM_COPYDATA, reinterpret_cast<WPARAM>(application_.Handle()),
                 reinterpret_cast<LPARAM>(&answer));
  }
  message.Result = ok ? 1 : 0;
  return true;
}

bool AutomationChannel::Answer(const std::string& request, std::string& reply) {
  try {
    std::vector<std::string> fields = SplitFields(request);
    const std::string& command = fields[0];
    if (command == "menu") {
      reply = MenuItems(fields.size() > 1 ? fields[1] : std::string());
      return true;
    }
    Target target = Resolve(application_, fields);
    if (command == "list") {
      std::ostringstream out;
      ListDeep(*target.form, out);
      reply = out.str();
    } else if (command == "caption") {
      reply = target.control->Caption();
    } else if (command == "state") {
      reply = DescribeState(*target.control);
    } else if (command == "click") {
      Click(*target.control);
      reply = "ok";
    } else if (command == "drop") {
      Drop(*target.control, std::vector<std::string>(fields.begin() + std::min<std::size_t>(3, fields.size()), fields.end()));
      reply = "ok";
    } else if (command == "capture") {
      if (fields.size() < 4 || fields[3].empty()) throw sv::Exception("missing file name");
      Capture(*target.control, fields[3]);
      reply = "ok";
    } else {
      throw sv::Exception("unknown request " + command);
    }
    return true;
  } catch (const std::exception& e) {
    reply = e.what();
    return false;
  }
}

}  // namespace forms
