// The binder's lists: virtual report lists, large-icon lists and check lists.
#include "ui/win32/binder.h"

#include <algorithm>
#include <vector>

#include "ui/page_builder.h"
#include "ui/win32/pictures.h"
#include "ui/win32/win_util.h"

namespace vl::win {

void Binder::ListSpec(const ui::Control& c, WindowSpec* spec) {
  spec->cls = WC_LISTVIEWW;
  switch (c.kind) {
    case ui::Kind::ListView:
      spec->style = LVS_REPORT | LVS_OWNERDATA | LVS_SHOWSELALWAYS | LVS_NOSORTHEADER | WS_TABSTOP | WS_BORDER;
      if (!c.multiSelect) spec->style |= LVS_SINGLESEL;
      if (!c.showHeader) spec->style |= LVS_NOCOLUMNHEADER;
      break;
    case ui::Kind::IconList:
      spec->style = LVS_ICON | LVS_SINGLESEL | WS_TABSTOP | LVS_NOSCROLL;
      break;
    case ui::Kind::CheckList:
      spec->style = LVS_LIST | LVS_SINGLESEL | WS_TABSTOP;
      break;
    default:
      break;
  }
}

void Binder::SetUpList(ui::Control& c, HWND h) {
  if (c.kind == ui::Kind::ListView) {
    ListView_SetExtendedListViewStyle(h, LVS_EX_FULLROWSELECT | LVS_EX_GRIDLINES | LVS_EX_DOUBLEBUFFER);
    for (size_t i = 0; i < c.columns.size(); ++i) {
      std::wstring cap = W(c.columns[i].caption);
      LVCOLUMNW col{};
      col.mask = LVCF_TEXT | LVCF_WIDTH | LVCF_FMT;
      col.pszText = cap.data();
      col.cx = c.columns[i].width;
      // The first column of a report list is always left aligned.
      col.fmt = i == 0 || c.columns[i].align == ui::Align::Left ? LVCFMT_LEFT
                : c.columns[i].align == ui::Align::Right   ? LVCFMT_RIGHT
                                                           : LVCFMT_CENTER;
      ListView_InsertColumn(h, static_cast<int>(i), &col);
    }
    if (c.rowPicture != ui::Picture::None) {
      rowImages_.push_back(MakeRowImages(c.checkImages, c.rowPicture));
      ListView_SetImageList(h, rowImages_.back(), LVSIL_SMALL);
    } else if (c.checkImages) {
      if (!checkImages_) checkImages_ = MakeCheckImages();
      ListView_SetImageList(h, checkImages_, LVSIL_SMALL);
    }
    ListView_SetItemCountEx(h, c.rowCount(), LVSICF_NOSCROLL);
  } else if (c.kind == ui::Kind::IconList) {
    std::vector<ui::Picture> pics;
    for (auto& it : c.items) pics.push_back(it.picture);
    HIMAGELIST big = MakePictureList(pics.data(), static_cast<int>(pics.size()), 56);
    ListView_SetImageList(h, big, LVSIL_NORMAL);
    ListView_SetExtendedListViewStyle(h, LVS_EX_DOUBLEBUFFER);
    ListView_SetIconSpacing(h, 136, 110);
    for (size_t i = 0; i < c.items.size(); ++i) {
      std::wstring cap = W(c.items[i].caption);
      LVITEMW item{};
      item.mask = LVIF_TEXT | LVIF_IMAGE;
      item.iItem = static_cast<int>(i);
      item.pszText = cap.data();
      item.iImage = static_cast<int>(i);
      ListView_InsertItem(h, &item);
    }
  } else if (c.kind == ui::Kind::CheckList) {
    ListView_SetExtendedListViewStyle(h, LVS_EX_CHECKBOXES | LVS_EX_DOUBLEBUFFER);
    // Rows tall enough that the items fill the columns evenly.
    const int cols = std::max(1, c.checkColumns);
    const int rows = std::max<int>(1, (static_cast<int>(c.checkItems.size()) + cols - 1) / cols);
    // Within the client area less the room of a horizontal scroll bar,
    // which the list keeps free when it counts the rows of a column: a row
    // more than fits makes it wrap into a further column.
    const int rowHeight = std::max(18, (c.rect.h - 4 - GetSystemMetrics(SM_CYHSCROLL)) / rows - 2);
    ListView_SetImageList(h, ImageList_Create(1, rowHeight, ILC_COLOR, 1, 0), LVSIL_SMALL);
    for (size_t i = 0; i < c.checkItems.size(); ++i) {
      std::wstring cap = W(c.checkItems[i]);
      LVITEMW item{};
      item.mask = LVIF_TEXT;
      item.iItem = static_cast<int>(i);
      item.pszText = cap.data();
      ListView_InsertItem(h, &item);
      ListView_SetCheckState(h, static_cast<int>(i), i < c.itemChecked.size() && c.itemChecked[i]);
    }
    // Set once the items are in: the list ignores a width given before.
    ListView_SetColumnWidth(h, 0, c.rect.w / cols - 4);
  }
}

void Binder::SyncList(ui::Control& c, HWND h, int what) {
  if (what & ui::kChangeRows) {
    ListView_SetItemCountEx(h, c.rowCount(), LVSICF_NOSCROLL);
    InvalidateRect(h, nullptr, TRUE);
    UpdateWindow(h);
  }
  if ((what & ui::kChangeColumns) && c.kind == ui::Kind::ListView) {
    for (size_t i = 0; i < c.columns.size(); ++i) {
      std::wstring cap = W(c.columns[i].caption);
      LVCOLUMNW col{};
      col.mask = LVCF_TEXT | LVCF_WIDTH;
      col.pszText = cap.data();
      col.cx = c.columns[i].width;
      ListView_SetColumn(h, static_cast<int>(i), &col);
    }
  }
  if ((what & ui::kChangeSelection) && c.multiSelect) {
    listSyncing_ = true;
    ListView_SetItemState(h, -1, 0, LVIS_SELECTED);
    for (int row : c.selectedRows()) ListView_SetItemState(h, row, LVIS_SELECTED, LVIS_SELECTED);
    if (c.selected() >= 0) ListView_EnsureVisible(h, c.selected(), FALSE);
    listSyncing_ = false;
  } else if (what & ui::kChangeSelection) {
    if (c.selected() < 0) {
      ListView_SetItemState(h, -1, 0, LVIS_SELECTED | LVIS_FOCUSED);
    } else {
      ListView_SetItemState(h, c.selected(), LVIS_SELECTED | LVIS_FOCUSED, LVIS_SELECTED | LVIS_FOCUSED);
      ListView_EnsureVisible(h, c.selected(), FALSE);
    }
  }
  if ((what & ui::kChangeItems) && c.kind == ui::Kind::CheckList) {
    // Captions and count first: items come and go with the model's list.
    const int want = static_cast<int>(c.checkItems.size());
    while (ListView_GetItemCount(h) > want) ListView_DeleteItem(h, ListView_GetItemCount(h) - 1);
    for (int i = 0; i < want; ++i) {
      std::wstring cap = W(c.checkItems[i]);
      if (i >= ListView_GetItemCount(h)) {
        // Inserted with its check state, so no change notification can
        // tell the model otherwise.
        LVITEMW item{};
        item.mask = LVIF_TEXT | LVIF_STATE;
        item.iItem = i;
        item.pszText = cap.data();
        item.stateMask = LVIS_STATEIMAGEMASK;
        item.state = INDEXTOSTATEIMAGEMASK(i < static_cast<int>(c.itemChecked.size()) && c.itemChecked[i] ? 2 : 1);
        ListView_InsertItem(h, &item);
      } else {
        ListView_SetItemText(h, i, 0, cap.data());
      }
    }
    for (size_t i = 0; i < c.itemChecked.size(); ++i)
      if ((ListView_GetCheckState(h, static_cast<int>(i)) != 0) != c.itemChecked[i])
        ListView_SetCheckState(h, static_cast<int>(i), c.itemChecked[i]);
  }
}

bool Binder::ListNotify(ui::Control& c, NMHDR* hdr, LRESULT* result) {
  LPARAM lp = reinterpret_cast<LPARAM>(hdr);
  switch (hdr->code) {
    case LVN_GETDISPINFOW:
      ListDispInfo(c, reinterpret_cast<NMLVDISPINFOW*>(lp));
      *result = 0;
      return true;
    case NM_CUSTOMDRAW:
      if (c.kind != ui::Kind::ListView) return false;
      *result = CustomDraw(c, reinterpret_cast<NMLVCUSTOMDRAW*>(lp));
      return true;
    case NM_CLICK: {
      auto* ia = reinterpret_cast<NMITEMACTIVATE*>(lp);
      LVHITTESTINFO hit{};
      hit.pt = ia->ptAction;
      int row = ListView_SubItemHitTest(hdr->hwndFrom, &hit);
      if (c.kind == ui::Kind::ListView) {
        if (c.multiSelect)
          ReadSelection(c, hdr->hwndFrom);
        else
          c.SetSelected(ListView_GetNextItem(hdr->hwndFrom, -1, LVNI_SELECTED));
        if (c.onMouseDown) {
          bool onImage = row >= 0 && (hit.flags & LVHT_ONITEMICON) != 0;
          guard_([&] { c.onMouseDown(row, onImage); });
        }
      }
      if (c.onItemClick) guard_([&] { c.onItemClick(row); });
      *result = 0;
      return true;
    }
    case NM_DBLCLK: {
      if (c.kind != ui::Kind::ListView || !c.onItemDoubleClick) return false;
      int row = reinterpret_cast<NMITEMACTIVATE*>(lp)->iItem;
      c.SetSelected(ListView_GetNextItem(hdr->hwndFrom, -1, LVNI_SELECTED));
      guard_([&] { c.onItemDoubleClick(row); });
      *result = 0;
      return true;
    }
    case LVN_ODSTATECHANGED:
      // A range of rows (shift-click) changed its selection.
      if (c.kind == ui::Kind::ListView && c.multiSelect) ReadSelection(c, hdr->hwndFrom);
      *result = 0;
      return true;
    case LVN_ITEMCHANGED: {
      auto* lv = reinterpret_cast<NMLISTVIEW*>(lp);
      if (c.kind == ui::Kind::ListView && c.multiSelect) {
        if (lv->uChanged & LVIF_STATE) ReadSelection(c, hdr->hwndFrom);
        *result = 0;
        return true;
      }
      // A row selected by keyboard or by another program reaches the model too.
      if (c.kind == ui::Kind::ListView && (lv->uChanged & LVIF_STATE) && lv->iItem >= 0 &&
          (lv->uNewState & LVIS_SELECTED) && !(lv->uOldState & LVIS_SELECTED))
        c.SetSelected(lv->iItem);
      if (c.kind == ui::Kind::CheckList && (lv->uChanged & LVIF_STATE) &&
          ((lv->uNewState ^ lv->uOldState) & LVIS_STATEIMAGEMASK) && lv->iItem >= 0) {
        bool on = ListView_GetCheckState(hdr->hwndFrom, lv->iItem) != 0;
        if (static_cast<size_t>(lv->iItem) < c.itemChecked.size() && c.itemChecked[lv->iItem] != on) {
          c.itemChecked[lv->iItem] = on;
          if (c.onItemClick) {
            int item = lv->iItem;
            guard_([&] { c.onItemClick(item); });
          }
        }
      }
      *result = 0;
      return true;
    }
  }
  return false;
}

void Binder::ReadSelection(ui::Control& c, HWND h) {
  if (listSyncing_) return;
  std::vector<int> rows;
  for (int i = ListView_GetNextItem(h, -1, LVNI_SELECTED); i >= 0; i = ListView_GetNextItem(h, i, LVNI_SELECTED))
    rows.push_back(i);
  listSyncing_ = true;
  c.SetSelectedRows(std::move(rows));
  listSyncing_ = false;
}

namespace {

// `text` shortened in its middle to fit `width` pixels in `font` (the last
// part after a backslash kept as far as it goes); as it is when it fits.
std::wstring PathEllipsized(std::wstring text, int width, HFONT font) {
  if (width <= 0 || text.empty()) return text;
  HDC dc = CreateCompatibleDC(nullptr);
  if (!dc) return text;
  HGDIOBJ old = SelectObject(dc, font);
  SIZE size{};
  if (GetTextExtentPoint32W(dc, text.c_str(), static_cast<int>(text.size()), &size) && size.cx > width) {
    // Room for the ellipsis that DT_MODIFYSTRING writes into the buffer.
    std::vector<wchar_t> buf(text.begin(), text.end());
    buf.resize(text.size() + 5, L'\0');
    RECT rc{0, 0, width, 1000};
    DrawTextW(dc, buf.data(), -1, &rc, DT_SINGLELINE | DT_NOPREFIX | DT_PATH_ELLIPSIS | DT_MODIFYSTRING);
    text = buf.data();
  }
  SelectObject(dc, old);
  DeleteDC(dc);
  return text;
}

}  // namespace

void Binder::ListDispInfo(ui::Control& c, NMLVDISPINFOW* di) {
  if (!c.rowProvider || di->item.iItem < 0 || di->item.iItem >= c.rowCount()) return;
  ui::Cell cell = c.rowProvider(di->item.iItem, di->item.iSubItem);
  if ((di->item.mask & LVIF_TEXT) && di->item.pszText && di->item.cchTextMax > 0) {
    dispText_ = W(cell.text);
    const int sub = di->item.iSubItem;
    // The list view would cut the end off, and the end is what tells paths
    // apart: the text it paints already fits (the label's margins are 6 pixels).
    if (sub > 0 && sub < static_cast<int>(c.columns.size()) && c.columns[sub].pathEllipsis &&
        di->hdr.hwndFrom == paintingList_ && di->item.iItem == paintingRow_)
      dispText_ = PathEllipsized(dispText_, ListView_GetColumnWidth(di->hdr.hwndFrom, sub) - 12,
                                 FontFor(cell.bold ? ui::FontStyle::Bold : ui::FontStyle::Normal));
    lstrcpynW(di->item.pszText, dispText_.c_str(), di->item.cchTextMax);
  }
  if (di->item.mask & LVIF_IMAGE) {
    ui::Cell first = di->item.iSubItem == 0 ? cell : c.rowProvider(di->item.iItem, 0);
    di->item.iImage = c.checkImages ? first.image : c.rowPicture != ui::Picture::None ? 0 : -1;
  }
  if (di->item.mask & LVIF_INDENT) di->item.iIndent = cell.indent;
}

LRESULT Binder::CustomDraw(ui::Control& c, NMLVCUSTOMDRAW* cd) {
  switch (cd->nmcd.dwDrawStage) {
    case CDDS_PREPAINT:
      return CDRF_NOTIFYITEMDRAW;
    case CDDS_ITEMPREPAINT:
      paintingList_ = cd->nmcd.hdr.hwndFrom;
      paintingRow_ = static_cast<int>(cd->nmcd.dwItemSpec);
      return CDRF_NOTIFYSUBITEMDRAW | CDRF_NOTIFYPOSTPAINT;
    case CDDS_ITEMPOSTPAINT:
      paintingList_ = nullptr;
      paintingRow_ = -1;
      return CDRF_DODEFAULT;
    case CDDS_ITEMPREPAINT | CDDS_SUBITEM: {
      int row = static_cast<int>(cd->nmcd.dwItemSpec);
      ui::Cell cell;
      if (c.rowProvider && row < c.rowCount()) cell = c.rowProvider(row, cd->iSubItem);
      cd->clrText = cell.color != ui::kNoColor ? Rgb(cell.color) : Rgb(ui::style::kText);
      ui::Color bg = cell.background;
      if (bg == ui::kNoColor) bg = (c.striped && row % 2 == 1) ? ui::style::kStripe : 0xFFFFFF;
      cd->clrTextBk = Rgb(bg);
      // The row colours would hide the selection: the selected row keeps the system's.
      if (ListView_GetItemState(cd->nmcd.hdr.hwndFrom, row, LVIS_SELECTED) & LVIS_SELECTED) {
        cd->clrText = GetSysColor(COLOR_HIGHLIGHTTEXT);
        cd->clrTextBk = GetSysColor(COLOR_HIGHLIGHT);
      }
      SelectObject(cd->nmcd.hdc, FontFor(cell.bold ? ui::FontStyle::Bold : ui::FontStyle::Normal));
      return CDRF_NEWFONT;
    }
  }
  return CDRF_DODEFAULT;
}

}  // namespace vl::win
