#include "platform/RadioGroup.h"

#include <gtest/gtest.h>

#include "ControlsTestForm.h"
#include "platform/ControlName.h"

namespace {

class RadioGroupTest : public ::testing::Test {
 protected:
  RadioGroupTest() : FGroup("grpPSF") {
    FGroup->SetBounds(8, 8, 289, 129);
    FGroup->SetCaption("Point Spread Function Type");
    FGroup->SetItems({"Gaussian", "Exponential", "Cauchy", "Moffat"});
    FGroup->SetItemIndex(0);
    FGroup->OnClick = [this] { ++FClicks; };
  }

  HWND Item(int index) const {
    return FindControlByName(FGroup->Handle(), ("grpPSF_" + std::to_string(index)).c_str());
  }
  bool Checked(int index) const {
    return SendMessageA(Item(index), BM_GETCHECK, 0, 0) == BST_CHECKED;
  }

  TOnForm<TRadioGroup> FGroup;
  int FClicks = 0;
};

TEST_F(RadioGroupTest, ItemButtonsAreNamedAndCarryTheItemText) {
  for (int i = 0; i < 4; ++i) ASSERT_NE(Item(i), nullptr) << i;
  char text[64];
  GetWindowTextA(Item(3), text, sizeof text);
  EXPECT_STREQ(text, "Moffat");
}

TEST_F(RadioGroupTest, UserClickOnAnItemSelectsItAndFiresOnce) {
  SendMessageA(Item(2), BM_CLICK, 0, 0);
  EXPECT_EQ(FGroup->ItemIndex(), 2);
  EXPECT_EQ(FClicks, 1);
  EXPECT_TRUE(Checked(2));
  EXPECT_FALSE(Checked(0));
}

TEST_F(RadioGroupTest, ClickOnTheSelectedItemFiresNothing) {
  SendMessageA(Item(0), BM_CLICK, 0, 0);
  EXPECT_EQ(FGroup->ItemIndex(), 0);
  EXPECT_EQ(FClicks, 0);
}

TEST_F(RadioGroupTest, CodeChangeOfItemIndexFiresOnlyWhenItChanges) {
  FGroup->SetItemIndex(3);
  FGroup->SetItemIndex(3);
  EXPECT_EQ(FClicks, 1);
  EXPECT_TRUE(Checked(3));
  EXPECT_FALSE(Checked(0));
}

TEST_F(RadioGroupTest, IndexOutsideTheItemsSelectsNothing) {
  FGroup->SetItemIndex(7);
  EXPECT_EQ(FGroup->ItemIndex(), -1);
  for (int i = 0; i < 4; ++i) EXPECT_FALSE(Checked(i)) << i;
}

}  // namespace

namespace {

TEST_F(RadioGroupTest, ArrowKeyThroughTheDialogManagerSelectsTheNextItem) {
  SetFocus(Item(0));
  PostMessageA(Item(0), WM_KEYDOWN, VK_DOWN, 0);
  PostMessageA(Item(0), WM_KEYUP, VK_DOWN, 0xC0000000);
  ASSERT_EQ(GetFocus(), Item(0));
  PumpUntil([] { return false; }, 100, SharedForm().Handle());
  EXPECT_EQ(FGroup->ItemIndex(), 1);
  EXPECT_EQ(FClicks, 1);
  EXPECT_TRUE(Checked(1));
  EXPECT_FALSE(Checked(0));
}

}  // namespace
