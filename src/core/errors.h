#pragma once
// Orderly stops of a run. Every stop travels up to run() as a RunError that carries
// the exact console text; run() prints it and returns exit status 1.
#include <initializer_list>
#include <stdexcept>
#include <string>
#include <vector>

namespace kadre {

class RunError : public std::runtime_error {
 public:
  explicit RunError(std::string console_text, bool to_stderr = false)
      : std::runtime_error(console_text), to_stderr_(to_stderr) {}
  // The bytes to print, line breaks included.
  std::string console_text() const { return what(); }
  bool to_stderr() const { return to_stderr_; }

 private:
  bool to_stderr_;
};

// Free-form console line: one leading blank, the text, a line break.
std::string free_form_line(const std::string& text);

// Stops with an input message: trailing blanks removed, cut to 400 characters, printed
// as one free-form line (line feeds inside the message start new lines).
[[noreturn]] void raise_error(const std::string& error_msg);

// Stops with several free-form lines.
[[noreturn]] void stop_with_lines(std::initializer_list<std::string> lines);
[[noreturn]] void stop_with_lines(const std::vector<std::string>& lines);

// The line of an index error (below), without its line break.
std::string index_error_line(const std::string& operation, const std::string& array, int dimension,
                             long index, long lower, long upper);

// Stops because an index taken from input data lies outside its table.
// operation: where it happened; array: table name; dimension counts from 1.
[[noreturn]] void index_error(const std::string& operation, const std::string& array, int dimension,
                              long index, long lower, long upper);

// Returns index unchanged when lower <= index <= upper, else stops with index_error.
inline long checked_index(const char* operation, const char* array, int dimension, long index,
                          long lower, long upper) {
  if (index < lower || index > upper) index_error(operation, array, dimension, index, lower, upper);
  return index;
}

}  // namespace kadre
