// Registering, removing and following the favourite-folder buttons.
#include <gtest/gtest.h>

#include <vector>

#include "core/favourites.h"
#include "core/settings.h"
#include "core/text.h"

namespace zel {
namespace {

TEST(Favourites, RegistrationFillsAllFiveValuesAndRefusesADuplicate) {
  std::vector<ToolButtonSetting> b(20);
  ASSERT_EQ(RegisterFavourite(b, 0, "C:\\JWW\\GAIHEN~1", 0, "GAIHEN"), RegisterResult::kRegistered);
  EXPECT_EQ(b[0].key, "C:\\JWW\\GAIHEN~1,0");
  EXPECT_EQ(b[0].tag, "0");
  EXPECT_EQ(b[0].caption, "GAIHEN");
  EXPECT_EQ(b[0].tooltip, "C:\\JWW\\GAIHEN~1");
  EXPECT_EQ(b[0].image, 1);

  // The same folder and type on a second button, in another letter case.
  const ToolButtonSetting before = b[1];
  EXPECT_EQ(RegisterFavourite(b, 1, "c:\\jww\\gaihen~1", 0, "x"), RegisterResult::kDuplicate);
  EXPECT_EQ(b[1].key, before.key);
  EXPECT_EQ(b[1].image, 0);
  // Another type of the same folder is another key.
  EXPECT_EQ(RegisterFavourite(b, 1, "C:\\JWW\\GAIHEN~1", 2, J("外変")), RegisterResult::kRegistered);
  EXPECT_EQ(b[1].key, "C:\\JWW\\GAIHEN~1,2");
  EXPECT_EQ(b[1].image, 3);
  // A registered button takes another folder; registering its own key
  // again is no duplicate.
  EXPECT_EQ(RegisterFavourite(b, 0, "D:\\OTHER", 1, "OTHER"), RegisterResult::kRegistered);
  EXPECT_EQ(b[0].key, "D:\\OTHER,1");
  EXPECT_EQ(RegisterFavourite(b, 0, "D:\\OTHER", 1, "OTHER"), RegisterResult::kRegistered);
  EXPECT_EQ(RegisterFavourite(b, 20, "D:\\X", 1, "X"), RegisterResult::kNoSuchButton);

  FreeFavourite(b[0]);
  EXPECT_TRUE(b[0].key.empty() && b[0].tag.empty() && b[0].caption.empty() &&
              b[0].tooltip.empty());
  EXPECT_EQ(b[0].image, 0);
}

TEST(Favourites, AJumpTakesTheFolderBeforeTheLastCommaAndTheTagsIndex) {
  ToolButtonSetting b;
  EXPECT_FALSE(TargetOf(b).has_value());  // a free button
  b.key = "C:\\A,B\\C,1";  // a long folder name may hold a comma of its own
  b.tag = " 1 ";           // as the settings file holds it
  ASSERT_TRUE(TargetOf(b).has_value());
  EXPECT_EQ(TargetOf(b)->folder, "C:\\A,B\\C");
  EXPECT_EQ(TargetOf(b)->filter_index, 1);
  b.tag = "";
  EXPECT_EQ(TargetOf(b)->filter_index, 0);
  b.tag = " 7 ";
  EXPECT_FALSE(TargetOf(b).has_value());
  b.key = "C:\\NO COMMA";
  b.tag = "0";
  EXPECT_FALSE(TargetOf(b).has_value());
}

}  // namespace
}  // namespace zel
