#include "core/errors.h"

#include "core/text.h"

namespace kadre {

namespace {
constexpr std::size_t kMessageLength = 400;
}

std::string free_form_line(const std::string& text) { return " " + text + "\n"; }

void raise_error(const std::string& error_msg) {
  std::string msg = error_msg.substr(0, kMessageLength);
  throw RunError(free_form_line(rtrim(msg)));
}

void stop_with_lines(std::initializer_list<std::string> lines) {
  std::string text;
  for (const auto& line : lines) text += free_form_line(line);
  throw RunError(text);
}

void stop_with_lines(const std::vector<std::string>& lines) {
  std::string text;
  for (const auto& line : lines) text += free_form_line(line);
  throw RunError(text);
}

std::string index_error_line(const std::string& operation, const std::string& array, int dimension,
                             long index, long lower, long upper) {
  const bool above = index > upper;
  return operation + ": Index '" + std::to_string(index) + "' of dimension " +
         std::to_string(dimension) + " of array '" + array + "' " +
         (above ? "above upper bound of " + std::to_string(upper)
                : "below lower bound of " + std::to_string(lower));
}

void index_error(const std::string& operation, const std::string& array, int dimension, long index,
                 long lower, long upper) {
  throw RunError(
      free_form_line(index_error_line(operation, array, dimension, index, lower, upper)));
}

}  // namespace kadre
