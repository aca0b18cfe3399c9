#include "tests/support/AutomationClient.h"

#include <stdexcept>

#include "forms/Automation.h"

namespace svtest {

namespace {
const wchar_t kClassName[] = L"SorivanelAutomationDriver";
}

AutomationClient::AutomationClient() {
  static const bool registered = [] {
    WNDCLASSEXW wc{};
    wc.cbSize = sizeof(wc);
    wc.lpfnWndProc = &AutomationClient::Procedure;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.lpszClassName = kClassName;
    return RegisterClassExW(&wc) != 0;
  }();
  (void)registered;
  window_ =
      CreateWindowExW(0, kClassName, L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, GetModuleHandleW(nullptr), nullptr);
  if (!window_) throw std::runtime_error("Cannot make the automation driver's window");
  SetWindowLongPtrW(window_, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
}

AutomationClient::~AutomationClient() { DestroyWindow(window_); }

LRESULT CALLBACK AutomationClient::Procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  auto* self = reinterpret_cast<AutomationClient*>(GetWindowLongPtrW(window, GWLP_USERDATA));
  if (self && message == WM_COPYDATA) {
    const auto* data = reinterpret_cast<const COPYDATASTRUCT*>(lParam);
    if (data && data->dwData == forms::kAutomationReply) {
      self->reply_ = std::string(static_cast<const char*>(data->lpData), data->cbData);
      if (self->WhileReplying) self->WhileReplying(*self->reply_);
      return 1;
    }
  }
  return DefWindowProcW(window, message, wParam, lParam);
}

std::optional<AutomationReply> AutomationClient::Request(HWND applicationWindow, const std::vector<std::string>& fields,
                                                         DWORD timeoutMs) {
  std::string request;
  for (const std::string& field : fields) request += (request.empty() ? "" : "\t") + field;
  COPYDATASTRUCT data{forms::kAutomationRequest, static_cast<DWORD>(request.size()), request.data()};
  reply_.reset();
  DWORD_PTR result = 0;
  if (!SendMessageTimeoutW(applicationWindow, WM_COPYDATA, reinterpret_cast<WPARAM>(window_),
                           reinterpret_cast<LPARAM>(&data), SMTO_NORMAL, timeoutMs, &result))
    return std::nullopt;
  if (!reply_) return std::nullopt;
  return AutomationReply{result == 1, *reply_};
}

std::vector<std::string> AutomationClient::ComponentNames(HWND applicationWindow, const std::string& form) {
  std::vector<std::string> names;
  auto reply = Request(applicationWindow, {"list", form});
  if (!reply || !reply->ok) return names;
  std::size_t start = 0;
  while (start < reply->text.size()) {
    std::size_t end = reply->text.find('\n', start);
    if (end == std::string::npos) end = reply->text.size();
    std::string line = reply->text.substr(start, end - start);
    names.push_back(line.substr(0, line.find('\t')));
    start = end + 1;
  }
  return names;
}

}  // namespace svtest
