#include "driver/command_line.h"

#include <limits>

#include "core/errors.h"
#include "core/text.h"

namespace kadre {

int thread_count(const std::vector<std::string>& args, int default_threads) {
  if (args.size() < 2) return default_threads;
  const std::string arg = args[1].substr(0, 3);
  const std::size_t i = arg.find_first_not_of(' ');
  if (i == std::string::npos) return default_threads;
  // A free-form integer: optional sign and digits, ending at a blank, comma or slash.
  const std::size_t end = arg.find_first_of(" ,/", i);
  const std::string number = arg.substr(i, end == std::string::npos ? std::string::npos : end - i);
  long long value = 0;
  const bool ok = parse_integer(number, std::numeric_limits<long long>::min(),
                                std::numeric_limits<long long>::max(), value);
  if (!ok || value < 1) stop_with_lines({"Neplatna hodnota poctu vlaken."});
  return static_cast<int>(value);
}

}  // namespace kadre
