// kadre-prep on a study made with GDAL in the test: a DEM with a NODATA hole, a GeoPackage with
// a stack, a road of several vertices and a concave yard, a CSV of named points, a rose and a
// met table. The study it writes runs with kadre to the results of the same study written by
// hand (tests/prep/hand_study); the terrain is GDAL's warp of the DEM; the hole stops unless
// filled.
#include <gdal_priv.h>
#include <gdal_utils.h>
#include <gtest/gtest.h>
#include <ogr_spatialref.h>
#include <ogrsf_frmts.h>

#include <cmath>
#include <sstream>

#include "prep/gis_data.h"
#include "prep/run_prep.h"
#include "support/test_support.h"
#ifdef KADRE_TEST_MAPS
#include "maps/run_map.h"
#endif

namespace kadre {
namespace {

namespace fs = std::filesystem;

// The DEM: 24 x 20 cells of 25 m from (480000, 5540000) in EPSG:32633, 300 + 2 col - row + 0.3
// (rounded to whole metres by kadre-prep), the three northernmost rows of its four eastern
// columns without a value.
double dem_z(int col, int row) { return col >= 20 && row < 3 ? -9999 : 300 + 2 * col - row + 0.3; }

struct GisStudy {
  test::TempDir dir;
  GisStudy() {
    test::write_dem(dir.file("dem.tif"), "GTiff", 32633, 480000, 5540000, 25, 24, 20, dem_z);
    using F = std::pair<std::string, OGRFieldType>;
    test::write_layer(
        dir.file("sources.gpkg"), "GPKG", "emitters", 32633,
        {F{"id", OFTString}, F{"height", OFTReal}, F{"emission", OFTReal},
         F{"temperature", OFTReal}, F{"diameter", OFTReal}, F{"velocity", OFTReal},
         F{"width", OFTReal}, F{"kind", OFTString}},
        {
            {"POINT (480200 5540200)", {"K1", "40", "1.5", "100", "1.5", "12", "", "stack"}},
            // 50 m and 150 m, with a repeated vertex between them
            {"LINESTRING (480100 5540100,480130 5540140,480130 5540140,480280 5540140)",
             {"ROAD", "0.5", "2", "", "", "", "8", "road"}},
            // an L of four 20 m squares
            {"POLYGON ((480300 5540150,480360 5540150,480360 5540170,480320 5540170,"
             "480320 5540190,480300 5540190,480300 5540150))",
             {"YARD", "3", "2", "", "", "", "", "yard"}},
        });
    dir.write("points.csv", "name,x,y\nSkola,480300,5540250\nDum 1,480150,5540300\n");
    dir.write("rose.csv",
              "direction,stability_class,speed_class,frequency\n"
              "0,I,1.7,10\n90,II,5,15\n180,III,11,20\n270,IV,5,20\n90,V,1.7,10\n"
              "0,III,1.7,5\ncalm,II,1.7,12\n270,IV,11,8\n");
    dir.write("met.csv",
              "time,direction,speed,gradient\n"
              "2026-01-01 00:00,45,2.5,0.8\n2026-01-01 01:00,80,3.0,0.2\n"
              "2026-01-01T02:00:00Z,200,1.2,-0.6\n2026-01-01 03:00,260,6.5,-1.0\n");
  }
  std::vector<std::string> args(const std::vector<std::string>& extra = {}) const {
    std::vector<std::string> a{"--out",
                               dir.file("study"),
                               "--sources",
                               dir.file("sources.gpkg"),
                               "--dem",
                               dir.file("dem.tif"),
                               "--receptors",
                               "grid:100",
                               "--extent",
                               "480100,5540100,480400,5540300",
                               "--receptors",
                               dir.file("points.csv"),
                               "--area-cell",
                               "20",
                               "--pollutant-class",
                               "2",
                               "--rose",
                               dir.file("rose.csv"),
                               "--met",
                               dir.file("met.csv")};
    a.insert(a.end(), extra.begin(), extra.end());
    return a;
  }
  test::RunOutput prep(const std::vector<std::string>& extra = {}) const {
    std::ostringstream out, err;
    const int status = run_prep(args(extra), out, err);
    return {status, out.str(), err.str()};
  }
};

test::ResultFiles run_kadre(const fs::path& dir) {
  test::ScopedCwd cwd(dir);
  const test::RunOutput r = test::run_program({"run.nml", "1"});
  EXPECT_EQ(r.status, 0) << r.out;
  test::ResultFiles files;
  for (const auto& entry : fs::directory_iterator(dir / "output"))
    files[entry.path().filename()] = test::read_file(entry.path());
  return files;
}

TEST(KadrePrep, StudyRunsToTheResultsOfTheSameStudyWrittenByHand) {
  GisStudy gis;
  const test::RunOutput prep = gis.prep();
  ASSERT_EQ(prep.status, 0) << prep.out;
  EXPECT_NE(prep.out.find("Emise zdroju [g/s] pred rozdelenim 5.50000E+00, po rozdeleni "
                          "5.50000E+00"),
            std::string::npos)
      << prep.out;
  const fs::path study = gis.dir.path() / "study";
  EXPECT_EQ(test::read_file((study / "crs.txt").string()), "EPSG:32633\n");
  EXPECT_TRUE(test::read_file((study / "param.nml").string()).ends_with(test::sample_param_nml()));

  test::TempDir hand;
  fs::copy(test::source_path("tests/prep/hand_study"), hand.path(), fs::copy_options::recursive);
  hand.write("param.nml", test::sample_param_nml());
  fs::create_directory(hand.path() / "output");

  const test::ResultFiles prepared = run_kadre(study), by_hand = run_kadre(hand.path());
  for (const char* name : {"stats.csv", "hourly.csv", "avg_hourly.csv", "max_hourly.csv"})
    EXPECT_EQ(prepared.count(name), 1u) << name;
  EXPECT_EQ(prepared, by_hand);

#ifdef KADRE_TEST_MAPS
  // kadre-map takes the study's system from crs.txt.
  test::ScopedCwd cwd(study);
  std::ostringstream map_out;
  ASSERT_EQ(run_map({"run.nml", "--indicator", "ave"}, map_out), 0) << map_out.str();
  EXPECT_TRUE(map_out.str().starts_with(" Souradnicovy system ze souboru crs.txt: EPSG:32633.\n"))
      << map_out.str();
  GDALDatasetUniquePtr gpkg(GDALDataset::Open("output/run.gpkg", GDAL_OF_VECTOR));
  ASSERT_TRUE(gpkg);
  const OGRSpatialReference* srs = gpkg->GetLayerByName("receptors")->GetSpatialRef();
  ASSERT_NE(srs, nullptr);
  EXPECT_STREQ(srs->GetAuthorityCode(nullptr), "32633");
#endif
}

// The terrain grid as kadre-prep wrote it: its header and rows of whole metres.
struct WrittenTerrain {
  double xll = 0, yll = 0, cell = 0;
  int ncols = 0, nrows = 0;
  std::vector<int> z;
};

WrittenTerrain read_terrain(const std::string& path) {
  std::istringstream in(test::read_file(path));
  WrittenTerrain t;
  std::string key, nodata;
  in >> key >> t.ncols >> key >> t.nrows >> key >> t.xll >> key >> t.yll >> key >> t.cell >> key >>
      nodata;
  for (int v; in >> v;) t.z.push_back(v);
  return t;
}

// GDAL's own warp of the DEM over the written window with the options kadre-prep documents,
// rounded to whole metres.
std::vector<int> gdalwarp(const std::string& dem, const WrittenTerrain& t, const char* t_srs) {
  std::vector<std::string> args{"-of",
                                "MEM",
                                "-ot",
                                "Float64",
                                "-r",
                                "bilinear",
                                "-te",
                                std::to_string(t.xll),
                                std::to_string(t.yll),
                                std::to_string(t.xll + t.ncols * t.cell),
                                std::to_string(t.yll + t.nrows * t.cell),
                                "-ts",
                                std::to_string(t.ncols),
                                std::to_string(t.nrows),
                                "-t_srs",
                                t_srs};
  std::vector<char*> argv;
  for (std::string& a : args) argv.push_back(a.data());
  argv.push_back(nullptr);
  GDALWarpAppOptions* options = GDALWarpAppOptionsNew(argv.data(), nullptr);
  GDALDatasetUniquePtr src(GDALDataset::Open(dem.c_str(), GDAL_OF_RASTER));
  GDALDatasetH handle = GDALDataset::ToHandle(src.get());
  GDALDatasetUniquePtr out(
      GDALDataset::FromHandle(GDALWarp("", nullptr, 1, &handle, options, nullptr)));
  GDALWarpAppOptionsFree(options);
  std::vector<double> v(static_cast<std::size_t>(t.ncols) * t.nrows);
  EXPECT_EQ(out->GetRasterBand(1)->RasterIO(GF_Read, 0, 0, t.ncols, t.nrows, v.data(), t.ncols,
                                            t.nrows, GDT_Float64, 0, 0, nullptr),
            CE_None);
  std::vector<int> z;
  for (double d : v) z.push_back(static_cast<int>(std::round(d)));
  return z;
}

TEST(KadrePrep, TerrainIsGdalsWarpOfTheDemRoundedToWholeMetres) {
  GisStudy gis;
  // The same DEM in geographic coordinates: reprojected, at the resolution GDAL suggests.
  const double lon0 = 14.7, lat0 = 50.0;
  test::write_dem(gis.dir.file("dem_ll.tif"), "GTiff", 4326, lon0, lat0, 0.0005, 40, 30,
                  [](int c, int r) { return 250 + 3.7 * c - 2.2 * r; });
  OGRSpatialReference wgs, utm;
  wgs.importFromEPSG(4326);
  utm.importFromEPSG(32633);
  wgs.SetAxisMappingStrategy(OAMS_TRADITIONAL_GIS_ORDER);
  utm.SetAxisMappingStrategy(OAMS_TRADITIONAL_GIS_ORDER);
  std::unique_ptr<OGRCoordinateTransformation> ct(OGRCreateCoordinateTransformation(&wgs, &utm));
  double x = lon0 + 0.01, y = lat0 + 0.007;  // a point well inside the DEM
  ASSERT_TRUE(ct->Transform(1, &x, &y));
  test::TempDir out;
  std::ostringstream o, e;
  gis.dir.write("one.csv", "name,x,y\nP," + std::to_string(x) + "," + std::to_string(y) + "\n");
  // Receptors only, around the point: the window lies inside the DEM.
  gis.dir.write("stack.csv", "id,x,y,height,emission,temperature,diameter,velocity\nS," +
                                 std::to_string(x + 100) + "," + std::to_string(y) +
                                 ",30,1,80,1,10\n");
  ASSERT_EQ(run_prep({"--out", out.file("s"), "--sources", gis.dir.file("stack.csv"), "--receptors",
                      gis.dir.file("one.csv"), "--dem", gis.dir.file("dem_ll.tif"),
                      "--pollutant-class", "1", "--rose", gis.dir.file("rose.csv"), "--crs",
                      "EPSG:32633", "--input-crs", "EPSG:32633"},
                     o, e),
            0)
      << o.str();
  const WrittenTerrain t = read_terrain(out.file("s/input/terrain.asc"));
  // GDAL's resolution for 0.0005 x 0.0005 degrees at 50 degrees north (36 x 56 m), in whole
  // metres.
  EXPECT_TRUE(t.cell >= 36 && t.cell <= 56 && t.cell == std::round(t.cell)) << t.cell;
  EXPECT_EQ(t.z.size(), static_cast<std::size_t>(t.ncols) * t.nrows);
  EXPECT_EQ(t.z, gdalwarp(gis.dir.file("dem_ll.tif"), t, "EPSG:32633"));
}

TEST(KadrePrep, NodataInTheWindowStopsUnlessFilled) {
  GisStudy gis;
  // The grid then reaches (480500, 5540400), the window two cells beyond: the hole's cells in
  // columns 20 and 21 of its third row, the first centred at (480512.5, 5540437.5).
  const std::vector<std::string> wide{"--extent", "480100,5540100,480550,5540460"};
  const test::RunOutput stop = gis.prep(wide);
  EXPECT_EQ(stop.status, 1);
  EXPECT_EQ(stop.out.substr(stop.out.find('\n') + 1),
            " V modelu terenu " + gis.dir.file("dem.tif") +
                " je v oblasti studie 2 bunek bez hodnoty (NODATA), prvni se stredem x = "
                "480512.50, y = 5540437.50: doplnte je volbou --fill-nodata nebo pouzijte model "
                "terenu, ktery oblast pokryva.\n");
  EXPECT_FALSE(fs::exists(gis.dir.path() / "study" / "run.nml"));

  std::vector<std::string> filled = wide;
  filled.push_back("--fill-nodata");
  const test::RunOutput ok = gis.prep(filled);
  ASSERT_EQ(ok.status, 0) << ok.out;
  EXPECT_NE(ok.out.find(" Doplneno 2 bunek terenu bez hodnoty (--fill-nodata).\n"),
            std::string::npos);
  const WrittenTerrain t = read_terrain((gis.dir.path() / "study/input/terrain.asc").string());
  for (int z : t.z) EXPECT_TRUE(z > 250 && z < 400) << z;
}

}  // namespace
}  // namespace kadre
