// The analysis of a selected batch, environment or layer file in both
// display modes: never a crash, and the comment view stays within its
// bounds.
#include <cstdint>

#include "core/analysis.h"
#include "fuzz/fuzz_input.h"

using namespace zel;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string bytes(reinterpret_cast<const char*>(data), size);
  for (DisplayMode mode : {DisplayMode::kFiltered, DisplayMode::kAll}) {
    fuzz::ChunkedSource batch(bytes, size % 13 + 1);
    const AnalysisResult r = AnalyseBatch(
        batch, mode, "C:\\GAIHEN\\a.bat", [](const std::string& p) { return p.size() % 2 == 0; },
        size);
    fuzz::Require(r.display.size() <= kMaxViewBytes);
    fuzz::Require(r.failed == (r.failure != AnalysisFailure::kNone));
    fuzz::Require(r.related_captions.size() <= kRelatedMenuSlots);
    fuzz::ChunkedSource settings(bytes, size % 5 + 1);
    const AnalysisResult s = AnalyseSettingsFile(settings, mode, size);
    fuzz::Require(s.display.size() <= kMaxViewBytes);
  }
  return 0;
}
