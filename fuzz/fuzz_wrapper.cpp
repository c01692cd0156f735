// The wrapper batch built from any batch and any folders: never a crash,
// every line ended by CR LF, and a "%" of a folder never left single for
// cmd to expand.
#include <cstdint>
#include <optional>

#include "core/text.h"
#include "core/wrapper.h"
#include "fuzz/fuzz_input.h"

using namespace zel;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  std::vector<std::string> parts = fuzz::Parts(data, size, 5);
  // A folder or an engine label holds no line break: Windows allows none in
  // a name, and the boxes they come from hold one line.
  for (int i = 1; i <= 3; ++i) parts[i] = OneLine(parts[i]);
  const unsigned char flags = parts[0].empty() ? 0 : static_cast<unsigned char>(parts[0][0]);
  WrapperInput in;
  in.J = parts[1];
  in.F = parts[2];
  in.B0 = parts[2] + "\\a.bat";
  in.E = parts[3];
  in.Move = flags & 1;
  in.Debug = flags & 2;
  in.WriteOut = flags & 4;
  in.Gawk = (flags >> 3) % 3;
  in.Callwin = flags & 32;
  in.KeepJWCTEMP = flags & 64;
  in.Editor = parts[1];
  in.short_path_if_exists = [](const std::string& p) -> std::optional<std::string> {
    if (p.size() % 3 == 0) return std::nullopt;
    return p;
  };
  fuzz::ChunkedSource source(parts[4], size % 11 + 1);
  std::vector<std::string> lines;
  fuzz::Require(ReadBatchLines(source, lines));
  const std::string text = BuildWrapper(in, lines);
  // Every line break of the wrapper is CR LF; the batch's own lines hold no
  // line end once read.
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '\n') fuzz::Require(i > 0 && text[i - 1] == '\r');
    if (text[i] == '\r') fuzz::Require(i + 1 < text.size() && text[i + 1] == '\n');
  }
  fuzz::Require(text.size() >= 4 && text.compare(text.size() - 4, 4, "\r\n\r\n") == 0);
  return 0;
}
