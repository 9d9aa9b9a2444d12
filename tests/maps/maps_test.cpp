// kadre-map on a run whose points form a 6 x 5 lattice with a hole and two points off it:
// the rasters hold the results cell by cell, the GeoPackage every point, source and contour,
// the picture the largest value in the top colour; bad inputs and a failed write leave nothing.
#include <cairo.h>
#include <gdal_priv.h>
#include <gtest/gtest.h>
#include <ogrsf_frmts.h>
#include <sys/resource.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <csignal>
#include <filesystem>
#include <map>
#include <set>
#include <sstream>

#include "core/text.h"
#include "maps/lattice.h"
#include "maps/map_data.h"
#include "maps/map_picture.h"
#include "maps/report.h"
#include "maps/run_map.h"
#include "support/test_support.h"

namespace kadre {
namespace {

namespace fs = std::filesystem;

// The case with both evaluations and a source of every type, its points replaced by the
// lattice (cell (1200, 1200) left empty) and two points off it.
struct MapCase {
  test::RunDir run{"groups_overlapping"};
  test::ScopedCwd cwd{run.path()};
  MapCase() {
    std::string points = "OFF1 1234 1567 0 1.5\n";
    for (int iy = 0; iy < 5; ++iy)
      for (int ix = 0; ix < 6; ++ix)
        if (ix != 2 || iy != 2)
          points += "P" + std::to_string(ix) + std::to_string(iy) + " " +
                    std::to_string(1000 + 100 * ix) + " " + std::to_string(1000 + 100 * iy) +
                    " 0 1.5\n";
    run.write("input/receptors.txt", points + "OFF2 1777 1100 0 1.5\n");
    run.config(" groups_file = ' '");
  }
  int map(const std::vector<std::string>& args, std::string& out) const {
    std::ostringstream o;
    const int status = run_map(args, o);
    out = o.str();
    return status;
  }
  // Writes text as the value of the point in a result file of one value column.
  void set_value(const std::string& file, const std::string& id, const std::string& text) const {
    std::istringstream in(test::read_file((run.path() / "output" / file).string()));
    std::string all, line;
    while (std::getline(in, line))
      all +=
          (line.starts_with(id + " ") ? line.substr(0, line.rfind(';') + 1) + text : line) + "\n";
    run.write("output/" + file, all);
  }
  std::vector<std::string> map_files() const {
    std::vector<std::string> names;
    for (const auto& f : fs::directory_iterator(run.path() / "output"))
      if (f.path().extension() != ".csv") names.push_back(f.path().filename().string());
    return names;
  }
};

TEST(KadreMap, RastersLayersContoursAndPictureHoldTheResults) {
  MapCase c;
  ASSERT_EQ(c.run.run().status, 0);
  c.set_value("max_hourly.csv", "P00",
              " 1.00000-100");                          // a three-digit exponent without its letter
  c.set_value("max_hourly.csv", "P10", "***********");  // too wide for its field
  std::string out;
  ASSERT_EQ(
      c.map({"run.nml", "--indicator", "ave", "--indicator", "max", "--crs", "EPSG:32633"}, out), 0)
      << out;
  EXPECT_TRUE(out.ends_with("   output/run_max.tif\n   output/run_max.png\n   output/run.gpkg\n"))
      << out;
  const MapData map = load_map_data("run.nml", {"ave"});
  const Indicator& ave = map.indicators[0];
  GDALAllRegister();

  GDALDatasetUniquePtr tif(GDALDataset::Open("output/run_ave.tif", GDAL_OF_RASTER));
  ASSERT_TRUE(tif);
  std::array<double, 6> transform{};
  tif->GetGeoTransform(transform.data());
  EXPECT_EQ(transform, (std::array<double, 6>{950, 100, 0, 1450, 0, -100}));
  std::vector<double> pixels(30);
  ASSERT_EQ(
      tif->GetRasterBand(1)->RasterIO(GF_Read, 0, 0, 6, 5, pixels.data(), 6, 5, GDT_Float64, 0, 0),
      CE_None);
  EXPECT_EQ(pixels[2 * 6 + 2], tif->GetRasterBand(1)->GetNoDataValue());  // the empty cell
  for (std::size_t i = 0; i < map.points.size(); ++i) {
    const RefPoint& p = map.points[i];
    if (p.id.starts_with("OFF")) continue;
    const int ix = static_cast<int>(p.x - 1000) / 100, iy = static_cast<int>(p.y - 1000) / 100;
    EXPECT_EQ(pixels[static_cast<std::size_t>((4 - iy) * 6 + ix)], ave.values[i]) << p.id;
  }

  GDALDatasetUniquePtr max_tif(GDALDataset::Open("output/run_max.tif", GDAL_OF_RASTER));
  ASSERT_TRUE(max_tif);
  std::array<double, 2> p00_p10{};  // the cells (0, 0) and (1, 0): the start of the last row
  ASSERT_EQ(max_tif->GetRasterBand(1)->RasterIO(GF_Read, 0, 4, 2, 1, p00_p10.data(), 2, 1,
                                                GDT_Float64, 0, 0),
            CE_None);
  EXPECT_EQ(p00_p10, (std::array<double, 2>{1e-100, max_tif->GetRasterBand(1)->GetNoDataValue()}));

  GDALDatasetUniquePtr gpkg(GDALDataset::Open("output/run.gpkg", GDAL_OF_VECTOR));
  ASSERT_TRUE(gpkg);
  OGRLayer* receptors = gpkg->GetLayerByName("receptors");
  ASSERT_NE(receptors, nullptr);
  EXPECT_EQ(receptors->GetFeatureCount(), static_cast<GIntBig>(map.points.size()));
  for (auto& f : *receptors) {
    if (std::string(f->GetFieldAsString("id")) == "OFF2") {
      EXPECT_EQ(f->GetFieldAsDouble("ave"), ave.values.back());
    }
  }
  std::map<OGRwkbGeometryType, int> kinds;
  for (auto& f : *gpkg->GetLayerByName("sources"))
    ++kinds[wkbFlatten(f->GetGeometryRef()->getGeometryType())];
  EXPECT_EQ(kinds, (std::map<OGRwkbGeometryType, int>{
                       {wkbPoint, 5}, {wkbLineString, 1}, {wkbPolygon, 1}}));
  // Every level lies strictly within the data, and a line of level L passes between cells
  // above and below L.
  double lo = INFINITY, hi = -INFINITY;
  for (double v : pixels)
    if (v != tif->GetRasterBand(1)->GetNoDataValue()) lo = std::min(lo, v), hi = std::max(hi, v);
  OGRLayer* contours = gpkg->GetLayerByName("contours_ave");
  ASSERT_NE(contours, nullptr);
  EXPECT_GT(contours->GetFeatureCount(), 0);
  for (auto& f : *contours) {
    const double level = f->GetFieldAsDouble("level");
    EXPECT_TRUE(level > lo && level < hi) << level;
    for (const OGRPoint& v : *f->GetGeometryRef()->toLineString()) {
      const double gx = (v.getX() - 1000) / 100, gy = 4 - (v.getY() - 1000) / 100;
      double below = INFINITY, above = -INFINITY;
      for (int ix : {static_cast<int>(std::floor(gx)), static_cast<int>(std::ceil(gx))})
        for (int iy : {static_cast<int>(std::floor(gy)), static_cast<int>(std::ceil(gy))}) {
          const double value =
              pixels[static_cast<std::size_t>(std::clamp(iy, 0, 4) * 6 + std::clamp(ix, 0, 5))];
          below = std::min(below, value), above = std::max(above, value);
        }
      EXPECT_TRUE(below <= level && level <= above)
          << level << " at " << v.getX() << " " << v.getY();
    }
  }

  cairo_surface_t* png = cairo_image_surface_create_from_png("output/run_ave.png");
  ASSERT_EQ(cairo_surface_status(png), CAIRO_STATUS_SUCCESS);
  EXPECT_EQ(cairo_image_surface_get_width(png), kPictureWidth);
  std::size_t top = 0;
  for (std::size_t i = 0; i < map.points.size(); ++i)
    if (!map.points[i].id.starts_with("OFF") && ave.values[i] > ave.values[top]) top = i;
  // Lines and labels may cross the cell: most of it has the colour.
  int top_coloured = 0;
  for (double ox : {-30.0, 0.0, 30.0})
    for (double oy : {-30.0, 0.0, 30.0}) {
      const auto [px, py] = picture_pixel(map, map.points[top].x + ox, map.points[top].y + oy);
      const auto* row = reinterpret_cast<const std::uint32_t*>(
          cairo_image_surface_get_data(png) + py * cairo_image_surface_get_stride(png));
      top_coloured += (row[px] & 0xFFFFFF) == top_of_scale_colour() ? 1 : 0;
    }
  EXPECT_GE(top_coloured, 5);
  cairo_surface_destroy(png);
}

TEST(KadreMap, BadInputStopsWithItsMessageAndWritesNothing) {
  MapCase c;
  fs::create_directory(c.run.path() / "output");
  std::string out;
  EXPECT_EQ(c.map({"run.nml"}, out), 1);
  EXPECT_TRUE(
      out.ends_with(" Vysledny soubor output/stats.csv chybi. Spustte nejprve kadre se stejnym "
                    "konfiguracnim souborem.\n"))
      << out;
  ASSERT_EQ(c.run.run().status, 0);
  const std::pair<std::vector<std::string>, std::string> cases[] = {
      {{"run.nml", "--indicator", "nope"},
       " Ukazatel nope neni sloupcem vysledku (k dispozici: ave, Ch_max,"},
      {{"run.nml", "--crs", "EPSG:999999"}, " Neznamy souradnicovy system: EPSG:999999.\n"},
      {{"run.nml", "--out", "nodir/x"}, " Do adresare nodir/x nelze zapisovat.\n"},
      {{"run.nml", "--colour"}, " Pouziti programu:\nkadre-map <soubor se vstupnimi parametry>"}};
  for (const auto& [args, message] : cases) {
    EXPECT_EQ(c.map(args, out), 1);
    EXPECT_NE(out.find(message), std::string::npos) << out;
  }
  // The GeoPackage, written last, cannot be: the pictures and rasters written before go too.
  const fs::path blocker =
      c.run.path() / "output" / (".run.kadre-" + std::to_string(::getpid()) + ".gpkg");
  fs::create_directory(blocker);
  EXPECT_EQ(c.map({"run.nml", "--indicator", "ave"}, out), 1);
  EXPECT_TRUE(out.ends_with(" Chyba pri zapisu do souboru output/run.gpkg.\n")) << out;
  std::error_code ec;
  fs::remove(blocker, ec);
  EXPECT_TRUE(c.map_files().empty());
  c.run.write("input/receptors.txt", "P00 1000 1000 0 1.5\n");  // another configuration's points
  EXPECT_EQ(c.map({"run.nml"}, out), 1);
  EXPECT_NE(out.find(" Vysledny soubor output/stats.csv nepatri k teto konfiguraci: "),
            std::string::npos)
      << out;
  EXPECT_TRUE(c.map_files().empty());
}

// The situation of a maximum is no amount: its class and speed are categories, its direction
// cyclic, and none of them gets contours; the words follow --lang; the report holds everything.
TEST(KadreMap, SituationColumnsAreCategoriesAndTheWordsFollowTheLanguage) {
  MapCase c;
  ASSERT_EQ(c.run.run().status, 0);
  std::vector<std::string> args{"run.nml",      "--lang",       "en",
                                "--indicator",  "Ch_class_max", "--indicator",
                                "Ch_w_dir_max", "--indicator",  "ave"};
  if (report_available()) args.push_back("--html");
  std::string out;
  ASSERT_EQ(c.map(args, out), 0) << out;
  GDALAllRegister();
  GDALDatasetUniquePtr gpkg(GDALDataset::Open("output/run.gpkg", GDAL_OF_VECTOR));
  ASSERT_TRUE(gpkg);
  EXPECT_EQ(gpkg->GetLayerByName("contours_Ch_class_max")->GetFeatureCount(), 0);
  EXPECT_EQ(gpkg->GetLayerByName("contours_Ch_w_dir_max")->GetFeatureCount(), 0);
  EXPECT_GT(gpkg->GetLayerByName("contours_ave")->GetFeatureCount(), 0);

  // Every cell of the class map has its category's colour, one colour per class.
  const MapData map = load_map_data("run.nml", {"Ch_class_max"});
  const Indicator& cls = map.indicators[0];
  const std::vector<unsigned> colours = indicator_colours(cls, cls.values);
  const Legend legend = indicator_legend(cls, Lang::en);
  EXPECT_EQ(legend.kind, ScaleKind::category);
  std::set<unsigned> distinct(colours.begin(), colours.end());
  EXPECT_EQ(distinct.size(), legend.swatches.size());
  for (const auto& [colour, label] : legend.swatches) EXPECT_TRUE(label.starts_with("class "));
  EXPECT_EQ(indicator_legend(cls, Lang::cs).swatches.front().second.substr(0, 7), "třída");
  cairo_surface_t* png = cairo_image_surface_create_from_png("output/run_Ch_class_max.png");
  ASSERT_EQ(cairo_surface_status(png), CAIRO_STATUS_SUCCESS);
  int same = 0, cells = 0;
  for (std::size_t i = 0; i < map.points.size(); ++i) {
    if (map.points[i].id.starts_with("OFF")) continue;
    const auto [px, py] = picture_pixel(map, map.points[i].x + 30, map.points[i].y + 30);
    const auto* row = reinterpret_cast<const std::uint32_t*>(
        cairo_image_surface_get_data(png) + py * cairo_image_surface_get_stride(png));
    same += (row[px] & 0xFFFFFF) == colours[i] ? 1 : 0;
    ++cells;
  }
  EXPECT_GE(same, cells - 3);  // a source marker may cover a cell
  cairo_surface_destroy(png);

  Indicator dir{"Ch_w_dir_max", "°", {0, 90, 359.9, 360}};
  const std::vector<unsigned> wheel = indicator_colours(dir, dir.values);
  EXPECT_EQ(wheel[0], wheel[3]);  // north is north from either side
  EXPECT_NE(wheel[0], wheel[1]);
  EXPECT_EQ(indicator_legend(dir, Lang::cs).ticks[1].second, "V");
  EXPECT_EQ(format_number(0.5, Lang::cs), "0,5");
  EXPECT_EQ(describe_indicator("Th_5.000", Lang::cs), "doba hodinové koncentrace nad 5 µg/m³");

  EXPECT_EQ(c.map({"run.nml", "--lang", "de"}, out), 1);
  EXPECT_NE(out.find(" Jazyk map de neni znam (cs nebo en).\n"), std::string::npos) << out;

  if (!report_available()) return;
  // One file: nothing from outside, every point and the statistical values as written.
  const std::string html = test::read_file("output/run.html");
  EXPECT_EQ(html.find("src=\"http"), std::string::npos);
  EXPECT_EQ(html.find("<link"), std::string::npos);
  const std::string stats = test::read_file("output/stats.csv");
  const std::string second_row = stats.substr(stats.find('\n') + 1, 20);
  EXPECT_NE(html.find('"' + rtrim(second_row) + '"'), std::string::npos);
  for (const RefPoint& p : map.points) EXPECT_NE(html.find('"' + p.id + '"'), std::string::npos);
}

// Every source group is a result set of the report, with its own files as written.
TEST(KadreMap, ReportHoldsEverySourceGroup) {
  if (!report_available()) GTEST_SKIP() << "built without Leaflet";
  test::RunDir run{"groups_overlapping"};
  test::ScopedCwd cwd{run.path()};
  ASSERT_EQ(run.run().status, 0);
  std::ostringstream out;
  ASSERT_EQ(run_map({"run.nml", "--indicator", "ave", "--html"}, out), 0) << out.str();
  const std::string html = test::read_file("output/run.html");
  for (const char* group : {"\"group\":\"\"", "\"group\":\"PLANT\"", "\"group\":\"CLUSTER-EL\"",
                            "\"group\":\"traffic_2\"", "\"name\":\"stats_PLANT.csv\"",
                            "\"name\":\"max_hourly_traffic_2.csv\""})
    EXPECT_NE(html.find(group), std::string::npos) << group;
}

// A field that is no finite number is no value a map could show, nor a hole: the map stops at
// it. The file was written by the run, so the fault is named where it is.
TEST(KadreMap, AResultFieldThatIsNoFiniteNumberStopsWithFileLineAndColumn) {
  MapCase c;
  ASSERT_EQ(c.run.run().status, 0);
  const std::string intact = test::read_file((c.run.path() / "output/max_hourly.csv").string());
  for (const char* text : {"abc", "NaN", "Infinity", "1e999", "", "  "}) {
    c.set_value("max_hourly.csv", "P00", text);
    std::string out;
    EXPECT_EQ(c.map({"run.nml"}, out), 1) << text;
    // P00 follows OFF1 and the header; the value follows the five columns of the point.
    EXPECT_TRUE(
        out.ends_with(" Ve vyslednem souboru output/max_hourly.csv na radku 3 ve sloupci 6 "
                      "(max) je '" +
                      std::string(text) + "' misto konecneho cisla.\n"))
        << out;
    EXPECT_TRUE(c.map_files().empty()) << text;
    c.run.write("output/max_hourly.csv", intact);
  }
}

// Four points 1 m apart in x and y, one of them 2^32 + 1 m away: a lattice of them would have
// more cells than an int counts (and than any picture shows), so there is none.
TEST(KadreMap, FarPointsAtASmallStepMakeNoLattice) {
  std::vector<RefPoint> points(4);
  const double far = 4294967297.0;
  const double xy[4][2] = {{0, 0}, {1, 0}, {0, 1}, {far, 1}};
  for (std::size_t i = 0; i < 4; ++i) {
    points[i].x = xy[i][0];
    points[i].y = xy[i][1];
  }
  EXPECT_FALSE(find_lattice(points).has_value());
  points[3].x = 1;  // the four corners of a cell of 1 m
  const std::optional<Lattice> lattice = find_lattice(points);
  ASSERT_TRUE(lattice.has_value());
  EXPECT_EQ(std::tuple(lattice->nx, lattice->ny, lattice->cell_of_point),
            std::tuple(2, 2, std::vector<int>{0, 1, 2, 3}));
}

// Three equal limits (the default ch_exceed) give three columns of one name: the second and
// the third are told apart as _2 and _3, also as fields of the GeoPackage.
TEST(KadreMap, EqualColumnsAreNumberedInTheirOrder) {
  MapCase c;
  c.run.config(" ch_exceed = 3*0");
  ASSERT_EQ(c.run.run().status, 0);
  const MapData map = load_map_data("run.nml", {});
  std::vector<std::string> limits;
  for (const Indicator& i : map.indicators)
    if (i.name.starts_with("Th_")) limits.push_back(i.name);
  EXPECT_EQ(limits, (std::vector<std::string>{"Th_0.000", "Th_0.000_2", "Th_0.000_3"}));
  std::string out;
  ASSERT_EQ(c.map({"run.nml", "--indicator", "Th_0.000", "--indicator", "Th_0.000_2", "--indicator",
                   "Th_0.000_3"},
                  out),
            0)
      << out;
  GDALAllRegister();
  GDALDatasetUniquePtr gpkg(GDALDataset::Open("output/run.gpkg", GDAL_OF_VECTOR));
  ASSERT_TRUE(gpkg);
  OGRFeatureDefn* fields = gpkg->GetLayerByName("receptors")->GetLayerDefn();
  for (const char* name : {"Th_0.000", "Th_0.000_2", "Th_0.000_3"})
    EXPECT_GE(fields->GetFieldIndex(name), 0) << name;
  if (!report_available()) return;
  ASSERT_EQ(c.map({"run.nml", "--indicator", "Th_0.000_3", "--html"}, out), 0) << out;
  const std::string html = test::read_file("output/run.html");
  EXPECT_NE(html.find("\"Th_0.000_3\""), std::string::npos);
}

// A file GDAL cannot write (here: beyond the file-size limit) stops with the write error and,
// on a line of its own, what GDAL said; nothing is left behind.
TEST(KadreMap, GdalsOwnWordsFollowTheWriteError) {
  MapCase c;
  ASSERT_EQ(c.run.run().status, 0);
  rlimit previous{};
  getrlimit(RLIMIT_FSIZE, &previous);
  const auto previous_handler = std::signal(SIGXFSZ, SIG_IGN);
  rlimit small = previous;
  small.rlim_cur = 300;
  setrlimit(RLIMIT_FSIZE, &small);
  std::string out;
  const int status = c.map({"run.nml", "--indicator", "ave"}, out);
  setrlimit(RLIMIT_FSIZE, &previous);
  std::signal(SIGXFSZ, previous_handler);
  EXPECT_EQ(status, 1);
  const std::string failed = " Chyba pri zapisu do souboru output/run_ave.tif.\n GDAL: ";
  EXPECT_NE(out.find(failed), std::string::npos) << out;
  EXPECT_GT(out.size(), out.find(failed) + failed.size() + 1) << out;
  EXPECT_TRUE(c.map_files().empty());
}

// The levels land in the GeoPackage and on labels: each must be the double of its decimal.
TEST(KadreMap, ContourLevelsAreTheirDecimals) {
  EXPECT_EQ(contour_levels(0, 0.8), (std::vector<double>{0.1, 0.2, 0.3, 0.4, 0.5, 0.6, 0.7}));
  EXPECT_EQ(contour_levels(0.004, 0.3), (std::vector<double>{0.005, 0.01, 0.02, 0.05, 0.1, 0.2}));
  EXPECT_EQ(contour_levels(1, std::nextafter(1.0, 2.0)).size(), 1u);  // a range of one ulp ends
}

}  // namespace
}  // namespace kadre
