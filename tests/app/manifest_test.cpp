// Lumaroo.exe's application manifest as built: the resource is printed, its entries are checked,
// and Windows (here Wine) is asked what it makes of it: run level, supported systems and the
// common controls it binds.
#include <windows.h>

#include <gtest/gtest.h>
#include <tinyxml2.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

namespace vl {
namespace {

const wchar_t kProgram[] = L"" VL_LUMAROO_EXE;

// Windows 7, 8, 8.1, and 10 / 11.
const wchar_t* const kSupportedOs[] = {
    L"{35138b9a-5d96-4fbd-8e2d-a2440225f93a}", L"{4a2f28e3-53b9-4441-ba9c-d69d4a4a6e38}",
    L"{1f676c76-80e1-4239-95bb-83d0f6d0da78}", L"{8e0f7a12-bfb3-4fe8-b9a5-48fd50a15a9a}"};

// The RT_MANIFEST resource 1 of the program file, or "" when it has none.
std::string ManifestResource() {
  HMODULE program = LoadLibraryExW(kProgram, nullptr, LOAD_LIBRARY_AS_DATAFILE);
  if (!program) return {};
  std::string text;
  if (HRSRC found = FindResourceA(program, MAKEINTRESOURCEA(1), MAKEINTRESOURCEA(24))) {
    if (HGLOBAL loaded = LoadResource(program, found)) {
      const char* bytes = static_cast<const char*>(LockResource(loaded));
      if (bytes) text.assign(bytes, SizeofResource(program, found));
    }
  }
  FreeLibrary(program);
  return text;
}

// The first element named `name` (without its namespace prefix) anywhere below `parent`.
const tinyxml2::XMLElement* Find(const tinyxml2::XMLElement* parent, const char* name) {
  for (const tinyxml2::XMLElement* e = parent->FirstChildElement(); e;
       e = e->NextSiblingElement()) {
    const char* local = std::strchr(e->Name(), ':');
    if (std::strcmp(local ? local + 1 : e->Name(), name) == 0) return e;
    if (const tinyxml2::XMLElement* below = Find(e, name)) return below;
  }
  return nullptr;
}

std::string Attribute(const tinyxml2::XMLElement* e, const char* name) {
  const char* value = e ? e->Attribute(name) : nullptr;
  return value ? value : "";
}

TEST(ProgramManifest, AsBuiltAndAsTheSystemReadsIt) {
  const std::string manifest = ManifestResource();
  ASSERT_FALSE(manifest.empty()) << kProgram << " carries no manifest";
  std::printf("%s\n", manifest.c_str());

  tinyxml2::XMLDocument doc;
  ASSERT_EQ(doc.Parse(manifest.data(), manifest.size()), tinyxml2::XML_SUCCESS);
  const tinyxml2::XMLElement* root = doc.RootElement();
  ASSERT_NE(root, nullptr);
  EXPECT_EQ(Attribute(root, "manifestVersion"), "1.0");

  // The run level and the supported systems are checked as the system reads them (below).
  const tinyxml2::XMLElement* controls = Find(Find(root, "dependency"), "assemblyIdentity");
  EXPECT_EQ(Attribute(controls, "name"), "Microsoft.Windows.Common-Controls");
  EXPECT_EQ(Attribute(controls, "version"), "6.0.0.0");
  EXPECT_EQ(Attribute(controls, "publicKeyToken"), "6595b64144ccf1df");

  const tinyxml2::XMLElement* aware = Find(root, "dpiAware");
  ASSERT_NE(aware, nullptr) << "no stated DPI choice";
  EXPECT_STREQ(aware->GetText(), "false");
  const tinyxml2::XMLElement* awareness = Find(root, "dpiAwareness");
  ASSERT_NE(awareness, nullptr);
  EXPECT_STREQ(awareness->GetText(), "unaware");

  // The system's reading: run level, supported systems, common controls 6.
  ACTCTXW request = {};
  request.cbSize = sizeof request;
  request.dwFlags = ACTCTX_FLAG_RESOURCE_NAME_VALID;
  request.lpSource = kProgram;
  request.lpResourceName = MAKEINTRESOURCEW(1);
  const HANDLE context = CreateActCtxW(&request);
  ASSERT_NE(context, INVALID_HANDLE_VALUE) << "the system refuses the manifest: " << GetLastError();
  auto query = [&](ULONG info_class) {
    SIZE_T size = 0;
    QueryActCtxW(0, context, nullptr, info_class, nullptr, 0, &size);
    std::vector<unsigned char> bytes(size);
    if (size == 0 || !QueryActCtxW(0, context, nullptr, info_class, bytes.data(), size, &size))
      bytes.clear();
    return bytes;
  };
  const std::vector<unsigned char> run = query(RunlevelInformationInActivationContext);
  ASSERT_GE(run.size(), sizeof(ACTIVATION_CONTEXT_RUN_LEVEL_INFORMATION));
  const auto* level = reinterpret_cast<const ACTIVATION_CONTEXT_RUN_LEVEL_INFORMATION*>(run.data());
  EXPECT_EQ(level->RunLevel, ACTCTX_RUN_LEVEL_AS_INVOKER);
  EXPECT_EQ(level->UiAccess, 0u);

  // Each supported system's GUID, as the system lists it (the element layout differs between
  // versions of the headers, the GUIDs' bytes do not).
  const std::vector<unsigned char> compat = query(CompatibilityInformationInActivationContext);
  ASSERT_FALSE(compat.empty());
  EXPECT_EQ(reinterpret_cast<const ACTIVATION_CONTEXT_COMPATIBILITY_INFORMATION*>(compat.data())
                ->ElementCount,
            4u);
  for (const wchar_t* id : kSupportedOs) {
    GUID guid;
    ASSERT_EQ(CLSIDFromString(id, &guid), NOERROR) << id;
    const auto* g = reinterpret_cast<const unsigned char*>(&guid);
    EXPECT_NE(std::search(compat.begin(), compat.end(), g, g + sizeof guid), compat.end()) << id;
  }

  // With the program's context active, the loader sends "comctl32.dll" to the side-by-side
  // assembly of common controls 6 (a context without the dependency redirects nothing). Asking
  // the loaded module for its version tells nothing here: a process that already holds the
  // system's comctl32 keeps being handed that module.
  ULONG_PTR cookie = 0;
  ASSERT_TRUE(ActivateActCtx(context, &cookie));
  ACTCTX_SECTION_KEYED_DATA data = {};
  data.cbSize = sizeof data;
  const BOOL redirected =
      FindActCtxSectionStringW(FIND_ACTCTX_SECTION_KEY_RETURN_HACTCTX, nullptr,
                               ACTIVATION_CONTEXT_SECTION_DLL_REDIRECTION, L"comctl32.dll", &data);
  DeactivateActCtx(0, cookie);
  EXPECT_TRUE(redirected);
  EXPECT_EQ(data.hActCtx, context);
  if (data.hActCtx) ReleaseActCtx(data.hActCtx);
  ReleaseActCtx(context);
}

}  // namespace
}  // namespace vl
