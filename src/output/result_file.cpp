#include "output/result_file.h"

#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <system_error>
#include <utility>

#include "core/errors.h"
#include "core/termination.h"

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

namespace {

// ".<stem>.kadre-<pid><mark><extension>" in the file's directory.
std::string hidden_path(const std::string& path, const char* mark) {
  const std::filesystem::path final(path);
  std::string name(".");
  name.append(final.stem().string()).append(".kadre-").append(std::to_string(::getpid()));
  name.append(mark).append(final.extension().string());
  return (final.parent_path() / name).string();
}

}  // namespace

std::string temporary_path(const std::string& path) { return hidden_path(path, ""); }

std::string backup_path(const std::string& path) { return hidden_path(path, "-old"); }

bool rename_file(const std::string& from, const std::string& to) {
  return std::rename(from.c_str(), to.c_str()) == 0;
}

std::string ResultSet::temporary_for(const std::string& path) {
  files_.emplace_back(temporary_path(path), path);
  return files_.back().first;
}

void ResultSet::commit() {
  stop_if_terminated();
  namespace fs = std::filesystem;
  struct Step {
    bool kept_earlier = false;  // the earlier file is under its backup name
    bool placed = false;        // the new file is at its final path
  };
  std::vector<Step> steps(files_.size());
  std::size_t at = 0;
  for (; at < files_.size(); ++at) {
    const auto& [temporary, final] = files_[at];
    std::error_code ec;
    if (fs::exists(fs::symlink_status(final, ec))) {
      if (!rename_(final, backup_path(final))) break;
      steps[at].kept_earlier = true;
    }
    if (!rename_(temporary, final)) break;
    steps[at].placed = true;
  }
  std::error_code ec;
  if (at == files_.size()) {
    for (std::size_t i = 0; i < files_.size(); ++i)
      if (steps[i].kept_earlier) fs::remove(backup_path(files_[i].second), ec);
    files_.clear();
    return;
  }
  // Back to the earlier set, latest step first; the temporaries not placed go with the set.
  std::string text = free_form_line(write_error_message(files_[at].second));
  for (std::size_t i = at + 1; i-- > 0;) {
    const std::string& final = files_[i].second;
    if (steps[i].placed && !steps[i].kept_earlier) fs::remove(final, ec);
    if (steps[i].kept_earlier && !rename_(backup_path(final), final))
      text += free_form_line("Puvodni soubor " + final + " zustal ulozen jako " +
                             backup_path(final) + ".");
  }
  throw RunError(text);
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
  stop_if_terminated();  // a safe point: the set's temporaries go with the stop
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
