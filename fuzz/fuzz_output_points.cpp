// The points with hourly output, among fixed reference points (two share an identifier).
#include "fuzz_support.h"
#include "init/ref_points_reader.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace kadre;
  const std::string path = fuzz::input_file("output_points.txt", data, size);
  std::vector<RefPoint> points;
  for (const char* id : {"R1", "R2", "R3", "R2", "Skola Lipova", "N1"})
    points.push_back(RefPoint{id});
  return fuzz::guarded([&] { read_output_ref_p(path, points); });
}
