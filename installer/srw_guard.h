#pragma once
// SrwGuard: holds a slim reader/writer lock exclusively for as long as it lives.

#include <windows.h>

class SrwGuard {
public:
  explicit SrwGuard(SRWLOCK& lock) : m_lock(lock) { ::AcquireSRWLockExclusive(&m_lock); }
  ~SrwGuard() { ::ReleaseSRWLockExclusive(&m_lock); }
  SrwGuard(const SrwGuard&) = delete;
  SrwGuard& operator=(const SrwGuard&) = delete;

private:
  SRWLOCK& m_lock;
};
