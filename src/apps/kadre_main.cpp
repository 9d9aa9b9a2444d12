#include <iostream>
#include <string>
#include <vector>

#include "core/termination.h"
#include "driver/run.h"
#ifdef KADRE_MPI
#include "driver/mpi_processes.h"
#endif

int main(int argc, char** argv) {
  std::vector<std::string> args(argv + 1, argv + argc);
  const std::string program = argc > 0 ? argv[0] : "kadre";
  kadre::catch_termination_signals();
  int status = 0;
#ifdef KADRE_MPI
  if (kadre::started_by_mpirun())
    status = kadre::run_with_mpi(args, program, argc, argv);
  else
#endif
    status = kadre::run(args, std::cout, std::cerr, program);
  // Stopped by a signal, or finished while it came: the caller learns of it all the same.
  if (const int signal = kadre::termination_signal(); signal != 0) {
    std::cout.flush();
    kadre::end_by_signal(signal);
  }
  return status;
}
