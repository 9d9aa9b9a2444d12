// The source description file, read with the definition file of the case.
#include "fuzz_support.h"
#include "init/sources_reader.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace kadre;
  static const TerrainGrid grid = fuzz::grid_4km();
  static const std::string definition = fuzz::case_file("input/sources.txt");
  const std::string path = fuzz::input_file("sources_desc.txt", data, size);
  for (const Settings& cfg : fuzz::source_settings()) {
    std::vector<Source> sources;
    std::vector<std::string> met_name, time_prof_name;
    fuzz::guarded([&] {
      read_sources(definition, path, cfg, grid, sources, met_name, time_prof_name, fuzz::discard());
    });
  }
  return 0;
}
