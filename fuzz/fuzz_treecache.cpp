// The tree cache read from any bytes: never a crash, and the cache text the
// tree writes back loads into the same tree again (what a restart shows is
// what was saved).
#include <cstdint>
#include <optional>
#include <string>

#include "core/foldertree.h"
#include "core/text.h"
#include "fuzz/fuzz_input.h"

using namespace zel;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  std::vector<std::string> parts = fuzz::Parts(data, size, 2);
  const unsigned char gone = parts[0].empty() ? 0 : static_cast<unsigned char>(parts[0][0]);
  // Folders "exist" unless their name's length hits the input's choice:
  // some lines name folders that have gone, anywhere in the file.
  const FolderKeyFunction key_of = [gone](const std::string& parent,
                                          const std::string& name) -> std::optional<std::string> {
    if (name.empty() || (gone && name.size() % (gone % 7 + 2) == 0)) return std::nullopt;
    // The parent's key is in upper case already, as the tree's keys are.
    return parent + "\\" + AsciiUpper(name);
  };
  FolderTree tree;
  tree.Reset("c:");
  tree.AddCacheText(parts[1], key_of);
  const std::string saved = tree.CacheText();
  for (const std::string& line : TreeCacheLines(saved)) fuzz::Require(!line.empty());

  FolderTree again;
  again.Reset("c:");
  again.AddCacheText(saved, key_of);
  fuzz::Require(again.CacheText() == saved);
  return 0;
}
