#include "prep/terrain.h"

#include <cmath>
#include <filesystem>
#include <limits>

#include <cpl_string.h>
#include <gdal_alg.h>
#include <gdal_priv.h>
#include <gdal_utils.h>

#include "core/text.h"
#include "prep/prep_errors.h"

namespace kadre {

namespace {

// The value of cells without one in the warped grid: far below any elevation.
constexpr double kNoData = -1e30;
constexpr double kMaxCells = 2e7;  // 160 MB of elevations while warping

// The window of whole cells, aligned to the origin, that covers bounds and the margin.
TerrainRaster window(const Bounds& bounds, double cell, double ox, double oy) {
  const double m = kTerrainMarginCells * cell;
  TerrainRaster t;
  t.cell = cell;
  t.xll = ox + std::floor((bounds.xmin - m - ox) / cell) * cell;
  t.yll = oy + std::floor((bounds.ymin - m - oy) / cell) * cell;
  const double nx = std::ceil((bounds.xmax + m - t.xll) / cell);
  const double ny = std::ceil((bounds.ymax + m - t.yll) / cell);
  if (!(nx * ny <= kMaxCells))
    prep_error("Teren by mel " + format_f0(nx, 0) + " x " + format_f0(ny, 0) + " bunek, vice nez " +
               format_f0(kMaxCells, 0) + ": zvetste --cell.");
  t.ncols = static_cast<int>(nx);
  t.nrows = static_cast<int>(ny);
  return t;
}

std::string wkt_of(const OGRSpatialReference& srs) {
  char* wkt = nullptr;
  const char* const options[] = {"FORMAT=WKT2_2018", nullptr};
  srs.exportToWkt(&wkt, options);
  std::string text = wkt != nullptr ? wkt : "";
  CPLFree(wkt);
  return text;
}

std::string number_arg(double v) {
  char buf[64];
  std::snprintf(buf, sizeof buf, "%.17g", v);
  return buf;
}

// The resolution GDAL suggests for the DEM in the study's system, rounded to whole metres.
double suggested_cell(GDALDataset& src, const std::string& dst_wkt, const std::string& path) {
  CPLStringList options;
  if (!dst_wkt.empty()) options.SetNameValue("DST_SRS", dst_wkt.c_str());
  void* transformer = GDALCreateGenImgProjTransformer2(&src, nullptr, options.List());
  double gt[6];
  int pixels = 0, lines = 0;
  const bool ok =
      transformer != nullptr && GDALSuggestedWarpOutput(&src, GDALGenImgProjTransform, transformer,
                                                        gt, &pixels, &lines) == CE_None;
  if (transformer != nullptr) GDALDestroyGenImgProjTransformer(transformer);
  if (!ok) prep_error("Model terenu " + path + " nelze prevest do systemu studie.", gdal_detail());
  return std::max(1.0, std::round(gt[1]));
}

std::string cell_centre(const TerrainRaster& t, std::size_t index) {
  const std::size_t row = index / static_cast<std::size_t>(t.ncols);
  const std::size_t col = index % static_cast<std::size_t>(t.ncols);
  const double x = t.xll + (static_cast<double>(col) + 0.5) * t.cell;
  const double y = t.yll + (static_cast<double>(t.nrows - row) - 0.5) * t.cell;
  return "x = " + format_f0(x, 2) + ", y = " + format_f0(y, 2);
}

bool no_value(double v) { return std::isnan(v) || v == kNoData; }

}  // namespace

TerrainRaster terrain_from_dem(const std::string& dem, const StudyCrs& crs, const Bounds& bounds,
                               double cell, const std::string& resampling, bool fill_nodata,
                               TerrainSummary& summary) {
  std::error_code ec;
  if (!std::filesystem::exists(dem, ec))
    prep_error("Soubor " + dem + " s modelem terenu neexistuje.");
  CPLErrorReset();
  GDALDatasetUniquePtr src(
      GDALDataset::Open(dem.c_str(), GDAL_OF_RASTER | GDAL_OF_READONLY, nullptr, nullptr, nullptr));
  if (!src || src->GetRasterCount() < 1)
    prep_error("Soubor " + dem + " nelze otevrit jako rastr modelu terenu.", gdal_detail());
  double gt[6];
  if (src->GetGeoTransform(gt) != CE_None)
    prep_error("Model terenu " + dem + " nema georeferenci (polohu bunek).");

  const OGRSpatialReference* own = src->GetSpatialRef();
  const OGRSpatialReference* from = own != nullptr ? own : crs.input_srs.get();
  if (!crs.srs && from != nullptr)
    prep_error("Model terenu " + dem +
               " ma souradnicovy system, ktery studie nema: zadejte jej volbou --crs.");
  const bool reprojected = crs.srs && from != nullptr && !from->IsSame(crs.srs.get());
  if (reprojected) summary.crs_from = from->GetName() != nullptr ? from->GetName() : "?";
  const std::string dst_wkt = crs.srs ? wkt_of(*crs.srs) : "";

  double ox = 0, oy = 0;
  if (!reprojected && gt[2] == 0 && gt[4] == 0) {
    if (cell == 0) {
      if (std::abs(gt[1]) != std::abs(gt[5]))
        prep_error("Bunky modelu terenu " + dem + " nejsou ctvercove (" + format_f0(gt[1], 3) +
                   " x " + format_f0(std::abs(gt[5]), 3) +
                   "): zadejte velikost bunky volbou --cell.");
      cell = std::abs(gt[1]);
    }
    ox = gt[0];
    oy = gt[3];
  } else if (cell == 0) {
    cell = suggested_cell(*src, dst_wkt, dem);
  }
  TerrainRaster t = window(bounds, cell, ox, oy);

  CPLStringList argv;
  for (const char* a : {"-of", "MEM", "-ot", "Float64", "-r"}) argv.AddString(a);
  argv.AddString(resampling.c_str());
  argv.AddString("-te");
  for (double v : {t.xll, t.yll, t.xll + t.ncols * cell, t.yll + t.nrows * cell})
    argv.AddString(number_arg(v).c_str());
  argv.AddString("-ts");
  argv.AddString(std::to_string(t.ncols).c_str());
  argv.AddString(std::to_string(t.nrows).c_str());
  argv.AddString("-dstnodata");
  argv.AddString(number_arg(kNoData).c_str());
  if (own == nullptr && from != nullptr) {
    argv.AddString("-s_srs");
    argv.AddString(wkt_of(*from).c_str());
  }
  if (!dst_wkt.empty()) {
    argv.AddString("-t_srs");
    argv.AddString(dst_wkt.c_str());
  }
  GDALWarpAppOptions* options = GDALWarpAppOptionsNew(argv.List(), nullptr);
  GDALDatasetH src_handle = GDALDataset::ToHandle(src.get());
  int usage_error = 0;
  CPLErrorReset();
  GDALDatasetUniquePtr warped(
      options != nullptr
          ? GDALDataset::FromHandle(GDALWarp("", nullptr, 1, &src_handle, options, &usage_error))
          : nullptr);
  GDALWarpAppOptionsFree(options);
  if (!warped) prep_error("Model terenu " + dem + " nelze prevzorkovat.", gdal_detail());
  GDALRasterBand* band = warped->GetRasterBand(1);
  const std::size_t n = static_cast<std::size_t>(t.ncols) * static_cast<std::size_t>(t.nrows);
  std::vector<double> v(n);
  const auto read = [&] {
    if (band->RasterIO(GF_Read, 0, 0, t.ncols, t.nrows, v.data(), t.ncols, t.nrows, GDT_Float64, 0,
                       0, nullptr) != CE_None)
      prep_error("Model terenu " + dem + " nelze cist.", gdal_detail());
  };
  read();

  std::size_t missing = 0, first = n;
  for (std::size_t i = 0; i < n; ++i)
    if (no_value(v[i])) {
      if (missing++ == 0) first = i;
    }
  if (missing > 0 && fill_nodata) {
    // The search reaches across the whole window, so that every hole is filled.
    const double reach = 2.0 * std::max(t.ncols, t.nrows);
    if (GDALFillNodata(band, nullptr, reach, 0, 0, nullptr, nullptr, nullptr) != CE_None)
      prep_error("Bunky bez hodnoty v modelu terenu " + dem + " nelze doplnit.", gdal_detail());
    read();
    summary.filled_cells = static_cast<int>(missing);
    missing = 0;
    for (std::size_t i = 0; i < n; ++i)
      if (no_value(v[i]) && missing++ == 0) first = i;
  }
  if (missing > 0)
    prep_error("V modelu terenu " + dem + " je v oblasti studie " + std::to_string(missing) +
               " bunek bez hodnoty (NODATA), prvni se stredem " + cell_centre(t, first) +
               ": doplnte je volbou --fill-nodata nebo pouzijte model terenu, ktery oblast "
               "pokryva.");

  t.z.resize(n);
  for (std::size_t i = 0; i < n; ++i) {
    const double z = std::round(v[i]);
    if (!(z >= std::numeric_limits<std::int16_t>::min() &&
          z <= std::numeric_limits<std::int16_t>::max()))
      prep_error("V modelu terenu " + dem + " je v bunce se stredem " + cell_centre(t, i) +
                 " vyska " + format_f0(v[i], 2) + " m mimo rozsah -32768 az 32767 m.");
    t.z[i] = static_cast<std::int16_t>(z);
  }
  return t;
}

TerrainRaster flat_terrain(const Bounds& bounds, double cell) {
  TerrainRaster t = window(bounds, cell, 0, 0);
  t.z.assign(static_cast<std::size_t>(t.ncols) * static_cast<std::size_t>(t.nrows), 0);
  return t;
}

}  // namespace kadre
