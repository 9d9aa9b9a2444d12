#include <iostream>
#include <string>
#include <vector>

#include "core/termination.h"
#include "maps/run_map.h"

int main(int argc, char** argv) {
  // A signal while maps are written stops before they are put in place, without temporaries.
  kadre::catch_termination_signals();
  const int status = kadre::run_map(std::vector<std::string>(argv + 1, argv + argc), std::cout);
  if (const int signal = kadre::termination_signal(); signal != 0) {
    std::cout.flush();
    kadre::end_by_signal(signal);
  }
  return status;
}
