// A result file as kadre-map reads it back, for fixed reference points: with a one-character
// delimiter as the statistical file and as a one-column hourly file, and with a longer one.
#include "fuzz_support.h"
#include "maps/result_reader.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace kadre;
  static const std::vector<RefPoint> points = {RefPoint{"N1"}, RefPoint{"N2"}, RefPoint{"P 3"}};
  const std::string path = fuzz::input_file("stats.csv", data, size);
  for (const std::pair<const char*, const char*> way :
       {std::pair{";", ""}, std::pair{";", "max"}, std::pair{" |<->| ", ""}}) {
    std::vector<Indicator> indicators;
    fuzz::guarded([&] { read_result_file(path, way.first, points, way.second, indicators); });
  }
  return 0;
}
