#pragma once
// The whole program as a function: command-line arguments (without the program name),
// console streams; returns the exit status.
#include <ostream>
#include <string>
#include <vector>

namespace kadre {

int run(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);

}  // namespace kadre
