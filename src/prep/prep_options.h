#pragma once
// The command line of kadre-prep: what the study is made of and where it goes.
#include <array>
#include <map>
#include <optional>
#include <string>
#include <vector>

namespace kadre {

// A table given for one meteorological series or emission profile ("NAME=FILE"); a blank
// name stands for the sources that name none.
struct NamedTable {
  std::string name;
  std::string path;
};

struct PrepOptions {
  std::string out_dir;
  std::string crs;        // the study's CRS as given (EPSG:NNNN, WKT, PROJ); empty: the sources'
  std::string input_crs;  // of inputs that carry none; empty: the study's
  int pollutant_class = 0;

  std::vector<std::string> sources;           // FILE[:LAYER]
  std::map<std::string, std::string> fields;  // documented attribute name -> column
  double area_cell = 10;

  double grid_step = 0;                     // 0: no grid of receptors
  std::vector<std::string> receptor_files;  // FILE[:LAYER]
  double receptor_height = 1.5;
  double margin = 2000;
  std::optional<std::array<double, 4>> extent;  // xmin, ymin, xmax, ymax

  std::string dem;
  double cell = 0;  // 0: the DEM's own (100 m without a DEM)
  bool fill_nodata = false;
  std::string resampling = "bilinear";

  std::vector<NamedTable> roses, mets, profiles;
  bool rose_fraction = false;
  std::string climate;

  bool help = false;
};

// The attribute names a feature may carry (and --field may map).
const std::vector<std::string>& source_attribute_names();

// The options of the arguments; a wrong command line stops with the usage (RunError).
PrepOptions parse_prep_options(const std::vector<std::string>& args);

// The usage lines, and the help that --help prints.
std::string prep_usage();
std::string prep_help();

// "FILE[:LAYER]" split: the layer after the last ":" unless the whole text names a file.
std::pair<std::string, std::string> split_layer(const std::string& file_layer);

}  // namespace kadre
