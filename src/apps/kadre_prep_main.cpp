#include <iostream>
#include <string>
#include <vector>

#include "prep/run_prep.h"

int main(int argc, char** argv) {
  return kadre::run_prep(std::vector<std::string>(argv + 1, argv + argc), std::cout, std::cerr);
}
