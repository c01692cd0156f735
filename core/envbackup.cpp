#include "core/envbackup.h"

#include <cstdio>

namespace zel {

std::string BackupFileName(const Timestamp& t, int attempt) {
  char buf[64];
  std::snprintf(buf, sizeof buf, "%04d%02d%02d%02d%02d%02d", t.year, t.month, t.day, t.hour,
                t.minute, t.second);
  std::string name = buf;
  if (attempt > 1) name += "-" + std::to_string(attempt);
  return name + ".jwf";
}

}  // namespace zel
