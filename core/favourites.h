// The favourite-folder buttons: what a registration, a removal and a jump
// do to the buttons' values. A registered button holds the folder and the
// filter index in its key ("C:\JWW\GAIHEN~1,0"), the index in its tag, the
// folder's display name as caption, the folder as tooltip, and picture
// filter index + 1; a free button holds nothing and picture 0.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <vector>

#include "core/settings.h"

namespace zel {

enum class RegisterResult { kRegistered, kDuplicate, kNoSuchButton };

// Registers `folder` with the filter index on button `index`. Keys are
// unique among the buttons, letter case ignored: when another button holds
// the same folder and type already, nothing changes (kDuplicate). The
// button's own old registration is simply replaced.
RegisterResult RegisterFavourite(std::vector<ToolButtonSetting>& buttons, std::size_t index,
                                 const std::string& folder, int filter_index,
                                 const std::string& caption);

// Makes the button free.
void FreeFavourite(ToolButtonSetting& button);

struct FavouriteTarget {
  std::string folder;  // the key up to its last ","
  int filter_index = 0;
};

// Where a click on the button jumps to; nothing for a free button, or one
// whose key holds no "," or whose tag is no filter index.
std::optional<FavouriteTarget> TargetOf(const ToolButtonSetting& button);

}  // namespace zel
