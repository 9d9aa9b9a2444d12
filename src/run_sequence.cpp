#include "run_sequence.h"

#include <omp.h>

#include "errors.h"
#include "output/number_format.h"

namespace kadre {

namespace {
constexpr const char* kVersion = "v1.1.2";
}

int thread_count(const std::vector<std::string>& args, int default_threads) {
  if (args.size() < 2) return default_threads;
  const std::string arg = args[1].substr(0, 3);
  std::size_t i = arg.find_first_not_of(' ');
  if (i == std::string::npos) return default_threads;
  // A free-form integer: optional sign and digits, ending at a blank, comma or slash.
  std::size_t end = arg.find_first_of(" ,/", i);
  std::string number = arg.substr(i, end == std::string::npos ? std::string::npos : end - i);
  bool ok = !number.empty();
  std::size_t k = (ok && (number[0] == '+' || number[0] == '-')) ? 1 : 0;
  if (k == number.size()) ok = false;
  for (std::size_t j = k; ok && j < number.size(); ++j)
    if (number[j] < '0' || number[j] > '9') ok = false;
  const long value = ok ? std::stol(number) : 0;
  if (!ok || value < 1) stop_with_lines({"Neplatna hodnota poctu vlaken."});
  return static_cast<int>(value);
}

void run_sequence(const std::vector<std::string>& args, std::ostream& out, std::ostream& /*err*/) {
  out << "\n"
      << free_form_line(std::string("KADRE ") + kVersion +
                        " (c) the kadre developers; all rights reserved")
      << free_form_line("") << "\n";
  if (args.empty() || args.size() > 2)
    stop_with_lines({"Pouziti programu:\nkadre.exe <soubor se vstupnimi parametry> [<pocet vlaken>]"});
  const int threads = thread_count(args, omp_get_max_threads());
  (void)threads;
  throw RunError(free_form_line("Vypocet zatim neni k dispozici."));
}

}  // namespace kadre
