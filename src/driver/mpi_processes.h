#pragma once
// The processes mpirun started: built only when CMake finds MPI.
#include <string>
#include <vector>

#include "driver/run.h"

namespace kadre {

// Whether mpirun (or a launcher like it) started this process.
bool started_by_mpirun();

// The whole program on the processes of MPI_COMM_WORLD: every process computes its block,
// the first prints and writes. Returns the exit status.
int run_with_mpi(const std::vector<std::string>& args, const std::string& program, int& argc,
                 char**& argv, const Embedding& embedding);

}  // namespace kadre
