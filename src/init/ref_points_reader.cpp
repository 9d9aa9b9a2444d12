#include "init/ref_points_reader.h"

#include <algorithm>

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
constexpr std::size_t kNamedShared = 3;

// Points share an identifier: allowed, but hourly output and the output point list find a
// point by it, so the user is told once.
void warn_of_shared_ids(const std::string& path, const std::vector<RefPoint>& ref_points,
                        std::ostream& out) {
  NameIndex first;
  std::vector<std::string> named;
  long shared = 0;
  for (std::size_t i = 0; i < ref_points.size(); ++i) {
    const std::string& id = ref_points[i].id;
    if (first.find(id) < 0) {
      first.add(id, static_cast<int>(i) + 1);
      continue;
    }
    ++shared;
    if (named.size() < kNamedShared && std::find(named.begin(), named.end(), id) == named.end())
      named.push_back(id);
  }
  if (shared == 0) return;
  std::string list;
  for (const std::string& id : named) list += (list.empty() ? "" : ", ") + id;
  out << free_form_line("Varovani: v souboru " + rtrim(path) +
                        " se opakuji identifikatory referencnich bodu (napr. " + list +
                        "; opakovani: " + std::to_string(shared) +
                        "); output_ref_p oznaci jen prvni bod kazdeho identifikatoru a ve "
                        "vysledcich je podle nej nelze rozlisit.");
}

}  // namespace

std::vector<RefPoint> read_ref_points(const std::string& path, const TerrainGrid& grid,
                                      std::ostream& out) {
  R reader = open_data_file(path, "referencnimi body");
  reader.skip_comment_header();
  const int count = reader.count_records();
  reader.rewind();
  reader.skip_comment_header();

  std::vector<RefPoint> ref_points(static_cast<std::size_t>(count));
  UnreadItems unread(path, out);
  // Declared once: an item left out by "/" or a null keeps the previous line's value.
  std::string id;
  double x = 0, y = 0, z = 0, h = 0;
  const std::vector<R::Item> items{R::text(id, kIdLength), R::real(x), R::real(y), R::real(z),
                                   R::real(h)};
  for (int i = 1; i <= count; ++i) {
    const ReadStatus status = reader.read_one_record(items);
    if (status != ReadStatus::ok)
      raise_error(record_error(path, i, status, reader.items_read(), items.size()));
    unread.check(reader, i);
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
  unread.finish();
  warn_of_shared_ids(path, ref_points, out);
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
