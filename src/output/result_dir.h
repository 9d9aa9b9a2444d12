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

// The files a run whose process no longer exists left in dir: its temporaries are removed;
// an earlier file it kept aside is put back where its path is free and removed otherwise (the
// new file is in place). Each with a warning on out.
void clear_left_files(const std::string& dir, std::ostream& out);

// The locks of the directories of a run's result files, each taken once however its path is
// spelt, and held while the object lives.
class ResultDirLocks {
 public:
  // Locks the directory of the result file (unless held already) and clears it of what killed
  // runs left there.
  void take_for(const std::string& path, std::ostream& out);

 private:
  std::vector<std::string> written_;  // the directories as the paths write them
  std::vector<std::string> locked_;   // and as they resolve
  std::vector<ResultDirLock> locks_;
};

}  // namespace kadre
