#include "vendor_control.h"

#include <windows.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "installer/package_contract.h"

namespace {

void WriteWholeFile(const std::wstring& path, const std::string& bytes) {
  std::ofstream out(std::filesystem::path(path), std::ios::binary | std::ios::trunc);
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

}  // namespace

std::wstring DosPathOfHostPath(const std::string& hostPath) {
  using Convert = WCHAR* (*)(const char*);
  const auto convert = reinterpret_cast<Convert>(reinterpret_cast<void*>(
      ::GetProcAddress(::GetModuleHandleW(L"kernel32.dll"), "wine_get_dos_file_name")));
  if (!convert) return {};
  WCHAR* const dos = convert(hostPath.c_str());
  if (!dos) return {};
  std::wstring path(dos);
  ::HeapFree(::GetProcessHeap(), 0, dos);
  return path;
}

VendorControl::VendorControl() {
  const char* state = std::getenv("INKVANE_VENDOR_STATE");
  if (!state || !*state) {
    m_problem = "INKVANE_VENDOR_STATE is not set: run these tests through ctest, whose "
                "fixture 'vendor' starts the server";
    return;
  }
  m_hostState = state;
  m_dosState = DosPathOfHostPath(m_hostState);
  if (m_dosState.empty() || ::GetFileAttributesW(DosPath("ports.json").c_str()) == INVALID_FILE_ATTRIBUTES)
    m_problem = "no vendor server is running with its state in " + m_hostState;
}

std::wstring VendorControl::DosPath(const std::string& name) const {
  return m_dosState + L"\\" + std::wstring(name.begin(), name.end());
}

void VendorControl::Set(const std::string& members) const {
  WriteWholeFile(DosPath("control.json.tmp"), "{" + members + "}");
  ::MoveFileExW(DosPath("control.json.tmp").c_str(), DosPath("control.json").c_str(),
                MOVEFILE_REPLACE_EXISTING);
}

std::string VendorControl::ServeFile(const std::string& name, const std::string& bytes) const {
  WriteWholeFile(DosPath(name), bytes);
  return R"("package": {"file": ")" + m_hostState + "/" + name + R"("})";
}

std::vector<std::string> VendorControl::PackageRequests() const {
  const std::wstring target = package_contract::kDownloadPathAndQuery;
  const std::string path(target.begin(), target.end());
  const std::string quoted = '"' + path + '"';
  const std::string moved = "\"/moved" + path + '"';
  std::vector<std::string> requests;
  std::istringstream log(ReadWholeFile(DosPath("requests.jsonl")));
  for (std::string line; std::getline(log, line);)
    if (line.find(quoted) != std::string::npos || line.find(moved) != std::string::npos)
      requests.push_back(line);
  return requests;
}

std::string TestBytes(std::size_t size, std::uint32_t seed) {
  std::string bytes(size, '\0');
  std::uint32_t x = seed * 2654435761u + 1;
  for (char& byte : bytes) {
    x ^= x << 13;
    x ^= x >> 17;
    x ^= x << 5;
    byte = static_cast<char>(x >> 24);
  }
  return bytes;
}

std::string ReadWholeFile(const std::wstring& path, bool* exists) {
  std::ifstream in(std::filesystem::path(path), std::ios::binary);
  if (exists) *exists = in.is_open();
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

bool SameFileContents(const std::wstring& a, const std::wstring& b) {
  std::ifstream first(std::filesystem::path(a), std::ios::binary);
  std::ifstream second(std::filesystem::path(b), std::ios::binary);
  if (!first.is_open() || !second.is_open()) return false;
  std::string blockA(1 << 20, '\0'), blockB(1 << 20, '\0');
  while (first && second) {
    first.read(blockA.data(), static_cast<std::streamsize>(blockA.size()));
    second.read(blockB.data(), static_cast<std::streamsize>(blockB.size()));
    if (first.gcount() != second.gcount() ||
        blockA.compare(0, static_cast<std::size_t>(first.gcount()), blockB, 0,
                       static_cast<std::size_t>(second.gcount())) != 0)
      return false;
  }
  return first.eof() && second.eof();
}
