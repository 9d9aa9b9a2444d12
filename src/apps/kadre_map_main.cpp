#include <iostream>
#include <string>
#include <vector>

#include "maps/run_map.h"

int main(int argc, char** argv) {
  return kadre::run_map_as_program(std::vector<std::string>(argv + 1, argv + argc), std::cout);
}
