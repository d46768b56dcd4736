// A stand-in installer for the update tests: records its command line in "<program>.ran" beside
// itself and ends.
#include <windows.h>

#include <fstream>
#include <string>

int main() {
  char path[MAX_PATH] = {};
  GetModuleFileNameA(nullptr, path, MAX_PATH);
  std::ofstream(std::string(path) + ".ran", std::ios::binary) << GetCommandLineA();
  return 0;
}
