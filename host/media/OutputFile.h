// The offline render's output file. It is written under a temporary name in the folder of the
// file asked for and takes that file's place only once it is closed whole (commit), so a render
// that fails leaves no file behind, or the file that was there untouched. A target that is not
// a regular file (/dev/null, a FIFO) cannot be replaced: it is written in place.
#pragma once

#include <string>
#include <thread>

#include "host/media/WavFileSink.h"

namespace host {

class OutputFile {
 public:
  OutputFile() = default;
  ~OutputFile();  // discard()s what was not committed
  OutputFile(const OutputFile&) = delete;
  OutputFile& operator=(const OutputFile&) = delete;

  // False with the reason when the file cannot be written there (no such folder, no right to
  // write in it, a folder by that name).
  bool open(const std::string& path, double sampleRate, int channels, std::string& error);
  WavFileSink& sink() { return sink_; }
  const std::string& path() const { return path_; }

  // Completes the file and puts it in place. False with the reason when either fails; nothing
  // is left of it then.
  bool commit(std::string& error);
  // Drops what was written.
  void discard();

 private:
  std::string path_;     // the file asked for
  std::string target_;   // the file that is replaced: path_, or where a symbolic link leads
  std::string writing_;  // the temporary beside target_, or target_ when written in place
  WavFileSink sink_;
  // Drops the cached pages of the file about to be replaced while the render runs: otherwise the
  // rename that replaces it frees them all at the very end, on the thread every block waited for.
  std::thread dropReplaced_;
  void dropReplacedCache();
  void joinDropReplaced();
};

}  // namespace host
