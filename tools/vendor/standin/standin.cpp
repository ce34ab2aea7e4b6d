// A stand-in for the product package, for tests and the demo; never shipped.
//
// The installer saves it as "<download folder>\Quillomark.exe" and starts it with no
// command line. It then plays the package's side of the exchange: reads "Path" (and
// "Operation") from the product key, creates that folder, copies itself there as the
// launcher, and writes its progress into the progress file step by step. Started under the
// launcher's name, it only records that it was started.
//
// The installer passes no arguments, so the run it plays is fixed in the binary: the
// variant slot below, "VARIANT:PACING", which tools/vendor/standin_control.py rewrites in a copy.
//   VARIANT  normal           0, 5, 50, 99, 100, then exits
//            never-100        0, 5, 50, then stays
//            exit-early       0, 5, then exits (code 1)
//            uninstall-at-40  0, 5, 40, then sets "Operation" to the stop word, then stays
//            over-100         0, 5, 50, 150, then exits
//            garbage          "abc", "-5", "123456789012345678901234567890", then stays
//            instant-100      100 at once, then exits
//   PACING   ack              after each step, waits until the test acknowledges it (the
//                             ack file beside it holds a count of at least that step's
//                             number; "quit" ends the run); gives up after 2 minutes
//            paceN            N milliseconds after each step; staying lasts one minute
// Nothing waits after the last step of a variant that exits, so no stand-in outlives its
// run; a run that stays ends on one more acknowledgement, or on "quit".
//
// Files beside it (all UTF-8):
//   standin-report.jsonl   appended: one JSON object per event (start, registry, installed,
//                          wrote, stop_word, held, end), each with time_ms (Unix epoch)
//   standin-ack.txt        written by the test: the steps it has seen, or "quit"; deleted
//                          when a run starts
// and in the install folder, by the launcher copy: launcher-started.jsonl (its command line,
// its parent process and the desktop's, its working folder).

#include <windows.h>

#include <climits>
#include <memory>
#include <string>
#include <string_view>
#include <type_traits>
#include <vector>

#include "installer/package_contract.h"
#include "tools/vendor/process_origin.h"

namespace {

namespace pc = package_contract;

// The tag is followed by the NUL-padded text "VARIANT:PACING"; the whole slot is 64 bytes.
// volatile: read at run time, never folded into the code by the compiler.
__attribute__((used)) volatile const char kVariantSlot[64] = "INKVANE-STANDIN-VARIANT=normal:pace1000";
constexpr size_t kVariantTagLength = sizeof("INKVANE-STANDIN-VARIANT=") - 1;

constexpr wchar_t kReportName[] = L"standin-report.jsonl";
constexpr wchar_t kAckName[] = L"standin-ack.txt";
constexpr wchar_t kLauncherReportName[] = L"launcher-started.jsonl";
constexpr DWORD kAckTimeoutMs = 120'000;
constexpr DWORD kPacedStayMs = 60'000;

enum class Ending { kExit, kExitEarly, kStay };

struct Step {
  const wchar_t* progress;  // written to the progress file; nullptr: set the stop word
};

struct Variant {
  std::string_view name;
  std::vector<Step> steps;
  Ending ending;
};

const Variant kVariants[] = {
    {"normal", {{L"0"}, {L"5"}, {L"50"}, {L"99"}, {L"100"}}, Ending::kExit},
    {"never-100", {{L"0"}, {L"5"}, {L"50"}}, Ending::kStay},
    {"exit-early", {{L"0"}, {L"5"}}, Ending::kExitEarly},
    {"uninstall-at-40", {{L"0"}, {L"5"}, {L"40"}, {nullptr}}, Ending::kStay},
    {"over-100", {{L"0"}, {L"5"}, {L"50"}, {L"150"}}, Ending::kExit},
    {"garbage", {{L"abc"}, {L"-5"}, {L"123456789012345678901234567890"}}, Ending::kStay},
    {"instant-100", {{L"100"}}, Ending::kExit},
};

enum ExitCode : int { kDone = 0, kExitedEarly = 1, kBadVariant = 2, kQuit = 3, kAckTimeout = 4 };

struct HandleCloser {
  void operator()(HANDLE handle) const noexcept { ::CloseHandle(handle); }
};
using UniqueHandle = std::unique_ptr<std::remove_pointer_t<HANDLE>, HandleCloser>;

struct KeyCloser {
  void operator()(HKEY key) const noexcept { ::RegCloseKey(key); }
};
using UniqueKey = std::unique_ptr<std::remove_pointer_t<HKEY>, KeyCloser>;

UniqueHandle OpenFile(const std::wstring& path, DWORD access, DWORD disposition) {
  HANDLE file = ::CreateFileW(path.c_str(), access,
                              FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                              disposition, FILE_ATTRIBUTE_NORMAL, nullptr);
  return UniqueHandle(file == INVALID_HANDLE_VALUE ? nullptr : file);
}

std::string Utf8(std::wstring_view text) {
  if (text.empty()) return {};
  const int size = ::WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()),
                                         nullptr, 0, nullptr, nullptr);
  std::string out(size, '\0');
  ::WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), out.data(), size,
                        nullptr, nullptr);
  return out;
}

long long NowMs() {
  FILETIME now;
  ::GetSystemTimeAsFileTime(&now);
  const unsigned long long ticks = (static_cast<unsigned long long>(now.dwHighDateTime) << 32) |
                                   now.dwLowDateTime;
  return static_cast<long long>((ticks - 116444736000000000ULL) / 10000);
}

// One JSON object on one line.
class JsonLine {
 public:
  explicit JsonLine(std::string_view event) {
    m_text = "{\"event\":\"" + std::string(event) + "\"";
    Int("time_ms", NowMs());
  }
  JsonLine& Str(std::string_view key, std::wstring_view value) {
    Key(key);
    m_text += '"';
    for (const char c : Utf8(value)) {
      if (c == '"' || c == '\\') {
        m_text += '\\';
        m_text += c;
      } else if (static_cast<unsigned char>(c) < 0x20) {
        static constexpr char kHex[] = "0123456789abcdef";
        m_text += "\\u00";
        m_text += kHex[(c >> 4) & 0xF];
        m_text += kHex[c & 0xF];
      } else {
        m_text += c;
      }
    }
    m_text += '"';
    return *this;
  }
  JsonLine& Str(std::string_view key, std::string_view ascii) {
    return Str(key, std::wstring(ascii.begin(), ascii.end()));
  }
  JsonLine& Int(std::string_view key, long long value) {
    Key(key);
    m_text += std::to_string(value);
    return *this;
  }
  JsonLine& Bool(std::string_view key, bool value) {
    Key(key);
    m_text += value ? "true" : "false";
    return *this;
  }
  JsonLine& Null(std::string_view key) {
    Key(key);
    m_text += "null";
    return *this;
  }
  std::string Text() const { return m_text + "}\n"; }

 private:
  void Key(std::string_view key) {
    m_text += ",\"";
    m_text += key;
    m_text += "\":";
  }
  std::string m_text;
};

// Appends lines to a file that tests read (and may delete) while this program runs.
class Journal {
 public:
  explicit Journal(const std::wstring& path)
      : m_file(OpenFile(path, FILE_APPEND_DATA, OPEN_ALWAYS)) {}
  void Write(const JsonLine& line) const {
    if (!m_file) return;
    const std::string text = line.Text();
    DWORD written = 0;
    ::WriteFile(m_file.get(), text.data(), static_cast<DWORD>(text.size()), &written, nullptr);
  }

 private:
  UniqueHandle m_file;
};

std::wstring ModulePath() {
  std::wstring path(MAX_PATH, L'\0');
  for (;;) {
    const DWORD length = ::GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
    if (length < path.size()) {
      path.resize(length);
      return path;
    }
    path.resize(path.size() * 2);
  }
}

std::wstring FolderOf(const std::wstring& path) { return path.substr(0, path.find_last_of(L'\\')); }

// What GetCommandLineW holds after the program name, leading blanks skipped, split as the
// C runtime splits it.
std::wstring_view ArgumentsOf(std::wstring_view commandLine) {
  size_t i = 0;
  if (!commandLine.empty() && commandLine[0] == L'"') {
    i = commandLine.find(L'"', 1);
    i = i == std::wstring_view::npos ? commandLine.size() : i + 1;
  } else {
    while (i < commandLine.size() && commandLine[i] != L' ' && commandLine[i] != L'\t') ++i;
  }
  while (i < commandLine.size() && (commandLine[i] == L' ' || commandLine[i] == L'\t')) ++i;
  return commandLine.substr(i);
}

std::wstring WorkingFolder() {
  std::wstring folder(MAX_PATH, L'\0');
  const DWORD length = ::GetCurrentDirectoryW(static_cast<DWORD>(folder.size()), folder.data());
  folder.resize(length < folder.size() ? length : 0);
  return folder;
}

JsonLine& AddCommandLine(JsonLine& line) {
  const std::wstring_view commandLine = ::GetCommandLineW();
  return line.Str("module", ModulePath())
      .Int("pid", ::GetCurrentProcessId())
      .Str("command_line", commandLine)
      .Str("arguments", ArgumentsOf(commandLine))
      .Str("working_folder", WorkingFolder());
}

struct RegistryText {
  bool present = false;
  DWORD type = 0;
  DWORD bytes = 0;
  std::wstring text;  // up to the first NUL
};

RegistryText ReadValue(HKEY key, const wchar_t* name) {
  RegistryText value;
  if (!key || ::RegQueryValueExW(key, name, nullptr, &value.type, nullptr, &value.bytes) != ERROR_SUCCESS)
    return value;
  std::vector<wchar_t> buffer(value.bytes / sizeof(wchar_t) + 1, L'\0');
  DWORD bytes = value.bytes;
  if (::RegQueryValueExW(key, name, nullptr, &value.type, reinterpret_cast<BYTE*>(buffer.data()),
                         &bytes) != ERROR_SUCCESS)
    return value;
  value.present = true;
  value.text = buffer.data();
  return value;
}

void AddValue(JsonLine& line, std::string_view name, const RegistryText& value) {
  if (!value.present) {
    line.Null(name);
    return;
  }
  line.Str(name, value.text)
      .Int(std::string(name) + "_type", value.type)
      .Int(std::string(name) + "_bytes", value.bytes);
}

// Creates a folder and every missing folder above it.
bool CreateFolders(const std::wstring& folder) {
  for (size_t i = folder.find_first_of(L"\\/", 3); i != std::wstring::npos;
       i = folder.find_first_of(L"\\/", i + 1))
    ::CreateDirectoryW(folder.substr(0, i).c_str(), nullptr);
  return ::CreateDirectoryW(folder.c_str(), nullptr) || ::GetLastError() == ERROR_ALREADY_EXISTS;
}

struct Pacing {
  bool ack = false;
  DWORD paceMs = 0;
};

bool ParseSlot(std::string_view slot, const Variant*& variant, Pacing& pacing) {
  const size_t colon = slot.find(':');
  if (colon == std::string_view::npos) return false;
  const std::string_view name = slot.substr(0, colon), mode = slot.substr(colon + 1);
  variant = nullptr;
  for (const Variant& v : kVariants)
    if (v.name == name) variant = &v;
  if (!variant) return false;
  if (mode == "ack") {
    pacing.ack = true;
    return true;
  }
  if (mode.substr(0, 4) != "pace" || mode.size() == 4 || mode.size() > 10) return false;
  for (const char c : mode.substr(4)) {
    if (c < '0' || c > '9') return false;
    pacing.paceMs = pacing.paceMs * 10 + (c - '0');
  }
  return true;
}

enum class Turn { kGo, kQuit, kTimeout };

// The test's acknowledgement: the count of steps it has seen, or "quit".
Turn ReadAck(const std::wstring& path, long long needed) {
  const UniqueHandle file = OpenFile(path, GENERIC_READ, OPEN_EXISTING);
  if (!file) return Turn::kTimeout;
  char text[32] = {};
  DWORD read = 0;
  ::ReadFile(file.get(), text, sizeof(text) - 1, &read, nullptr);
  const std::string_view ack(text, read);
  if (ack.substr(0, 4) == "quit") return Turn::kQuit;
  long long count = 0;
  for (size_t i = 0; i < ack.size() && ack[i] >= '0' && ack[i] <= '9' && count < 1'000'000; ++i)
    count = count * 10 + (ack[i] - '0');
  return count >= needed ? Turn::kGo : Turn::kTimeout;
}

// Waits for the test to acknowledge `needed` steps (ack pacing), or `paceMs` (paced);
// "quit" in the ack file ends either wait.
Turn WaitTurn(const std::wstring& ackPath, bool ack, long long needed, DWORD timeoutMs) {
  const ULONGLONG end = ::GetTickCount64() + timeoutMs;
  for (;;) {
    const Turn turn = ReadAck(ackPath, ack ? needed : LLONG_MAX);
    if (turn != Turn::kTimeout) return turn;
    if (::GetTickCount64() >= end) return ack ? Turn::kTimeout : Turn::kGo;
    ::Sleep(20);
  }
}

const char* TurnName(Turn turn) {
  return turn == Turn::kGo ? "go" : turn == Turn::kQuit ? "quit" : "timeout";
}

int RunLauncher(const std::wstring& folder) {
  const Journal journal(folder + L"\\" + kLauncherReportName);
  JsonLine line("launcher_started");
  const ProcessOrigin origin = OriginOfThisProcess();
  wchar_t workingFolder[MAX_PATH] = {};
  ::GetCurrentDirectoryW(MAX_PATH, workingFolder);
  AddCommandLine(line)
      .Str("parent", origin.parentImage)
      .Int("parent_pid", origin.parentId)
      .Int("desktop_pid", origin.desktopId)
      .Str("working_folder", std::wstring_view(workingFolder));
  journal.Write(line);
  return kDone;
}

int RunPackage(const std::wstring& folder) {
  const Journal report(folder + L"\\" + kReportName);
  const std::wstring ackPath = folder + L"\\" + kAckName;
  ::DeleteFileW(ackPath.c_str());

  std::string slot;
  for (size_t i = kVariantTagLength; i < sizeof(kVariantSlot) && kVariantSlot[i]; ++i)
    slot += kVariantSlot[i];
  const Variant* variant = nullptr;
  Pacing pacing;
  const bool known = ParseSlot(slot, variant, pacing);
  JsonLine start("start");
  AddCommandLine(start.Str("slot", slot));
  report.Write(start.Bool("known", known));
  if (!known) return kBadVariant;

  HKEY rawKey = nullptr;
  ::RegOpenKeyExW(HKEY_LOCAL_MACHINE, pc::kProductKey, 0, KEY_QUERY_VALUE, &rawKey);
  const UniqueKey key(rawKey);
  const RegistryText installFolder = ReadValue(key.get(), pc::kPathValue);
  JsonLine registry("registry");
  AddValue(registry, "path", installFolder);
  AddValue(registry, "operation", ReadValue(key.get(), pc::kOperationValue));
  report.Write(registry);

  if (installFolder.present && !installFolder.text.empty()) {
    const std::wstring launcher = installFolder.text + L"\\" + pc::kLauncherName;
    const bool created = CreateFolders(installFolder.text);
    const bool copied = ::CopyFileW(ModulePath().c_str(), launcher.c_str(), FALSE);
    const DWORD error = copied ? 0 : ::GetLastError();
    report.Write(JsonLine("installed")
                     .Str("launcher", launcher)
                     .Bool("folder_created", created)
                     .Bool("ok", copied)
                     .Int("error", error));
  }

  const std::wstring progressFolder = folder + L"\\" + pc::kProgressFolderName;
  const std::wstring progressFile = progressFolder + L"\\" + pc::kProgressFileName;
  const std::vector<Step>& steps = variant->steps;
  for (size_t i = 0; i < steps.size(); ++i) {
    if (steps[i].progress) {
      ::CreateDirectoryW(progressFolder.c_str(), nullptr);
      const bool ok = ::WritePrivateProfileStringW(pc::kProgressSection, pc::kProgressKey,
                                                   steps[i].progress, progressFile.c_str());
      report.Write(JsonLine("wrote").Str("value", steps[i].progress).Bool("ok", ok));
    } else {
      HKEY rawWritable = nullptr;
      LONG result = ::RegCreateKeyExW(HKEY_LOCAL_MACHINE, pc::kProductKey, 0, nullptr, 0,
                                      KEY_SET_VALUE, nullptr, &rawWritable, nullptr);
      const UniqueKey writable(rawWritable);
      if (result == ERROR_SUCCESS)
        result = ::RegSetValueExW(writable.get(), pc::kOperationValue, 0, REG_SZ,
                                  reinterpret_cast<const BYTE*>(pc::kStopWord), sizeof(pc::kStopWord));
      report.Write(JsonLine("stop_word").Str("value", pc::kStopWord).Bool("ok", result == ERROR_SUCCESS));
    }
    const bool last = i + 1 == steps.size();
    if (last && variant->ending == Ending::kExitEarly) {
      report.Write(JsonLine("end").Int("exit_code", kExitedEarly));
      return kExitedEarly;
    }
    if (last && variant->ending == Ending::kExit) break;
    const long long needed = static_cast<long long>(i) + 1 + (last ? 1 : 0);
    const DWORD waitMs = pacing.ack ? kAckTimeoutMs : last ? kPacedStayMs : pacing.paceMs;
    const Turn turn = WaitTurn(ackPath, pacing.ack, needed, waitMs);
    report.Write(JsonLine("held").Int("steps", needed).Str("turn", std::string_view(TurnName(turn))));
    // Staying ends however the wait ends; a step that is never acknowledged ends the run.
    const int code = turn == Turn::kQuit ? kQuit : turn == Turn::kTimeout && !last ? kAckTimeout : kDone;
    if (code != kDone || last) {
      report.Write(JsonLine("end").Int("exit_code", code));
      return code;
    }
  }
  report.Write(JsonLine("end").Int("exit_code", kDone));
  return kDone;
}

}  // namespace

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
  const std::wstring module = ModulePath();
  const std::wstring folder = FolderOf(module);
  const std::wstring name = module.substr(folder.size() + 1);
  if (::lstrcmpiW(name.c_str(), pc::kLauncherName) == 0) return RunLauncher(folder);
  return RunPackage(folder);
}
