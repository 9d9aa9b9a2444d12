#include <unistd.h>

#include <cstdlib>
#include <iostream>
#include <string>
#include <vector>

#include "driver/run.h"
#ifdef KADRE_MPI
#include "driver/mpi_processes.h"
#endif

int main(int argc, char** argv) {
  std::vector<std::string> args(argv + 1, argv + argc);
  const std::string program = argc > 0 ? argv[0] : "kadre";
  // A log file gets the progress line now and then, a terminal after every point.
  kadre::Embedding embedding;
  embedding.console.terminal = isatty(STDOUT_FILENO) == 1;
  // KADRE_SIMD=scalar runs the scalar formulas, the reference of the vector kernels.
  embedding.kernels = kadre::program_kernel_path(std::getenv("KADRE_SIMD"));
  return kadre::run_as_program([&] {
#ifdef KADRE_MPI
    if (kadre::started_by_mpirun())
      return kadre::run_with_mpi(args, program, argc, argv, embedding);
#endif
    return kadre::run(args, std::cout, std::cerr, program, kadre::single_process(), embedding);
  });
}
