#include "platform/ListView.h"

#include <gtest/gtest.h>

#include "ControlsTestForm.h"

namespace {

TEST(ListViewTest, ColumnsAndRowsReadBack) {
  TOnForm<TListView> list("lstStatistics");
  list->AddColumn("Chan.");
  for (const char* caption : {"Minimum", "Maximum", "Mean", "Std. Dev.", "Sum"})
    list->AddColumn(caption, 90);
  EXPECT_EQ(list->ColumnCount(), 6);
  EXPECT_EQ(list->ColumnWidth(0), TListView::kDefaultColumnWidth);
  EXPECT_EQ(list->ColumnWidth(5), 90);

  EXPECT_EQ(list->AddItem("R", {"0", "255", "127.5", "73.9", "1000"}), 0);
  EXPECT_EQ(list->AddItem("*", {"1"}), 1);
  EXPECT_EQ(list->ItemCount(), 2);
  EXPECT_EQ(list->ItemText(0, 0), "R");
  EXPECT_EQ(list->ItemText(0, 5), "1000");
  EXPECT_EQ(list->ItemText(1, 1), "1");
  EXPECT_EQ(list->ItemText(1, 2), "");
  EXPECT_EQ(list->ItemText(2, 0), "");

  list->Clear();
  EXPECT_EQ(list->ItemCount(), 0);
}

}  // namespace
