#include "ListView.h"

#include <commctrl.h>

#include "CommonControls.h"

TListView::TListView(TWinControl* parent, const char* name) : TControl(parent, name, false) {
  EnsureCommonControls();
  SetBounds(0, 0, 250, 150);
  CreateHandle(WC_LISTVIEWA, WS_VISIBLE | WS_TABSTOP | LVS_REPORT | LVS_SINGLESEL,
               WS_EX_CLIENTEDGE, "", parent->Handle(), parent->NextControlId());
}

void TListView::AddColumn(const std::string& caption, int widthPx) {
  LVCOLUMNA column{};
  column.mask = LVCF_TEXT | LVCF_WIDTH | LVCF_SUBITEM;
  column.pszText = const_cast<char*>(caption.c_str());
  column.cx = widthPx;
  int index = ColumnCount();
  column.iSubItem = index;
  SendMessageA(Handle(), LVM_INSERTCOLUMNA, static_cast<WPARAM>(index),
               reinterpret_cast<LPARAM>(&column));
}

int TListView::ColumnCount() const {
  auto header = reinterpret_cast<HWND>(SendMessageA(Handle(), LVM_GETHEADER, 0, 0));
  return header != nullptr ? static_cast<int>(SendMessageA(header, HDM_GETITEMCOUNT, 0, 0)) : 0;
}

int TListView::ColumnWidth(int column) const {
  return static_cast<int>(SendMessageA(Handle(), LVM_GETCOLUMNWIDTH, static_cast<WPARAM>(column), 0));
}

int TListView::AddItem(const std::string& caption, const std::vector<std::string>& subItems) {
  LVITEMA item{};
  item.mask = LVIF_TEXT;
  item.iItem = ItemCount();
  item.pszText = const_cast<char*>(caption.c_str());
  auto index = static_cast<int>(
      SendMessageA(Handle(), LVM_INSERTITEMA, 0, reinterpret_cast<LPARAM>(&item)));
  if (index < 0) return -1;
  for (size_t i = 0; i < subItems.size(); ++i) {
    LVITEMA sub{};
    sub.iSubItem = static_cast<int>(i) + 1;
    sub.pszText = const_cast<char*>(subItems[i].c_str());
    SendMessageA(Handle(), LVM_SETITEMTEXTA, static_cast<WPARAM>(index),
                 reinterpret_cast<LPARAM>(&sub));
  }
  return index;
}

void TListView::Clear() { SendMessageA(Handle(), LVM_DELETEALLITEMS, 0, 0); }

int TListView::ItemCount() const {
  return static_cast<int>(SendMessageA(Handle(), LVM_GETITEMCOUNT, 0, 0));
}

std::string TListView::ItemText(int item, int column) const {
  if (item < 0 || item >= ItemCount()) return "";
  char buffer[256] = "";
  LVITEMA request{};
  request.iSubItem = column;
  request.pszText = buffer;
  request.cchTextMax = sizeof buffer;
  SendMessageA(Handle(), LVM_GETITEMTEXTA, static_cast<WPARAM>(item),
               reinterpret_cast<LPARAM>(&request));
  return buffer;
}
