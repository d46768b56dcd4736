// A stand-in installer for the update tests: records its command line in "<program>.ran" beside
// itself and ends.
#include <windows.h>

#include <cstdio>
#include <string>

int main() {
  char path[MAX_PATH] = {};
  GetModuleFileNameA(nullptr, path, MAX_PATH);
  const std::string record = std::string(path) + ".ran";
  if (FILE* f = std::fopen(record.c_str(), "wb")) {
    std::fputs(GetCommandLineA(), f);
    std::fclose(f);
  }
  return 0;
}
