#include "init/ref_points_reader.h"

#include "core/errors.h"
#include "core/text.h"
#include "init/data_file.h"
#include "init/diagnostics.h"
#include "init/free_format_reader.h"
#include "init/terrain_reader.h"

namespace kadre {

namespace {
using R = FreeFormatReader;
constexpr std::size_t kIdLength = 20;
}  // namespace

std::vector<RefPoint> read_ref_points(const std::string& path, const TerrainGrid& grid) {
  R reader = open_data_file(path, "referencnimi body");
  reader.skip_comment_header();
  const int count = reader.count_records();
  reader.rewind();
  reader.skip_comment_header();

  std::vector<RefPoint> ref_points(static_cast<std::size_t>(count));
  // Declared once: an item left out by "/" or a null keeps the previous line's value.
  std::string id;
  double x = 0, y = 0, z = 0, h = 0;
  for (int i = 1; i <= count; ++i) {
    const ReadStatus status =
        reader.read({R::text(id, kIdLength), R::real(x), R::real(y), R::real(z), R::real(h)});
    if (status != ReadStatus::ok) raise_error(error_reading(path, i, status));
    if (!inside_terrain(grid, x, y))
      raise_error("Referencni bod " + rtrim(id) + " lezi mimo oblast vyskopisu.");
    RefPoint& p = ref_points[static_cast<std::size_t>(i - 1)];
    p.id = rtrim(id);
    p.x = x;
    p.y = y;
    p.z = z;
    p.height_above_ground_m = h;
    p.has_hourly_output = true;
  }
  return ref_points;
}

void read_output_ref_p(const std::string& path, std::vector<RefPoint>& ref_points) {
  R reader = open_data_file(path, "vystupnimi referencnimi body");
  for (RefPoint& p : ref_points) p.has_hourly_output = false;

  NameIndex ids;
  for (std::size_t i = 0; i < ref_points.size(); ++i)
    ids.add(ref_points[i].id, static_cast<int>(i) + 1);

  std::string id;
  while (reader.read({R::text(id, kIdLength)}) != ReadStatus::end_of_file) {
    const int k = ids.find(id);
    if (k < 0)
      raise_error("Referencni bod " + rtrim(id) + " nachazejici se v souboru " + rtrim(path) +
                  " nebyl definovan.");
    ref_points[static_cast<std::size_t>(k - 1)].has_hourly_output = true;
  }
}

}  // namespace kadre
