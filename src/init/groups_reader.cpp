#include "init/groups_reader.h"

#include <algorithm>
#include <unordered_map>
#include <unordered_set>

#include "core/errors.h"
#include "core/text.h"
#include "init/data_file.h"

namespace kadre {

namespace {

constexpr std::size_t kGroupNameLength = 20;
constexpr std::size_t kIdLength = 20;  // identifiers are cut as in the source files

bool valid_group_name(const std::string& name) {
  if (name.empty() || name.size() > kGroupNameLength) return false;
  return std::all_of(name.begin(), name.end(), [](char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '_' ||
           c == '-';
  });
}

}  // namespace

std::vector<SourceGroup> read_groups(const std::string& path, const std::vector<Source>& sources) {
  FreeFormatReader reader = open_data_file(path, "definici skupin zdroju");
  std::unordered_map<std::string, std::vector<int>> by_id;
  for (std::size_t k = 0; k < sources.size(); ++k)
    by_id[sources[k].id].push_back(static_cast<int>(k));

  std::vector<SourceGroup> groups;
  std::unordered_set<std::string> names;
  std::vector<FreeFormatReader::RecordItem> items;
  int line = 0;
  while (reader.read_record_items(items, line)) {
    if (items.empty() || items.front().text.starts_with('!')) continue;
    const std::string where = " na radku " + std::to_string(line) + " souboru " + rtrim(path);
    // Elsewhere a slash ends a record early: here it would drop the sources after it unseen.
    // Within a name it is one more character a name may not hold.
    for (std::size_t i = 0; i < items.size(); ++i)
      if (!items[i].quoted &&
          (items[i].text == "/" || (i > 0 && items[i].text.find('/') != std::string::npos)))
        raise_error("Znak /" + where + " neni v definici skupin zdroju dovolen.");
    const std::string name = rtrim(items.front().text);
    if (!valid_group_name(name))
      raise_error("Nazev skupiny zdroju '" + name + "'" + where +
                  " je neplatny: nejvice 20 znaku, jen pismena, cislice, _ a -.");
    if (!names.insert(name).second)
      raise_error("Skupina zdroju " + name + where + " uz byla definovana.");
    SourceGroup group{name, {}};
    for (std::size_t i = 1; i < items.size(); ++i) {
      const std::string id = rtrim(items[i].text.substr(0, kIdLength));
      const auto found = by_id.find(id);
      if (found == by_id.end())
        raise_error("Zdroj " + id + " skupiny " + name + where + " nebyl definovan.");
      group.members.insert(group.members.end(), found->second.begin(), found->second.end());
    }
    if (group.members.empty())
      raise_error("Skupina zdroju " + name + where + " neobsahuje zadny zdroj.");
    // A source named twice belongs once; members keep the order of the source table.
    std::sort(group.members.begin(), group.members.end());
    group.members.erase(std::unique(group.members.begin(), group.members.end()),
                        group.members.end());
    groups.push_back(std::move(group));
  }
  return groups;
}

}  // namespace kadre
