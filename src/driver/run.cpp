#include "driver/run.h"

#include <cstring>
#include <new>

#include "core/errors.h"
#include "core/termination.h"
#include "driver/run_sequence.h"

namespace kadre {

int run_as_program(const std::function<int()>& run) { return with_termination_signals(run); }

KernelPath program_kernel_path(const char* simd_setting) {
  if (simd_setting != nullptr && std::strcmp(simd_setting, "avx2") == 0)
    limit_vector_kernels_to_avx2();
  return kernel_path_from(simd_setting);
}

RunError as_run_error(std::exception_ptr failure) {
  try {
    std::rethrow_exception(failure);
  } catch (const RunError& e) {
    return e;
  } catch (const std::bad_alloc&) {
    return RunError(free_form_line("Nedostatek pameti pro vypocet."));
  } catch (const std::exception& e) {
    return RunError(free_form_line(std::string("Vnitrni chyba programu: ") + e.what()));
  }
}

int run(const std::vector<std::string>& args, std::ostream& out, std::ostream& err,
        const std::string& program, Processes& processes, const Embedding& embedding) {
  try {
    ProgressLine progress(out, embedding.console.terminal, embedding.console.clock);
    run_sequence(args, out, err, program, processes, progress, embedding);
    out.flush();
    return 0;
  } catch (...) {
    const RunError e = as_run_error(std::current_exception());
    std::ostream& to = e.to_stderr() ? err : out;
    out.flush();
    to << e.console_text();
    if (embedding.error_text != nullptr) *embedding.error_text = e.console_text();
    to.flush();
  }
  return 1;
}

}  // namespace kadre
