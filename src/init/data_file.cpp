#include "init/data_file.h"

#include "core/errors.h"
#include "core/text.h"
#include "init/diagnostics.h"

namespace kadre {

FreeFormatReader open_data_file(const std::string& path, const std::string& description) {
  check_file_exist(path, description);
  FreeFormatReader reader(rtrim(path));
  if (!reader.is_open())
    raise_error("Soubor " + rtrim(path) + " s " + rtrim(description) + " nelze otevrit.");
  return reader;
}

}  // namespace kadre
