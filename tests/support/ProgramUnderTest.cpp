#include "tests/support/ProgramUnderTest.h"

#include <gtest/gtest.h>

#include <map>
#include <stdexcept>

#include "forms/Wide.h"
#include "tests/support/TempFolder.h"
#include "tests/support/WindowLookup.h"

namespace svtest {

namespace {

std::wstring QuoteArgument(const std::string& argument) {
  std::wstring wide = forms::widen(argument);
  if (!wide.empty() && wide.find_first_of(L" \t") == std::wstring::npos) return wide;
  return L"\"" + wide + L"\"";
}

// The current environment with the additions, as a CreateProcessW block.
std::wstring EnvironmentBlock(const std::vector<std::pair<std::string, std::string>>& additions) {
  std::map<std::wstring, std::wstring> variables;
  std::map<std::wstring, std::wstring> originalCase;
  auto upper = [](std::wstring s) {
    for (wchar_t& c : s) c = static_cast<wchar_t>(towupper(c));
    return s;
  };
  wchar_t* block = GetEnvironmentStringsW();
  for (const wchar_t* entry = block; *entry; entry += wcslen(entry) + 1) {
    std::wstring line = entry;
    std::size_t equals = line.find(L'=', 1);
    if (equals == std::wstring::npos) continue;
    std::wstring key = line.substr(0, equals);
    variables[upper(key)] = line.substr(equals + 1);
    originalCase[upper(key)] = key;
  }
  FreeEnvironmentStringsW(block);
  for (const auto& [key, value] : additions) {
    std::wstring wideKey = forms::widen(key);
    variables[upper(wideKey)] = forms::widen(value);
    originalCase[upper(wideKey)] = wideKey;
  }
  std::wstring result;
  for (const auto& [key, value] : variables) result += originalCase[key] + L"=" + value + L'\0';
  result += L'\0';
  return result;
}

}  // namespace

ProgramUnderTest::ProgramUnderTest(const std::filesystem::path& program, const std::vector<std::string>& arguments,
                                   LaunchOptions options) {
  std::wstring commandLine = L"\"" + program.wstring() + L"\"";
  for (const std::string& argument : arguments) commandLine += L" " + QuoteArgument(argument);
  std::wstring environment = EnvironmentBlock(options.environment);
  std::filesystem::path folder = options.workingFolder.empty() ? program.parent_path() : options.workingFolder;

  STARTUPINFOW startup{};
  startup.cb = sizeof(startup);
  HANDLE outputWrite = nullptr;
  if (options.captureOutput) {
    SECURITY_ATTRIBUTES inherit{sizeof(inherit), nullptr, TRUE};
    if (!CreatePipe(&outputRead_, &outputWrite, &inherit, 0)) throw std::runtime_error("Cannot make a pipe");
    SetHandleInformation(outputRead_, HANDLE_FLAG_INHERIT, 0);
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdOutput = outputWrite;
    startup.hStdError = outputWrite;
    startup.hStdInput = GetStdHandle(STD_INPUT_HANDLE);
  }
  PROCESS_INFORMATION info{};
  BOOL started = FALSE;
  DWORD error = 0;
  // On a heavily loaded machine Wine now and then fails a process start with
  // an internal error that a second attempt does not meet.
  for (int attempt = 0; attempt < 3 && !started; ++attempt) {
    if (attempt > 0) Sleep(500);
    started = CreateProcessW(program.wstring().c_str(), commandLine.data(), nullptr, nullptr, options.captureOutput,
                             CREATE_UNICODE_ENVIRONMENT, environment.data(), folder.wstring().c_str(), &startup,
                             &info);
    error = GetLastError();
    if (error != ERROR_INTERNAL_ERROR) break;
  }
  if (outputWrite) CloseHandle(outputWrite);
  if (!started) {
    if (outputRead_) CloseHandle(outputRead_);
    outputRead_ = nullptr;
    throw std::runtime_error("Cannot start " + PathToUtf8(program) + " (error " + std::to_string(error) + ")");
  }
  CloseHandle(info.hThread);
  process_ = info.hProcess;
  processId_ = info.dwProcessId;
  if (outputRead_) {
    outputReader_ = std::thread([this] {
      char buffer[4096];
      DWORD read = 0;
      while (ReadFile(outputRead_, buffer, sizeof(buffer), &read, nullptr) && read > 0) output_.append(buffer, read);
    });
  }
}

ProgramUnderTest::~ProgramUnderTest() {
  if (Running()) Kill();
  FinishOutput();
  if (process_) CloseHandle(process_);
}

bool ProgramUnderTest::Running() const { return process_ && WaitForSingleObject(process_, 0) == WAIT_TIMEOUT; }

bool ProgramUnderTest::WaitForExit(DWORD timeoutMs) {
  return WaitForSingleObject(process_, timeoutMs) == WAIT_OBJECT_0;
}

std::optional<DWORD> ProgramUnderTest::ExitCode() const {
  DWORD code = 0;
  if (Running() || !GetExitCodeProcess(process_, &code)) return std::nullopt;
  return code;
}

void ProgramUnderTest::Kill() {
  TerminateProcess(process_, 0xDEAD);
  WaitForSingleObject(process_, 5000);
}

void ProgramUnderTest::FinishOutput() {
  if (outputReader_.joinable()) outputReader_.join();
  if (outputRead_) CloseHandle(outputRead_);
  outputRead_ = nullptr;
}

std::string ProgramUnderTest::Output() {
  if (Running()) return {};
  FinishOutput();
  return output_;
}

HWND ProgramUnderTest::WaitForWindow(std::string_view className, std::string_view title, DWORD timeoutMs) const {
  return svtest::WaitForWindow(className, title, timeoutMs, processId_);
}

ProgramResult RunProgram(const std::filesystem::path& program, const std::vector<std::string>& arguments,
                         DWORD timeoutMs) {
  LaunchOptions options;
  options.captureOutput = true;
  ProgramUnderTest run(program, arguments, options);
  ProgramResult result;
  if (!run.WaitForExit(timeoutMs)) {
    ADD_FAILURE() << PathToUtf8(program) << " did not end within " << timeoutMs << " ms";
    run.Kill();
  }
  result.exitCode = run.ExitCode().value_or(0xDEAD);
  result.output = run.Output();
  return result;
}

ProgramResult RunProbe(const std::vector<std::string>& arguments, DWORD timeoutMs) {
  return RunProgram(BuiltFile("tests/support/sv_probe.exe"), arguments, timeoutMs);
}

}  // namespace svtest
