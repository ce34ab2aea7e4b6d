#pragma once
// The tree's local vendor server (tools/vendor/vendor_server.py, started by the ctest fixture
// "vendor"), steered from a Windows-side test through its state folder: control.json picks
// the behaviour of the next request, requests.jsonl tells what the server saw. The folder's
// host path comes in INKVANE_VENDOR_STATE; Wine shows it under a DOS path.

#include <cstdint>
#include <string>
#include <vector>

class VendorControl {
public:
  VendorControl();

  // Empty when the server's state folder is usable; otherwise what is wrong.
  const std::string& Problem() const { return m_problem; }

  // Replaces the server's behaviour: the members of control.json, e.g. R"("status": 404)".
  // Empty: healthy.
  void Set(const std::string& members) const;

  // Writes `bytes` as the file `name` in the state folder and returns the control.json
  // members that serve it as the package.
  std::string ServeFile(const std::string& name, const std::string& bytes) const;
  std::wstring DosPath(const std::string& name) const;

  // The log lines of the package requests so far, oldest first.
  std::vector<std::string> PackageRequests() const;

private:
  std::string m_hostState;   // the state folder as the server sees it
  std::wstring m_dosState;   // ... and as this process does
  std::string m_problem;
};

// A host path as this process names it (Wine's own conversion); empty when it has none.
std::wstring DosPathOfHostPath(const std::string& hostPath);

// `size` bytes that depend on `seed`: a package whose every byte counts.
std::string TestBytes(std::size_t size, std::uint32_t seed);

// The file's content, or nothing (with `exists` false) when it cannot be read.
std::string ReadWholeFile(const std::wstring& path, bool* exists = nullptr);

// True when both files exist and hold the same bytes; compared a block at a time.
bool SameFileContents(const std::wstring& a, const std::wstring& b);
