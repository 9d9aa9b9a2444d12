// The reference points on a fixed grid.
#include "fuzz_support.h"
#include "init/ref_points_reader.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace kadre;
  static const TerrainGrid grid = fuzz::grid_4km();
  const std::string path = fuzz::input_file("receptors.txt", data, size);
  return fuzz::guarded([&] { read_ref_points(path, grid, fuzz::discard()); });
}
