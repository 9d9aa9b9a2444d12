#include "init/emission_profiles_reader.h"

#include <algorithm>

#include "core/errors.h"
#include "core/text.h"
#include "init/data_file.h"
#include "init/diagnostics.h"

namespace kadre {

namespace {

const char* const kDescription = "emisni casovou radou";

// The date items are read (they must be integers) but not used: record t is hour t.
void read_profile(const std::string& path, int p, EmissionProfiles& profiles, std::ostream& out) {
  using R = FreeFormatReader;
  R reader = open_data_file(path, kDescription);
  reader.skip_comment_header();
  int year = 0, month = 0, day = 0, hour = 0;
  double factor = 0;
  const std::vector<R::Item> items{R::integer(year), R::integer(month), R::integer(day),
                                   R::integer(hour), R::real(factor)};
  UnreadItems unread(path, out);
  for (int t = 1; t <= profiles.ntime; ++t) {
    const ReadStatus st = reader.read_one_record(items);
    if (st != ReadStatus::ok)
      raise_error(record_error(path, t, st, reader.items_read(), items.size()));
    unread.check(reader, t);
    if (factor < 0) negative_value(path, t, "emisniho faktoru");
    profiles.time_emis_fact[static_cast<std::size_t>(t - 1) * profiles.nprof + (p - 1)] = factor;
  }
  unread.finish();
  const int read = profiles.ntime;
  const int more = reader.count_records();
  warn_if_longer(path, read + more, read, out);
}

}  // namespace

EmissionProfiles read_time_emis(const std::string& path, const Settings& cfg,
                                const std::vector<std::string>& time_prof_name, int ntime,
                                std::ostream& out) {
  EmissionProfiles profiles;
  profiles.nprof = static_cast<int>(time_prof_name.size());
  profiles.ntime = std::max(ntime, 0);
  profiles.time_emis_fact.assign(static_cast<std::size_t>(profiles.nprof) * profiles.ntime, 1.0);
  if (rtrim(cfg.emis_time_file).empty()) return profiles;
  for (int p = 1; p <= profiles.nprof; ++p)
    read_profile(path_with_name(path, time_prof_name[p - 1]), p, profiles, out);
  return profiles;
}

}  // namespace kadre
