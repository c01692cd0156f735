// Line-by-line reading of files in the way the program's formats need:
// reading stops as early as the rules allow, and no byte is changed.
#pragma once

#include <cstddef>
#include <memory>
#include <string>
#include <vector>

namespace zel {

// A readable stream of bytes (an open file).
class ByteSource {
 public:
  virtual ~ByteSource() = default;
  // Reads up to n bytes; returns the count, 0 at the end, -1 on an error.
  virtual long long Read(char* buf, std::size_t n) = 0;
};

// Which bytes end a line.
enum class LineEnds {
  kCr,       // CR, or CR LF; a lone LF stays inside the line
  kCrOrLf,   // CR LF, CR or LF
};

// Reads lines of a file. Batches and settings files are saved by all kinds
// of editors, with CR LF, LF or a mix of both, so by default CR LF, CR and
// LF each end a line (a CR LF is one line end, an LF after a CR never an
// empty line of its own).
class LineReader {
 public:
  explicit LineReader(ByteSource& src, LineEnds ends = LineEnds::kCrOrLf,
                      std::size_t chunk = 4096);

  // The next line without its end. False when no line is left or the read
  // failed (then Failed() is true). A file ending without a line end still
  // gives its last line; an empty file gives none.
  bool ReadLine(std::string& line);

  // As ReadLine, but keeps only the first max_bytes bytes of the line and
  // skips the rest unread into memory. For scans that look at line starts.
  bool ReadLinePrefix(std::string& prefix, std::size_t max_bytes);

  bool Failed() const { return failed_; }

 private:
  bool Fill();
  bool ReadImpl(std::string& line, std::size_t max_bytes);

  ByteSource& src_;
  LineEnds ends_;
  std::vector<char> buf_;
  std::size_t pos_ = 0;
  std::size_t len_ = 0;
  bool eof_ = false;
  bool failed_ = false;
  bool skip_lf_ = false;  // a CR ended the last line; drop one LF after it
};

// Reads every line of a whole byte string (CR LF, CR or LF ends).
std::vector<std::string> SplitLines(const std::string& bytes);

}  // namespace zel
