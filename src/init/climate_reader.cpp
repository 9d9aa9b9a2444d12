#include "init/climate_reader.h"

#include <array>

#include "core/errors.h"
#include "init/data_file.h"
#include "init/diagnostics.h"

namespace kadre {

namespace {

constexpr std::size_t kMatrixSize = 7 * 10;

// Title and label lines: only their first item is read, the rest of the line is skipped.
ReadStatus skip_label(FreeFormatReader& reader) {
  std::string label;
  return reader.read({FreeFormatReader::text(label, 1)});
}

}  // namespace

ClimateTables read_climate_tables(const std::string& path, std::ostream& out) {
  FreeFormatReader reader = open_data_file(path, "klimatickymi udaji pro chladici veze");
  ClimateTables tables;
  // The twelve matrices in file order.
  std::array<double*, 12> targets{};
  for (int s = 0; s < 5; ++s) targets[s] = tables.grt.data() + s * kMatrixSize;
  targets[5] = tables.frt.data();
  for (int c = 0; c < 3; ++c) {
    targets[6 + c] = tables.vch1.data() + c * kMatrixSize;
    targets[9 + c] = tables.tch1.data() + c * kMatrixSize;
  }
  UnreadItems unread(path, out);
  ReadStatus st = skip_label(reader);
  if (st != ReadStatus::ok) raise_error(error_reading(path, 0, st));
  for (std::size_t m = 0; m < targets.size(); ++m) {
    const long matrix_number = static_cast<long>(m) + 1;
    st = skip_label(reader);
    if (st == ReadStatus::ok) st = reader.read_reals(targets[m], kMatrixSize);
    if (st != ReadStatus::ok) raise_error(error_reading(path, matrix_number, st));
    unread.check(reader, matrix_number);
  }
  unread.finish();
  tables.loaded = true;
  return tables;
}

}  // namespace kadre
