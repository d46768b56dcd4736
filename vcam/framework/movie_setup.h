// The setup description a filter gives for registration with the filter mappers.
#pragma once

#include <windows.h>
#include <strmif.h>

#include <uuids.h>
#include <vfwmsgs.h>

namespace vl::vcam {

// Setup data of one filter: the same shape as the version-1 REGFILTER2 with the filter's
// identity added.
struct FilterSetup {
  const CLSID* clsid;
  const wchar_t* name;
  DWORD merit;
  UINT pin_count;
  const REGFILTERPINS* pins;
};

}  // namespace vl::vcam
