#include "output/result_file.h"

#include <unistd.h>

#include <filesystem>
#include <system_error>
#include <utility>

#include "core/errors.h"

namespace kadre {

namespace {
constexpr std::size_t kBufferSize = 1 << 20;
}

std::string write_error_message(const std::string& path) {
  return "Chyba pri zapisu do souboru " + path + ".";
}

ResultSet::~ResultSet() {
  std::error_code ec;
  for (const auto& [temporary, final] : files_) std::filesystem::remove(temporary, ec);
}

std::string temporary_path(const std::string& path) {
  const std::filesystem::path final(path);
  std::string name(".");
  name.append(final.stem().string()).append(".kadre-").append(std::to_string(::getpid()));
  name.append(final.extension().string());
  return (final.parent_path() / name).string();
}

std::string ResultSet::temporary_for(const std::string& path) {
  files_.emplace_back(temporary_path(path), path);
  return files_.back().first;
}

void ResultSet::commit() {
  for (const auto& [temporary, final] : files_) {
    std::error_code ec;
    std::filesystem::rename(temporary, final, ec);
    if (ec) stop_with_lines({write_error_message(final)});
  }
  files_.clear();
}

ResultFile::ResultFile(std::string path, ResultSet* set) : path_(std::move(path)) {
  file_ = std::fopen(set != nullptr ? set->temporary_for(path_).c_str() : path_.c_str(), "w");
  if (file_ == nullptr) fail();
  buffer_.reserve(kBufferSize);
}

ResultFile::~ResultFile() {
  if (file_ != nullptr) std::fclose(file_);
}

void ResultFile::append(std::string_view text) {
  if (buffer_.size() + text.size() > kBufferSize) {
    flush_buffer();
    // A block as large as the buffer goes out as it is, without a copy.
    if (text.size() >= kBufferSize) return write_out(text);
  }
  buffer_.append(text);
}

void ResultFile::write_out(std::string_view text) {
  if (std::fwrite(text.data(), 1, text.size(), file_) != text.size()) fail();
}

void ResultFile::flush_buffer() {
  if (buffer_.empty()) return;
  write_out(buffer_);
  buffer_.clear();
}

void ResultFile::close() {
  flush_buffer();
  std::FILE* f = std::exchange(file_, nullptr);
  if (std::fclose(f) != 0) fail();
}

void ResultFile::fail() {
  if (file_ != nullptr) std::fclose(std::exchange(file_, nullptr));
  // Not cut like input messages: the whole path tells the user which file is missing.
  stop_with_lines({write_error_message(path_)});
}

}  // namespace kadre
