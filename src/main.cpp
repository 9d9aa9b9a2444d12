#include <iostream>
#include <string>
#include <vector>

#include "run.h"

int main(int argc, char** argv) {
  std::vector<std::string> args(argv + 1, argv + argc);
  return kadre::run(args, std::cout, std::cerr);
}
