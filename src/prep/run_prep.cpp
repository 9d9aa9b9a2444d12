#include "prep/run_prep.h"

#include <algorithm>
#include <cmath>
#include <fstream>
#include <map>
#include <new>
#include <sstream>

#include "core/errors.h"
#include "init/climate_reader.h"
#include "output/number_format.h"
#include "prep/gis_input.h"
#include "prep/prep_errors.h"
#include "prep/prep_options.h"
#include "prep/study_inputs.h"
#include "prep/study_writer.h"
#include "prep/tables.h"
#include "prep/terrain.h"

namespace kadre {

namespace {

// The tables of an option by the name they stand for (no name: the sources naming none).
std::map<std::string, std::string> tables_by_name(const std::vector<NamedTable>& given,
                                                  const char* fallback, const char* option) {
  std::map<std::string, std::string> by_name;
  for (const NamedTable& t : given) {
    const std::string name = t.name.empty() ? fallback : t.name;
    if (!by_name.emplace(name, t.path).second)
      prep_error("Volba " + std::string(option) + " je pro nazev " + name +
                 " zadana dvakrat (tabulka bez nazvu plati pro " + fallback + ").");
  }
  return by_name;
}

std::string option_for(const char* option, const std::string& name, const char* fallback) {
  return std::string(option) + " " + (name == fallback ? "" : name + "=") + "SOUBOR.csv";
}

void warn_unused(const std::map<std::string, std::string>& tables,
                 const std::vector<std::string>& used, const std::string& what, std::ostream& out) {
  for (const auto& [name, path] : tables)
    if (std::find(used.begin(), used.end(), name) == used.end())
      out << free_form_line("Varovani: " + what + " " + name + " ze souboru " + path +
                            " se nepouzije, zadny zdroj ji neuvadi.");
}

std::string first_difference(const std::vector<HourStamp>& a, const std::vector<HourStamp>& b) {
  if (a.size() != b.size())
    return "ma " + std::to_string(a.size()) + " hodin misto " + std::to_string(b.size());
  for (std::size_t t = 0; t < a.size(); ++t)
    if (a[t] != b[t]) return "se v hodine " + std::to_string(t + 1) + " lisi casem";
  return "";
}

std::vector<HourStamp> times_of(const MetTable& met) {
  std::vector<HourStamp> times;
  for (const MetRecord& r : met.records) times.push_back(r.time);
  return times;
}

// The wind roses, series and profiles every source needs, from the CSV tables.
void read_tables(const PrepOptions& o, Study& study, std::ostream& out) {
  std::vector<std::string> series, profiles;
  for (const StudySource& s : study.sources) {
    if (std::find(series.begin(), series.end(), s.series) == series.end())
      series.push_back(s.series);
    if (std::find(profiles.begin(), profiles.end(), s.profile) == profiles.end())
      profiles.push_back(s.profile);
  }
  const auto roses = tables_by_name(o.roses, kDefaultSeries, "--rose");
  const auto mets = tables_by_name(o.mets, kDefaultSeries, "--met");
  const auto profile_tables = tables_by_name(o.profiles, kDefaultProfile, "--profile");
  if (!roses.empty()) warn_unused(roses, series, "ruzice rady", out);
  if (!mets.empty()) warn_unused(mets, series, "meteorologicka rada", out);
  if (!profile_tables.empty()) warn_unused(profile_tables, profiles, "emisni profil", out);

  for (const std::string& name : series) {
    if (!roses.empty()) {
      const auto it = roses.find(name);
      if (it == roses.end())
        prep_error("Zdroje meteorologicke rady " + name + " nemaji ruzici: zadejte " +
                   option_for("--rose", name, kDefaultSeries) + ".");
      study.roses[name] = read_rose_csv(it->second, o.rose_fraction);
    }
    if (!mets.empty()) {
      const auto it = mets.find(name);
      if (it == mets.end())
        prep_error("Zdroje meteorologicke rady " + name + " nemaji meteorologickou radu: zadejte " +
                   option_for("--met", name, kDefaultSeries) + ".");
      study.mets[name] = read_met_csv(it->second);
    }
  }
  if (mets.empty()) return;
  // kadre takes the hours, the kind of the third value and the inversion data for all
  // series alike.
  const std::string& first_name = series.front();
  const MetTable& first = study.mets.at(first_name);
  const std::vector<HourStamp> hours = times_of(first);
  for (const auto& [name, met] : study.mets) {
    if (met.gradients != first.gradients || met.inversion != first.inversion)
      prep_error("Meteorologicke rady " + first_name + " a " + name +
                 " se lisi sloupci: vsechny musi mit gradient, nebo vsechny class, a vsechny "
                 "sloupce inverze, nebo zadna.");
    const std::string diff = first_difference(times_of(met), hours);
    if (!diff.empty())
      prep_error("Meteorologicka rada " + name + " (" + mets.at(name) + ") " + diff + " od rady " +
                 first_name + ": rady musi mit stejne hodiny.");
  }
  if (profile_tables.empty()) return;
  for (const std::string& name : profiles) {
    const auto it = profile_tables.find(name);
    if (it == profile_tables.end()) {
      if (name != kDefaultProfile)
        prep_error("Emisni profil " + name + " nema tabulku: zadejte " +
                   option_for("--profile", name, kDefaultProfile) + ".");
      study.constant_profiles.push_back(name);
      continue;
    }
    ProfileTable p = read_profile_csv(it->second);
    const std::string diff = first_difference(p.times, hours);
    if (!diff.empty())
      prep_error("Emisni profil " + name + " (" + it->second + ") " + diff +
                 " od meteorologicke rady " + first_name + ": profil musi mit jeji hodiny.");
    study.profiles[name] = std::move(p);
  }
}

std::string read_text(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream s;
  s << in.rdbuf();
  if (!in) prep_error("Soubor " + path + " nelze cist.");
  return s.str();
}

void check_totals(const EmissionTotals& t, const Study& study) {
  double scale = 0;
  for (const StudySource& s : study.sources)
    scale += std::abs(s.source.m) + std::abs(s.source.m_no);
  // Shares of one feature add up to 1 up to the rounding of each share.
  if (std::abs(t.m_written - t.m_given) > 1e-9 * scale ||
      std::abs(t.m_no_written - t.m_no_given) > 1e-9 * scale)
    throw std::logic_error("emise po rozdeleni se lisi od zadane");
}

void prepare(const PrepOptions& o, std::ostream& out) {
  PrepGdalSession gdal;
  const StudyCrs crs = study_crs(o.crs, o.input_crs, o.sources.front());
  Study study;
  study.pollutant_class = o.pollutant_class;
  study.crs = crs.text();
  out << free_form_line(crs.srs ? "Souradnicovy system studie: " + crs.name()
                                : "Studie nema souradnicovy system: souradnice vstupu se berou, "
                                  "jak jsou.");

  Bounds source_bounds;
  read_study_sources(o, crs, study, source_bounds);
  Bounds bounds = source_bounds;
  read_study_receptors(o, crs, source_bounds, study, bounds);
  read_tables(o, study, out);
  if (study.counts.towers > 0) {
    if (o.climate.empty())
      prep_error(
          "Zdroje obsahuji chladici veze: zadejte jejich klimaticke udaje volbou --climate.");
    read_climate_tables(o.climate, out);  // stops with kadre's own message when they do not read
    study.climate_text = read_text(o.climate);
  }
  if (!o.dem.empty()) {
    TerrainSummary summary;
    study.terrain =
        terrain_from_dem(o.dem, crs, bounds, o.cell, o.resampling, o.fill_nodata, summary);
    study.terrain_from_dem = true;
    if (!summary.crs_from.empty())
      out << free_form_line("Model terenu " + o.dem + " preveden ze systemu " + summary.crs_from +
                            " (prevzorkovani " + o.resampling + ").");
    if (summary.filled_cells > 0)
      out << free_form_line("Doplneno " + std::to_string(summary.filled_cells) +
                            " bunek terenu bez hodnoty (--fill-nodata).");
  } else {
    study.terrain = flat_terrain(bounds, o.cell > 0 ? o.cell : 100.0);
  }
  check_totals(study.totals, study);

  const std::vector<WrittenFile> files = write_study(study, o.out_dir);
  std::size_t width = 0;
  for (const WrittenFile& f : files) width = std::max(width, f.path.size());
  out << free_form_line("Studie zapsana do adresare " + o.out_dir + ":");
  for (const WrittenFile& f : files)
    out << free_form_line("  " + f.path + std::string(width - f.path.size() + 2, ' ') + f.what);
  out << free_form_line("Emise zdroju [g/s] pred rozdelenim " +
                        format_es11_5(study.totals.m_given) + ", po rozdeleni " +
                        format_es11_5(study.totals.m_written));
  if (study.totals.m_no_given != 0)
    out << free_form_line("Emise m_no [g/s] pred rozdelenim " +
                          format_es11_5(study.totals.m_no_given) + ", po rozdeleni " +
                          format_es11_5(study.totals.m_no_written));
  out << free_form_line("Vypocet: cd " + o.out_dir + " && kadre run.nml && kadre-map run.nml");
}

}  // namespace

int run_prep(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
  try {
    const PrepOptions o = parse_prep_options(args);
    if (o.help) {
      std::istringstream help(prep_help());
      for (std::string line; std::getline(help, line);)
        out << (line.empty() ? "\n" : free_form_line(line));
      return 0;
    }
    prepare(o, out);
    return 0;
  } catch (const RunError& e) {
    (e.to_stderr() ? err : out) << e.console_text();
  } catch (const std::bad_alloc&) {
    out << free_form_line("Nedostatek pameti pro pripravu studie.");
  } catch (const std::exception& e) {
    out << free_form_line(std::string("Vnitrni chyba programu: ") + e.what());
  }
  return 1;
}

}  // namespace kadre
