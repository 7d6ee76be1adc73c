// RunTool on Windows: CreateProcessW with three pipes (or a file as standard input); both outputs
// are drained by threads of their own while standard input is written, so that no side waits on a
// full pipe.
#include "tests/support/tool_process.hpp"

#include <windows.h>

#include <algorithm>
#include <map>
#include <stdexcept>
#include <string>
#include <thread>

#include "hostseal/common/utf8.hpp"

namespace hostseal::testing {

namespace {

std::wstring Wide(std::string_view utf8) {
  const std::u16string text = FromUtf8(utf8);
  return std::wstring(text.begin(), text.end());
}

std::string Upper(std::wstring_view name) {
  std::string out;
  for (const wchar_t c : name) out += static_cast<char>(c >= L'a' && c <= L'z' ? c - 32 : c);
  return out;
}

class Handle {
 public:
  Handle() = default;
  explicit Handle(HANDLE handle) : m_Handle(handle) {}
  ~Handle() { Reset(); }
  Handle(const Handle&) = delete;
  Handle& operator=(const Handle&) = delete;
  HANDLE Get() const { return m_Handle; }
  HANDLE* Out() { return &m_Handle; }
  void Reset() {
    if (m_Handle != nullptr && m_Handle != INVALID_HANDLE_VALUE) ::CloseHandle(m_Handle);
    m_Handle = nullptr;
  }

 private:
  HANDLE m_Handle = nullptr;
};

void Check(bool ok, const char* what) {
  if (!ok)
    throw std::runtime_error(std::string(what) + " failed: " + std::to_string(::GetLastError()));
}

// A pipe whose child end is inherited and whose parent end is not.
void MakePipe(Handle& parent, Handle& child, bool childReads) {
  SECURITY_ATTRIBUTES inherit{sizeof(SECURITY_ATTRIBUTES), nullptr, TRUE};
  Handle read, write;
  Check(::CreatePipe(read.Out(), write.Out(), &inherit, 0) != 0, "CreatePipe");
  Handle& parentEnd = childReads ? write : read;
  Check(::SetHandleInformation(parentEnd.Get(), HANDLE_FLAG_INHERIT, 0) != 0,
        "SetHandleInformation");
  std::swap(*parent.Out(), *(childReads ? write : read).Out());
  std::swap(*child.Out(), *(childReads ? read : write).Out());
}

// One argument quoted for the command line as the C runtime and CommandLineToArgvW read it.
std::wstring Quoted(const std::wstring& argument) {
  if (!argument.empty() && argument.find_first_of(L" \t\"") == std::wstring::npos) return argument;
  std::wstring out = L"\"";
  std::size_t backslashes = 0;
  for (const wchar_t c : argument) {
    if (c == L'\\') {
      ++backslashes;
      continue;
    }
    out.append(c == L'"' ? backslashes * 2 + 1 : backslashes, L'\\');
    backslashes = 0;
    out += c;
  }
  out.append(backslashes * 2, L'\\');
  return out + L"\"";
}

std::wstring Environment(const ToolRun& run) {
  std::map<std::string, std::wstring> variables;  // by upper-case name
  if (wchar_t* block = ::GetEnvironmentStringsW(); block != nullptr) {
    for (const wchar_t* entry = block; *entry != L'\0'; entry += std::wcslen(entry) + 1) {
      const std::wstring_view text(entry);
      const std::size_t equals = text.find(L'=', 1);
      if (equals == std::wstring_view::npos) continue;
      const std::string name = Upper(text.substr(0, equals));
      if (name.rfind("HOSTSEAL_", 0) == 0 || name == "NO_COLOR" || name == "TERM") continue;
      variables[name] = std::wstring(text);
    }
    ::FreeEnvironmentStringsW(block);
  }
  for (const auto& [name, value] : run.environment) {
    variables[Upper(Wide(name))] = Wide(name) + L"=" + Wide(value);
  }
  std::wstring block;
  for (const auto& [name, entry] : variables) block += entry + L'\0';
  return block + L'\0';
}

void Drain(HANDLE pipe, std::string& into) {
  char buffer[4096];
  DWORD n = 0;
  while (::ReadFile(pipe, buffer, sizeof buffer, &n, nullptr) != 0 && n != 0)
    into.append(buffer, n);
}

}  // namespace

ToolResult RunTool(const std::string& program, const ToolRun& run) {
  return RunTool(program, run, {});
}

ToolResult RunTool(const std::string& program, const ToolRun& run, const std::string& inputFile) {
  std::string path = program;
  if (!path.empty() && path[0] == '/') path = "Z:" + path;
  std::replace(path.begin(), path.end(), '/', '\\');
  std::wstring commandLine = Quoted(Wide(path));
  for (const std::string& argument : run.arguments) commandLine += L" " + Quoted(Wide(argument));

  Handle inParent, inChild, outParent, outChild, errParent, errChild;
  if (inputFile.empty()) {
    MakePipe(inParent, inChild, true);
  } else {
    SECURITY_ATTRIBUTES inherit{sizeof(SECURITY_ATTRIBUTES), nullptr, TRUE};
    *inChild.Out() = ::CreateFileW(Wide(inputFile).c_str(), GENERIC_READ,
                                   FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, &inherit,
                                   OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    Check(inChild.Get() != INVALID_HANDLE_VALUE, "CreateFileW");
  }
  MakePipe(outParent, outChild, false);
  MakePipe(errParent, errChild, false);
  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  startup.dwFlags = STARTF_USESTDHANDLES;
  startup.hStdInput = inChild.Get();
  startup.hStdOutput = outChild.Get();
  startup.hStdError = errChild.Get();
  std::wstring environment = Environment(run);
  PROCESS_INFORMATION process{};
  Check(::CreateProcessW(Wide(path).c_str(), commandLine.data(), nullptr, nullptr, TRUE,
                         CREATE_UNICODE_ENVIRONMENT | CREATE_NO_WINDOW, environment.data(), nullptr,
                         &startup, &process) != 0,
        "CreateProcessW");
  const Handle processHandle(process.hProcess);
  const Handle threadHandle(process.hThread);
  inChild.Reset();
  outChild.Reset();
  errChild.Reset();

  ToolResult result;
  std::thread outReader(Drain, outParent.Get(), std::ref(result.out));
  std::thread errReader(Drain, errParent.Get(), std::ref(result.err));
  std::string_view input = inputFile.empty() ? std::string_view(run.input) : "";
  while (!input.empty()) {
    DWORD n = 0;
    const DWORD chunk = static_cast<DWORD>(std::min<std::size_t>(input.size(), 65536));
    if (::WriteFile(inParent.Get(), input.data(), chunk, &n, nullptr) == 0)
      break;  // it stopped reading
    input.remove_prefix(n);
  }
  inParent.Reset();
  outReader.join();
  errReader.join();
  ::WaitForSingleObject(process.hProcess, INFINITE);
  DWORD status = 0;
  Check(::GetExitCodeProcess(process.hProcess, &status) != 0, "GetExitCodeProcess");
  result.status = static_cast<int>(status);
  return result;
}

}  // namespace hostseal::testing
