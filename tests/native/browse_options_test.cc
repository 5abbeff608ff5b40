#include "browsing/browse_options.h"

#include <gtest/gtest.h>

#include <cstdint>

namespace {

struct FlagsCase {
  TBrowseOptions options;
  std::uint32_t flags;
};

TEST(BrowseOptions, FlagsOfEachSet) {
  const FlagsCase cases[] = {
      {{}, 0x0201},
      {{boNewFolderButton}, 0x0001},
      {{boEditBox}, 0x0211},
      {{boShowShares}, 0x8201},
      {{boNewDialogStyle}, 0x0241},
      {{boIncludeFiles}, 0x4201},
      {{boValidate}, 0x0221},
      {{boEditBox, boValidate}, 0x0231},
      {{boNewFolderButton, boNewDialogStyle}, 0x0041},
      {{boNewFolderButton, boEditBox, boShowShares, boNewDialogStyle, boIncludeFiles, boValidate}, 0xC071},
  };
  for (const FlagsCase& c : cases) {
    EXPECT_EQ(BrowseFlags(c.options), c.flags) << "options byte " << int{c.options.Bits()};
  }
}

TEST(BrowseOptions, MainDialogsByteGives0x241) {
  EXPECT_EQ(TBrowseOptions::FromBits(8), TBrowseOptions{boNewDialogStyle});
  EXPECT_EQ(BrowseFlags(TBrowseOptions::FromBits(8)), 0x241u);
}

TEST(BrowseOptions, BitNStandsForMemberN) {
  const TBrowseOption members[] = {boNewFolderButton, boEditBox,      boShowShares,
                                   boNewDialogStyle,  boIncludeFiles, boValidate};
  for (unsigned bit = 0; bit < 6; ++bit) {
    const TBrowseOptions single = TBrowseOptions::FromBits(static_cast<std::uint8_t>(1u << bit));
    EXPECT_EQ(single, TBrowseOptions{members[bit]}) << "bit " << bit;
    for (unsigned other = 0; other < 6; ++other) {
      EXPECT_EQ(single.Contains(members[other]), other == bit) << "bit " << bit << ", member " << other;
    }
  }
}

TEST(BrowseOptions, BitsWithoutMemberAreDropped) {
  EXPECT_EQ(TBrowseOptions::FromBits(0xC8), TBrowseOptions{boNewDialogStyle});
  EXPECT_EQ(TBrowseOptions::FromBits(0xFF).Bits(), 0x3F);
  EXPECT_EQ(BrowseFlags(TBrowseOptions::FromBits(0xC0)), 0x201u);
}

}  // namespace
