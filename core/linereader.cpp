#include "core/linereader.h"

namespace zel {

LineReader::LineReader(ByteSource& src, LineEnds ends, std::size_t chunk)
    : src_(src), ends_(ends), buf_(chunk ? chunk : 1) {}

bool LineReader::Fill() {
  if (eof_ || failed_) return false;
  long long n = src_.Read(buf_.data(), buf_.size());
  if (n < 0) {
    failed_ = true;
    return false;
  }
  if (n == 0) {
    eof_ = true;
    return false;
  }
  pos_ = 0;
  len_ = static_cast<std::size_t>(n);
  return true;
}

bool LineReader::ReadImpl(std::string& line, std::size_t max_bytes) {
  line.clear();
  bool any = false;  // something of this line was seen (bytes or its end)
  for (;;) {
    if (pos_ == len_ && !Fill()) return any && !failed_;
    if (skip_lf_) {
      skip_lf_ = false;
      if (buf_[pos_] == '\n') {
        ++pos_;
        continue;
      }
    }
    std::size_t start = pos_;
    const bool lf_ends = ends_ == LineEnds::kCrOrLf;
    while (pos_ < len_) {
      // Nearly every byte is above CR, so one comparison passes it.
      const auto c = static_cast<unsigned char>(buf_[pos_]);
      if (c <= '\r' && (c == '\r' || (c == '\n' && lf_ends))) break;
      ++pos_;
    }
    any = any || pos_ > start;
    if (line.size() < max_bytes) {
      std::size_t take = pos_ - start;
      if (take > max_bytes - line.size()) take = max_bytes - line.size();
      line.append(buf_.data() + start, take);
    }
    if (pos_ < len_) {  // a line end
      skip_lf_ = buf_[pos_] == '\r';
      ++pos_;
      return true;
    }
  }
}

bool LineReader::ReadLine(std::string& line) {
  return ReadImpl(line, std::string::npos);
}

bool LineReader::ReadLinePrefix(std::string& prefix, std::size_t max_bytes) {
  return ReadImpl(prefix, max_bytes);
}

std::vector<std::string> SplitLines(const std::string& bytes) {
  std::vector<std::string> lines;
  std::size_t start = 0;
  while (start < bytes.size()) {
    std::size_t end = bytes.find_first_of("\r\n", start);
    if (end == std::string::npos) {
      lines.push_back(bytes.substr(start));
      break;
    }
    lines.push_back(bytes.substr(start, end - start));
    start = end + ((bytes[end] == '\r' && end + 1 < bytes.size() &&
                    bytes[end + 1] == '\n') ? 2 : 1);
  }
  return lines;
}

}  // namespace zel
