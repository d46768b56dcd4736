// The machine's wall clock in microseconds since 1970, as precise as the system gives it: the
// clock other processes of the machine (Windows or not) time their events with, so that the
// program's and the measuring tools' times compare directly.
#pragma once

#include <windows.h>

#include <cstdint>

namespace vl::win {

inline int64_t WallClockMicroseconds() {
  using Precise = void(WINAPI*)(FILETIME*);
  static const Precise precise = reinterpret_cast<Precise>(reinterpret_cast<void*>(
      GetProcAddress(GetModuleHandleA("kernel32.dll"), "GetSystemTimePreciseAsFileTime")));
  FILETIME ft;
  if (precise != nullptr)
    precise(&ft);
  else
    GetSystemTimeAsFileTime(&ft);
  const uint64_t ticks = (static_cast<uint64_t>(ft.dwHighDateTime) << 32) | ft.dwLowDateTime;
  return static_cast<int64_t>((ticks - 116444736000000000ULL) / 10);  // from 1601 to 1970
}

}  // namespace vl::win
