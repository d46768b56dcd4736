// phonesim: the phone application's side of the stream protocol, for tests and demos.
#include <fstream>
#include <iostream>
#include <string>
#include <vector>

#include "tools/phonesim/phone_simulator.h"
#include "tools/phonesim/phonesim_options.h"

int main(int argc, char** argv) {
  using namespace vl::phonesim;
  Options options;
  std::string error;
  if (!ParseArguments(std::vector<std::string>(argv + 1, argv + argc), options, error)) {
    std::cerr << "phonesim: " << error << "\n";
    return 1;
  }
  if (options.show_help) {
    std::cout << HelpText();
    return 0;
  }
  std::ofstream file;
  std::ostream* log = &std::cout;
  if (!options.log_path.empty()) {
    file.open(options.log_path, std::ios::app);
    if (!file) {
      std::cerr << "phonesim: cannot write " << options.log_path << "\n";
      return 1;
    }
    log = &file;
  }
  PhoneSimulator sim(options, log);
  if (!sim.Listen(error)) {
    std::cerr << "phonesim: " << error << "\n";
    return 1;
  }
  return sim.Serve();
}
