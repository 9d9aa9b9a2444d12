#pragma once
// The whole program as a function: command-line arguments (without the program name),
// console streams, the name the program was called by and the processes of the run; returns
// the exit status.
#include <exception>
#include <ostream>
#include <string>
#include <vector>

#include "core/errors.h"
#include "driver/processes.h"

namespace kadre {

int run(const std::vector<std::string>& args, std::ostream& out, std::ostream& err,
        const std::string& program = "kadre", Processes& processes = single_process());

// The stop a failure makes: a RunError as it is, running out of memory and any other
// exception with their messages.
RunError as_run_error(std::exception_ptr failure);

}  // namespace kadre
