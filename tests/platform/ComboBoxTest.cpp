#include "platform/ComboBox.h"

#include <gtest/gtest.h>

#include "ControlsTestForm.h"

namespace {

class ComboBoxTest : public ::testing::Test {
 protected:
  ComboBoxTest() : FCombo("cmbTest") {
    FCombo->SetBounds(16, 16, 129, 21);
    FCombo->SetItems({"None", "Weak", "Medium", "Strong"});
    FCombo->OnChange = [this] { ++FChanges; };
  }

  TOnForm<TComboBox> FCombo;
  int FChanges = 0;
};

TEST_F(ComboBoxTest, ItemIndexSetByCodeFiresNothing) {
  FCombo->SetItemIndex(1);
  FCombo->SetItemIndex(3);
  EXPECT_EQ(FCombo->ItemIndex(), 3);
  EXPECT_EQ(FChanges, 0);
}

TEST_F(ComboBoxTest, UserPickFiresOnChange) {
  FCombo->SetItemIndex(1);
  // The Down key on a closed drop-down list selects the next item, as a user does.
  SendMessageA(FCombo->Handle(), WM_KEYDOWN, VK_DOWN, 0);
  EXPECT_EQ(FCombo->ItemIndex(), 2);
  EXPECT_EQ(FChanges, 1);
}

TEST_F(ComboBoxTest, ItemsReadBackAndStartUnselected) {
  EXPECT_EQ(FCombo->Items(), (std::vector<std::string>{"None", "Weak", "Medium", "Strong"}));
  EXPECT_EQ(FCombo->ItemIndex(), -1);
}

}  // namespace
