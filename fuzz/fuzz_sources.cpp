// The source definition file, read with the description file of the case.
#include "fuzz_support.h"
#include "init/sources_reader.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace kadre;
  static const TerrainGrid grid = fuzz::grid_4km();
  static const std::string description = fuzz::case_file("input/sources_desc.txt");
  const std::string path = fuzz::input_file("sources.txt", data, size);
  for (const Settings& cfg : fuzz::source_settings()) {
    std::vector<Source> sources;
    std::vector<std::string> met_name, time_prof_name;
    fuzz::guarded([&] {
      read_sources(path, description, cfg, grid, sources, met_name, time_prof_name,
                   fuzz::discard());
    });
  }
  return 0;
}
