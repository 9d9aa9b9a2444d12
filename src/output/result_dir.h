#pragma once
// The directories a run writes its results into: held by one run at a time, and cleared of what
// a run killed on the way (SIGKILL, a power cut) left there.
#include <ostream>
#include <string>
#include <vector>

namespace kadre {

// An advisory lock (flock) on a directory, held by a lock file in it while the object lives;
// the file is removed again at the end. Stops at once (RunError) when another process holds
// the lock, with a message naming the directory; with the write-error message of `first_file`
// when no file can be made there.
class ResultDirLock {
 public:
  ResultDirLock(const std::string& dir, const std::string& first_file);
  ~ResultDirLock();
  ResultDirLock(ResultDirLock&& other) noexcept;
  ResultDirLock& operator=(ResultDirLock&&) = delete;
  ResultDirLock(const ResultDirLock&) = delete;
  ResultDirLock& operator=(const ResultDirLock&) = delete;

 private:
  std::string path_;
  int fd_ = -1;
};

// The name of the lock file of the directory (as written, ending with a separator or empty).
std::string lock_path(const std::string& dir);

// The files a run whose process no longer exists left in dir: its temporaries are removed;
// an earlier file it kept aside is put back where its path is free and removed otherwise (the
// new file is in place). Each with a warning on out.
void clear_left_files(const std::string& dir, std::ostream& out);

// Locks the directories of the result files (each once, however it is spelt) and clears them
// of what killed runs left there. The locks are held while the returned objects live.
std::vector<ResultDirLock> lock_result_directories(const std::vector<std::string>& paths,
                                                   std::ostream& out);

}  // namespace kadre
