#include "core/favourites.h"

#include "core/text.h"

namespace zel {

RegisterResult RegisterFavourite(std::vector<ToolButtonSetting>& buttons, std::size_t index,
                                 const std::string& folder, int filter_index,
                                 const std::string& caption) {
  if (index >= buttons.size()) return RegisterResult::kNoSuchButton;
  const std::string key = folder + "," + std::to_string(filter_index);
  for (std::size_t i = 0; i < buttons.size(); ++i)
    if (i != index && EqualsNoCase(buttons[i].key, key)) return RegisterResult::kDuplicate;
  ToolButtonSetting& b = buttons[index];
  b.key = key;
  b.tag = std::to_string(filter_index);
  b.caption = caption;
  b.tooltip = folder;
  b.image = static_cast<std::int16_t>(filter_index + 1);
  return RegisterResult::kRegistered;
}

void FreeFavourite(ToolButtonSetting& button) { button = ToolButtonSetting{}; }

std::optional<FavouriteTarget> TargetOf(const ToolButtonSetting& button) {
  // The index after the last ",": a folder kept by its long name (where
  // there are no short names) may hold a comma of its own.
  const std::size_t comma = FindLastChar(button.key, ',');
  if (comma == std::string::npos) return std::nullopt;
  // The tag is written with a blank on either side; it is read as a number
  // is read from the front of a text, so an empty tag is index 0.
  std::size_t at = 0;
  while (at < button.tag.size() && button.tag[at] == ' ') ++at;
  int index = 0;
  for (; at < button.tag.size() && button.tag[at] >= '0' && button.tag[at] <= '9'; ++at) {
    index = index * 10 + (button.tag[at] - '0');
    if (index > 2) return std::nullopt;  // no such filter entry
  }
  return FavouriteTarget{button.key.substr(0, comma), index};
}

}  // namespace zel
