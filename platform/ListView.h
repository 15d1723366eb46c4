// List view in report style: columns with headers and widths, rows of caption and sub-items.
#pragma once

#include <string>
#include <vector>

#include "Control.h"

// The list keeps the font it is given (set Font() to give it its own).
class TListView : public TControl {
 public:
  TListView(TWinControl* parent, const char* name);

  static constexpr int kDefaultColumnWidth = 50;
  void AddColumn(const std::string& caption, int widthPx = kDefaultColumnWidth);
  int ColumnCount() const;
  int ColumnWidth(int column) const;

  // Appends a row: caption in the first column, subItems in the following ones. Returns its
  // index.
  int AddItem(const std::string& caption, const std::vector<std::string>& subItems);
  void Clear();
  int ItemCount() const;
  // Column 0 is the caption, column k the k-th sub-item; "" outside the list.
  std::string ItemText(int item, int column) const;
};
