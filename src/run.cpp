#include "run.h"

#include <new>

#include "core/errors.h"
#include "run_sequence.h"

namespace kadre {

int run(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
  try {
    run_sequence(args, out, err);
    out.flush();
    return 0;
  } catch (const RunError& e) {
    std::ostream& to = e.to_stderr() ? err : out;
    out.flush();
    to << e.console_text();
    to.flush();
  } catch (const std::bad_alloc&) {
    out << free_form_line("Nedostatek pameti pro vypocet.");
    out.flush();
  } catch (const std::exception& e) {
    out << free_form_line(std::string("Vnitrni chyba programu: ") + e.what());
    out.flush();
  }
  return 1;
}

}  // namespace kadre
