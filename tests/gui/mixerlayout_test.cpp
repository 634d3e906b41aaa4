#include "gui/mixerlayout.h"

#include "velmora/velmora.h"

#include <gtest/gtest.h>

#include <map>
#include <set>
#include <vector>

namespace {

const ControlPlacement* Find(std::uint16_t id) {
  for (const ControlPlacement& place : MixerLayout())
    if (place.id == id) return &place;
  return nullptr;
}

std::vector<std::uint16_t> IdsWhere(bool (*rule)(std::uint16_t)) {
  std::vector<std::uint16_t> ids;
  for (const ControlPlacement& place : MixerLayout())
    if (rule(place.id)) ids.push_back(place.id);
  return ids;
}

bool Overlap(const ControlPlacement& a, const ControlPlacement& b) {
  return a.x < b.x + b.cx && b.x < a.x + a.cx && a.y < b.y + b.cy && b.y < a.y + a.cy;
}

}  // namespace

TEST(MixerLayout, EveryParameterControlExistsOnceAndInsideTheWindow) {
  std::map<std::uint16_t, int> seen;
  for (const ControlPlacement& place : MixerLayout()) {
    EXPECT_GE(place.x, 0);
    EXPECT_GE(place.y, 0);
    EXPECT_LE(place.x + place.cx, kLayoutWidth) << std::hex << place.id;
    if (place.kind != ControlKind::ComboBox) {  // its height includes the dropped list
      EXPECT_LE(place.y + place.cy, kLayoutHeight) << std::hex << place.id;
    }
    if (place.id != 0) ++seen[place.id];
  }
  for (const auto& [id, count] : seen) EXPECT_EQ(count, 1) << std::hex << id;

  std::set<std::uint16_t> expected = {0x4800, 0x4802, 0x4808, 0x480A, 0x480B, 108};
  for (int i = 0; i < 10; ++i)
    for (int group : {0x4010, 0x5000, 0x4020, 0x4400}) expected.insert(group + i);
  for (int i = 0; i < 8; ++i)
    for (int group : {0x4040, 0x4200, 0x4080, 0x4100}) expected.insert(group + i);
  std::set<std::uint16_t> made;
  for (const auto& entry : seen) made.insert(entry.first);
  EXPECT_EQ(made, expected);
}

TEST(MixerLayout, ControlsOfTheStripsAndTheMasterSectionDoNotOverlap) {
  std::vector<const ControlPlacement*> solid;
  for (const ControlPlacement& place : MixerLayout())
    if (place.kind != ControlKind::Background && place.kind != ControlKind::GroupBox &&
        place.kind != ControlKind::ComboBox)
      solid.push_back(&place);
  for (size_t a = 0; a < solid.size(); ++a)
    for (size_t b = a + 1; b < solid.size(); ++b)
      EXPECT_FALSE(Overlap(*solid[a], *solid[b]))
          << std::hex << solid[a]->id << " at " << std::dec << solid[a]->x << "," << solid[a]->y
          << " and " << std::hex << solid[b]->id << " at " << std::dec << solid[b]->x << ","
          << solid[b]->y;
}

TEST(MixerLayout, StripsRepeatEvery44PixelsWithTheirOwnChannelNumbers) {
  EXPECT_EQ(Find(0x4027)->x, 320);  // the last channel fader
  EXPECT_EQ(Find(0x4027)->y, 338);
  EXPECT_EQ(Find(0x4047)->x, 309);  // its knob
  EXPECT_EQ(Find(0x4407)->x, 313);
  EXPECT_EQ(Find(0x4019)->x, 409);  // the right meter of the output pair
  EXPECT_EQ(Find(0x5009)->x, 401);

  std::vector<std::string> labels;
  for (const ControlPlacement& place : MixerLayout())
    if (place.kind == ControlKind::Label && place.id == 0) labels.push_back(place.text);
  EXPECT_EQ(labels, (std::vector<std::string>{"Ch 1", "Ch 2", "Ch 3", "Ch 4", "Ch 5", "Ch 6",
                                              "Ch 7", "Ch 8"}));
  EXPECT_EQ(Find(0x4808)->text, "Output 1 && 2");
  EXPECT_EQ(Find(0x480B)->text, "DAW In 1 && 2");
}

TEST(MixerLayout, CreationOrderGivesTheTabOrderAndTheMeterList) {
  EXPECT_EQ(IdsWhere(IsTabStopField),
            (std::vector<std::uint16_t>{0x4200, 0x4201, 0x4202, 0x4203, 0x4204, 0x4205, 0x4206,
                                        0x4207, 0x4400, 0x4401, 0x4402, 0x4403, 0x4404, 0x4405,
                                        0x4406, 0x4407, 0x4408, 0x4409}));
  const std::vector<std::uint16_t> meters = IdsWhere(IsMeterControl);
  ASSERT_EQ(meters.size(), 20u);
  EXPECT_EQ(meters[0], 0x4010);
  EXPECT_EQ(meters[1], 0x5000);
  EXPECT_EQ(meters[19], 0x5009);
  // The decorations, the picture and the labels of the channels are no parameters.
  EXPECT_FALSE(IsParameterControl(0));
  EXPECT_FALSE(IsParameterControl(108));
  EXPECT_TRUE(IsParameterControl(0x480B));
  EXPECT_FALSE(IsMeterControl(0x480B));
  EXPECT_FALSE(IsParameterControl(0x8010));  // negative as a 16-bit number
}

TEST(RefreshConcerns, AMaskAndAChannelSelectTheirControlsOnly) {
  // A fader move on channel 3: its fader and its value box.
  EXPECT_TRUE(RefreshConcerns(0x4023, 0x420, 3));
  EXPECT_TRUE(RefreshConcerns(0x4403, 0x420, 3));
  EXPECT_FALSE(RefreshConcerns(0x4024, 0x420, 3));
  EXPECT_FALSE(RefreshConcerns(0x4043, 0x420, 3));
  // A solo: every solo and mute button of every channel.
  EXPECT_TRUE(RefreshConcerns(0x4105, 0x180, -1));
  EXPECT_TRUE(RefreshConcerns(0x4080, 0x180, -1));
  EXPECT_FALSE(RefreshConcerns(0x4405, 0x180, -1));
  // Everything: every parameter control, never the picture.
  EXPECT_TRUE(RefreshConcerns(0x4802, 0xFFFF, -1));
  EXPECT_FALSE(RefreshConcerns(108, 0xFFFF, -1));
}

// Every control the strip keys reach exists, and a ring walked one way and
// back the other returns where it began.
TEST(MixerLayout, TheStripKeysReachOnlyControlsOfTheLayoutAndComeRound) {
  for (std::uint16_t start : {std::uint16_t(IDFADERTEXT + 7), std::uint16_t(IDFADERTEXT + 8)}) {
    std::uint16_t id = start;
    int steps = 0;
    do {
      const std::uint16_t next = NextInStrip(id, false);
      ASSERT_NE(Find(next), nullptr) << std::hex << next;
      EXPECT_EQ(NextInStrip(next, true), id);
      id = next;
    } while (id != start && ++steps < 10);
    EXPECT_EQ(id, start);
  }
  EXPECT_EQ(NextInStrip(IDPANTEXT + 7, false), IDPAN + 7);
  EXPECT_EQ(NextInStrip(IDPANTEXT + 7, true), IDFADER + 7);
  EXPECT_EQ(NextInStrip(IDMETER + 2, false), 0);  // read, never focused
  EXPECT_EQ(NextInStrip(0, false), 0);
}
