#include "output/result_dir.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <csignal>
#include <filesystem>
#include <limits>
#include <system_error>
#include <utility>

#include "core/errors.h"
#include "core/text.h"
#include "output/result_file.h"
#include "output/result_paths.h"

namespace kadre {

namespace fs = std::filesystem;

namespace {

// The directory part of a path as written ("" for the working directory).
std::string dir_of(const std::string& path) {
  const std::size_t slash = path.rfind('/');
  return slash == std::string::npos ? "" : path.substr(0, slash + 1);
}

// A file a result set names after its process: a temporary or a kept earlier file.
struct LeftFile {
  long pid = 0;
  bool earlier = false;    // the earlier file a commit kept aside
  std::string final_name;  // the result file it belongs to
};

// Reads ".<stem>.kadre-<pid>[-old][<extension>]", the names of temporary_path and backup_path.
bool parse_left_file(const std::string& name, LeftFile& left) {
  const std::size_t mark = name.rfind(".kadre-");
  if (!name.starts_with('.') || mark == std::string::npos || mark < 2) return false;
  std::size_t end = mark + 7;
  while (end < name.size() && name[end] >= '0' && name[end] <= '9') ++end;
  long long pid = 0;
  if (!parse_integer(std::string_view(name).substr(mark + 7, end - mark - 7), 1,
                     std::numeric_limits<pid_t>::max(), pid))
    return false;
  std::string_view rest = std::string_view(name).substr(end);
  left.earlier = rest.starts_with("-old");
  if (left.earlier) rest.remove_prefix(4);
  if (!rest.empty() && (rest[0] != '.' || rest.find('.', 1) != std::string_view::npos))
    return false;
  left.pid = static_cast<long>(pid);
  left.final_name = name.substr(1, mark - 1) + std::string(rest);
  return true;
}

// This process has made no file in the directory yet: one of its own pid is another's.
bool process_exists(long pid) {
  if (pid == static_cast<long>(::getpid())) return false;
  return ::kill(static_cast<pid_t>(pid), 0) == 0 || errno != ESRCH;
}

std::string lock_path(const std::string& dir) { return dir + ".kadre.lock"; }

}  // namespace

ResultDirLock::ResultDirLock(const std::string& dir, const std::string& first_file)
    : path_(lock_path(dir)) {
  for (;;) {
    fd_ = ::open(path_.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0644);
    if (fd_ < 0) stop_with_lines({write_error_message(first_file)});
    if (::flock(fd_, LOCK_EX | LOCK_NB) != 0) {
      const int error = errno;
      ::close(std::exchange(fd_, -1));
      if (error == EWOULDBLOCK)
        raise_error("Adresar " + (dir.empty() ? std::string("./") : dir) +
                    " pouziva jiny bezici vypocet programu kadre (zamek " + path_ + ").");
      // A file system without locks: the run goes on as it did before locks.
      return;
    }
    // The run before may have removed the file between our open and our lock: the lock
    // counts only on the file that has the name.
    struct stat held = {};
    struct stat named = {};
    if (::fstat(fd_, &held) == 0 && ::stat(path_.c_str(), &named) == 0 &&
        held.st_dev == named.st_dev && held.st_ino == named.st_ino)
      return;
    ::close(std::exchange(fd_, -1));
  }
}

ResultDirLock::ResultDirLock(ResultDirLock&& other) noexcept
    : path_(std::move(other.path_)), fd_(std::exchange(other.fd_, -1)) {}

ResultDirLock::~ResultDirLock() {
  if (fd_ < 0) return;
  ::unlink(path_.c_str());  // while still held: a run waiting on the old file takes a new one
  ::close(fd_);
}

void clear_left_files(const std::string& dir, std::ostream& out) {
  std::vector<std::pair<std::string, LeftFile>> found;
  std::error_code ec;
  for (fs::directory_iterator it(dir.empty() ? fs::path(".") : fs::path(dir), ec), end;
       !ec && it != end; it.increment(ec)) {
    const std::string name = it->path().filename().string();
    LeftFile left;
    if (parse_left_file(name, left) && it->is_regular_file(ec) && !it->is_symlink(ec) &&
        !process_exists(left.pid))
      found.emplace_back(name, left);
  }
  std::sort(found.begin(), found.end(),
            [](const auto& a, const auto& b) { return a.first < b.first; });
  for (const auto& [name, left] : found) {
    const std::string path = dir + name, final = dir + left.final_name;
    const std::string whose =
        " preruseneho vypoctu (proces " + std::to_string(left.pid) + " jiz nebezi).";
    if (left.earlier && !fs::exists(fs::symlink_status(final, ec)) && rename_file(path, final)) {
      out << free_form_line("Varovani: obnoven soubor " + final + " ze zalohy " + path + whose);
      continue;
    }
    if (fs::remove(path, ec)) out << free_form_line("Varovani: odstranen soubor " + path + whose);
  }
}

void ResultDirLocks::take_for(const std::string& path, std::ostream& out) {
  const std::string written = dir_of(path);
  if (std::find(written_.begin(), written_.end(), written) != written_.end()) return;
  written_.push_back(written);
  const std::string dir = fs::path(result_identity(path)).parent_path().string();
  if (std::find(locked_.begin(), locked_.end(), dir) != locked_.end()) return;
  locks_.emplace_back(written, path);
  locked_.push_back(dir);
  clear_left_files(written, out);
}

}  // namespace kadre
