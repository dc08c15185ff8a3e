// Real child windows for the window model, kept in step with it.
#include "ui/win32/binder.h"

#include <commctrl.h>

#include <algorithm>

#include "ui/page_builder.h"
#include "ui/win32/pictures.h"
#include "ui/win32/win_util.h"

namespace vl::win {

namespace {

const wchar_t kContainerClass[] = L"VantorelPanel";
constexpr UINT_PTR kSubclassId = 0x564C;

struct ContainerData {
  Binder* binder;
  ui::Color background;
  ui::Control* control;  // the panel's model, null for a tab sheet
  bool dragging = false;
  POINT origin{};
};

// The fill of one of our containers; the page colour for any other window.
ui::Color ContainerBackground(HWND h) {
  wchar_t cls[32] = {};
  GetClassNameW(h, cls, 32);
  if (lstrcmpW(cls, kContainerClass) != 0) return ui::style::kPage;
  auto* data = reinterpret_cast<ContainerData*>(GetWindowLongPtrW(h, GWLP_USERDATA));
  return data ? data->background : ui::style::kPage;
}

bool Contains(const ui::Rect& outer, const ui::Rect& inner) {
  return inner.x >= outer.x && inner.y >= outer.y && inner.x + inner.w <= outer.x + outer.w &&
         inner.y + inner.h <= outer.y + outer.h;
}

}  // namespace

Binder::Binder(ui::Form& form, Guard guard) : form_(form), guard_(std::move(guard)) {}

Binder::~Binder() {
  form_.SetObserver(nullptr);
  for (auto& [color, brush] : brushes_) DeleteObject(brush);
  if (checkImages_) ImageList_Destroy(checkImages_);
}

void Binder::RegisterClasses(HINSTANCE instance) {
  WNDCLASSEXW wc{};
  wc.cbSize = sizeof(wc);
  wc.lpfnWndProc = ContainerProc;
  wc.hInstance = instance;
  wc.hCursor = LoadCursor(nullptr, IDC_ARROW);
  wc.lpszClassName = kContainerClass;
  RegisterClassExW(&wc);
}

HBRUSH Binder::BrushFor(ui::Color c) {
  auto it = brushes_.find(c);
  if (it != brushes_.end()) return it->second;
  HBRUSH b = CreateSolidBrush(Rgb(c));
  brushes_[c] = b;
  return b;
}

HWND Binder::WindowOf(int controlId) const {
  auto it = windows_.find(controlId);
  return it == windows_.end() ? nullptr : it->second;
}

ui::Control* Binder::ControlOf(HWND h) const {
  auto it = controls_.find(h);
  return it == controls_.end() ? nullptr : it->second;
}

void Binder::Build(HWND parent, int sheetTop, int sheetHeight) {
  parent_ = parent;
  HINSTANCE inst = reinterpret_cast<HINSTANCE>(GetWindowLongPtrW(parent, GWLP_HINSTANCE));
  for (const ui::Form::Sheet& s : form_.sheets()) {
    auto* data = new ContainerData{this, s.background, nullptr};
    HWND h = CreateWindowExW(WS_EX_CONTROLPARENT, kContainerClass, W(s.name).c_str(),
                             WS_CHILD | WS_CLIPCHILDREN | (s.id == form_.activeSheet() ? WS_VISIBLE : 0),
                             0, sheetTop, form_.width(), sheetHeight, parent, nullptr, inst, data);
    sheets_[s.id] = h;
  }
  // Panels first: controls of the frame that lie inside a panel become its children.
  std::vector<ui::Control*> panels;
  for (auto& c : form_.controls())
    if (c->kind == ui::Kind::Panel) {
      HWND host = c->sheet ? sheets_[c->sheet] : parent;
      HWND h = CreateControl(*c, host, 0);
      if (!c->sheet) panels.push_back(c.get());
      windows_[c->id] = h;
    }
  for (auto& c : form_.controls()) {
    if (c->kind == ui::Kind::Panel) continue;
    HWND host = parent;
    int dx = 0, dy = 0;
    if (c->sheet) {
      host = sheets_[c->sheet];
    } else {
      for (ui::Control* p : panels)
        if (Contains(p->rect, c->rect)) {
          host = windows_[p->id];
          dx = p->rect.x;
          dy = p->rect.y;
        }
    }
    ui::Rect saved = c->rect;
    c->rect.x -= dx;
    HWND h = CreateControl(*c, host, -dy);
    c->rect = saved;
    windows_[c->id] = h;
  }
  form_.SetObserver(this);
}

HWND Binder::CreateControl(ui::Control& c, HWND parent, int offsetY) {
  HINSTANCE inst = reinterpret_cast<HINSTANCE>(GetWindowLongPtrW(parent, GWLP_HINSTANCE));
  const wchar_t* cls = L"STATIC";
  DWORD style = WS_CHILD | (c.visible() ? WS_VISIBLE : 0);
  DWORD ex = 0;
  switch (c.kind) {
    case ui::Kind::Panel:
      cls = kContainerClass;
      style |= WS_CLIPCHILDREN;
      ex = WS_EX_CONTROLPARENT;
      break;
    case ui::Kind::Label:
      style |= SS_NOPREFIX | (c.centered ? SS_CENTER : SS_LEFT);
      if (c.picture() != ui::Picture::None) style |= SS_OWNERDRAW;
      if (c.onClick) style |= SS_NOTIFY;
      break;
    case ui::Kind::ImageButton:
      cls = L"BUTTON";
      style |= BS_OWNERDRAW | WS_TABSTOP;
      break;
    case ui::Kind::CheckBox:
      cls = L"BUTTON";
      style |= BS_AUTOCHECKBOX | WS_TABSTOP;
      break;
    case ui::Kind::Radio:
      cls = L"BUTTON";
      style |= BS_AUTORADIOBUTTON | WS_TABSTOP;
      break;
    case ui::Kind::ListView:
      cls = WC_LISTVIEWW;
      style |= LVS_REPORT | LVS_OWNERDATA | LVS_SINGLESEL | LVS_SHOWSELALWAYS | LVS_NOSORTHEADER |
               WS_TABSTOP | WS_BORDER;
      if (!c.showHeader) style |= LVS_NOCOLUMNHEADER;
      break;
    case ui::Kind::IconList:
      cls = WC_LISTVIEWW;
      style |= LVS_ICON | LVS_SINGLESEL | WS_TABSTOP | LVS_NOSCROLL;
      break;
    case ui::Kind::CheckList:
      cls = WC_LISTVIEWW;
      style |= LVS_LIST | LVS_SINGLESEL | WS_TABSTOP;
      break;
    case ui::Kind::Progress:
      cls = PROGRESS_CLASSW;
      break;
  }
  void* create = nullptr;
  if (c.kind == ui::Kind::Panel) {
    create = new ContainerData{this, c.background, &c};
  }
  HWND h = CreateWindowExW(ex, cls, W(c.text()).c_str(), style, c.rect.x, c.rect.y + offsetY, c.rect.w,
                           c.rect.h, parent, reinterpret_cast<HMENU>(static_cast<INT_PTR>(c.id)), inst,
                           create);
  controls_[h] = &c;
  SendMessageW(h, WM_SETFONT, reinterpret_cast<WPARAM>(FontFor(c.font)), FALSE);
  SetWindowSubclass(h, ControlProc, kSubclassId, reinterpret_cast<DWORD_PTR>(this));
  if (!c.enabled()) EnableWindow(h, FALSE);

  if (c.kind == ui::Kind::ListView) {
    ListView_SetExtendedListViewStyle(h, LVS_EX_FULLROWSELECT | LVS_EX_GRIDLINES | LVS_EX_DOUBLEBUFFER);
    for (size_t i = 0; i < c.columns.size(); ++i) {
      std::wstring cap = W(c.columns[i].caption);
      LVCOLUMNW col{};
      col.mask = LVCF_TEXT | LVCF_WIDTH;
      col.pszText = cap.data();
      col.cx = c.columns[i].width;
      ListView_InsertColumn(h, static_cast<int>(i), &col);
    }
    if (c.checkImages) {
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
    const int rowHeight = std::max(18, c.rect.h / rows - 1);
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
  } else if (c.kind == ui::Kind::Progress) {
    SendMessageW(h, PBM_SETRANGE32, 0, c.maximum);
    SendMessageW(h, PBM_SETPOS, c.position(), 0);
  } else if (c.kind == ui::Kind::CheckBox || c.kind == ui::Kind::Radio) {
    SendMessageW(h, BM_SETCHECK, c.checked() ? BST_CHECKED : BST_UNCHECKED, 0);
  }
  return h;
}

void Binder::ControlChanged(ui::Control& c, int what) {
  HWND h = WindowOf(c.id);
  if (h) Sync(c, h, what);
}

void Binder::Sync(ui::Control& c, HWND h, int what) {
  if (what & ui::kChangeText) {
    SetWindowTextW(h, W(c.text()).c_str());
    if (c.kind == ui::Kind::ImageButton || c.picture() != ui::Picture::None) InvalidateRect(h, nullptr, TRUE);
    // Progress lines repaint at once, but no more than about 60 times a second.
    DWORD now = GetTickCount();
    if (now - lastPaint_ >= 16) {
      UpdateWindow(h);
      lastPaint_ = now;
    }
  }
  if (what & ui::kChangeVisible) ShowWindow(h, c.visible() ? SW_SHOWNA : SW_HIDE);
  if (what & ui::kChangeEnabled) {
    EnableWindow(h, c.enabled());
    RedrawWindow(h, nullptr, nullptr, RDW_INVALIDATE | RDW_ALLCHILDREN | RDW_ERASE);
  }
  if (what & ui::kChangeChecked) SendMessageW(h, BM_SETCHECK, c.checked() ? BST_CHECKED : BST_UNCHECKED, 0);
  if (what & ui::kChangePicture) {
    if (c.underlineOnHover)
      SendMessageW(h, WM_SETFONT, reinterpret_cast<WPARAM>(FontFor(c.font, c.hovered())), FALSE);
    InvalidateRect(h, nullptr, TRUE);
  }
  if (what & ui::kChangeRows) {
    ListView_SetItemCountEx(h, c.rowCount(), LVSICF_NOSCROLL);
    InvalidateRect(h, nullptr, TRUE);
    UpdateWindow(h);
  }
  if (what & ui::kChangeRepaint) {
    InvalidateRect(h, nullptr, TRUE);
    UpdateWindow(h);
  }
  if (what & ui::kChangeSelection) {
    if (c.selected() < 0) {
      ListView_SetItemState(h, -1, 0, LVIS_SELECTED | LVIS_FOCUSED);
    } else {
      ListView_SetItemState(h, c.selected(), LVIS_SELECTED | LVIS_FOCUSED, LVIS_SELECTED | LVIS_FOCUSED);
      ListView_EnsureVisible(h, c.selected(), FALSE);
    }
  }
  if ((what & ui::kChangeItems) && c.kind == ui::Kind::CheckList) {
    for (size_t i = 0; i < c.itemChecked.size(); ++i)
      if ((ListView_GetCheckState(h, static_cast<int>(i)) != 0) != c.itemChecked[i])
        ListView_SetCheckState(h, static_cast<int>(i), c.itemChecked[i]);
  }
  if (what & ui::kChangePosition) SendMessageW(h, PBM_SETPOS, c.position(), 0);
}

void Binder::SheetShown(int sheet) {
  for (auto& [id, h] : sheets_)
    if (id != sheet) ShowWindow(h, SW_HIDE);
  auto it = sheets_.find(sheet);
  if (it != sheets_.end()) {
    ShowWindow(it->second, SW_SHOW);
    // The page control repaints at once after every switch.
    RedrawWindow(it->second, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW);
  }
}

void Binder::ListDispInfo(ui::Control& c, NMLVDISPINFOW* di) {
  if (!c.rowProvider || di->item.iItem < 0 || di->item.iItem >= c.rowCount()) return;
  ui::Cell cell = c.rowProvider(di->item.iItem, di->item.iSubItem);
  if ((di->item.mask & LVIF_TEXT) && di->item.pszText && di->item.cchTextMax > 0) {
    dispText_ = W(cell.text);
    lstrcpynW(di->item.pszText, dispText_.c_str(), di->item.cchTextMax);
  }
  if (di->item.mask & LVIF_IMAGE) {
    ui::Cell first = di->item.iSubItem == 0 ? cell : c.rowProvider(di->item.iItem, 0);
    di->item.iImage = c.checkImages ? first.image : -1;
  }
  if (di->item.mask & LVIF_INDENT) di->item.iIndent = cell.indent;
}

LRESULT Binder::CustomDraw(ui::Control& c, NMLVCUSTOMDRAW* cd) {
  switch (cd->nmcd.dwDrawStage) {
    case CDDS_PREPAINT:
      return CDRF_NOTIFYITEMDRAW;
    case CDDS_ITEMPREPAINT:
      return CDRF_NOTIFYSUBITEMDRAW;
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

bool Binder::Route(HWND, UINT msg, WPARAM wp, LPARAM lp, LRESULT* result) {
  switch (msg) {
    case WM_COMMAND: {
      ui::Control* c = ControlOf(reinterpret_cast<HWND>(lp));
      if (!c || HIWORD(wp) != BN_CLICKED) return false;
      if (c->kind == ui::Kind::CheckBox || c->kind == ui::Kind::Radio)
        c->SetChecked(SendMessageW(reinterpret_cast<HWND>(lp), BM_GETCHECK, 0, 0) == BST_CHECKED);
      if (c->onClick) guard_(c->onClick);
      *result = 0;
      return true;
    }
    case WM_NOTIFY: {
      auto* hdr = reinterpret_cast<NMHDR*>(lp);
      ui::Control* c = ControlOf(hdr->hwndFrom);
      if (!c) return false;
      switch (hdr->code) {
        case LVN_GETDISPINFOW:
          ListDispInfo(*c, reinterpret_cast<NMLVDISPINFOW*>(lp));
          *result = 0;
          return true;
        case NM_CUSTOMDRAW:
          if (c->kind != ui::Kind::ListView) return false;
          *result = CustomDraw(*c, reinterpret_cast<NMLVCUSTOMDRAW*>(lp));
          return true;
        case NM_CLICK: {
          auto* ia = reinterpret_cast<NMITEMACTIVATE*>(lp);
          LVHITTESTINFO hit{};
          hit.pt = ia->ptAction;
          int row = ListView_SubItemHitTest(hdr->hwndFrom, &hit);
          if (c->kind == ui::Kind::ListView) {
            int sel = ListView_GetNextItem(hdr->hwndFrom, -1, LVNI_SELECTED);
            c->SetSelected(sel);
            if (c->onMouseDown) {
              bool onImage = row >= 0 && (hit.flags & LVHT_ONITEMICON) != 0;
              guard_([&] { c->onMouseDown(row, onImage); });
            }
          }
          if (c->onItemClick) guard_([&] { c->onItemClick(row); });
          *result = 0;
          return true;
        }
        case NM_DBLCLK: {
          if (c->kind != ui::Kind::ListView || !c->onItemDoubleClick) return false;
          int row = reinterpret_cast<NMITEMACTIVATE*>(lp)->iItem;
          c->SetSelected(ListView_GetNextItem(hdr->hwndFrom, -1, LVNI_SELECTED));
          guard_([&] { c->onItemDoubleClick(row); });
          *result = 0;
          return true;
        }
        case LVN_ITEMCHANGED: {
          auto* lv = reinterpret_cast<NMLISTVIEW*>(lp);
          // A row selected by keyboard or by another program reaches the model too.
          if (c->kind == ui::Kind::ListView && (lv->uChanged & LVIF_STATE) && lv->iItem >= 0 &&
              (lv->uNewState & LVIS_SELECTED) && !(lv->uOldState & LVIS_SELECTED))
            c->SetSelected(lv->iItem);
          if (c->kind == ui::Kind::CheckList && (lv->uChanged & LVIF_STATE) &&
              ((lv->uNewState ^ lv->uOldState) & LVIS_STATEIMAGEMASK) && lv->iItem >= 0) {
            bool on = ListView_GetCheckState(hdr->hwndFrom, lv->iItem) != 0;
            if (static_cast<size_t>(lv->iItem) < c->itemChecked.size() && c->itemChecked[lv->iItem] != on) {
              c->itemChecked[lv->iItem] = on;
              if (c->onItemClick) {
                int item = lv->iItem;
                guard_([&] { c->onItemClick(item); });
              }
            }
          }
          *result = 0;
          return true;
        }
      }
      return false;
    }
    case WM_DRAWITEM: {
      auto* di = reinterpret_cast<DRAWITEMSTRUCT*>(lp);
      ui::Control* c = ControlOf(di->hwndItem);
      if (!c) return false;
      if (di->CtlType == ODT_BUTTON) {
        ButtonLook look;
        look.hovered = c->hovered();
        look.pressed = (di->itemState & ODS_SELECTED) != 0;
        look.highlighted = c->highlighted();
        look.enabled = IsWindowEnabled(di->hwndItem) && IsWindowEnabled(GetParent(di->hwndItem));
        DrawImageButton(di->hDC, di->rcItem, *c, look);
      } else if (di->CtlType == ODT_STATIC) {
        // A label with a picture: glyph, then text (the title image).
        HBRUSH bg = BrushFor(c->background != ui::kNoColor ? c->background : ui::style::kPage);
        FillRect(di->hDC, &di->rcItem, bg);
        int h = di->rcItem.bottom - di->rcItem.top;
        RECT glyph{di->rcItem.left + 14, di->rcItem.top + (h - 24) / 2, di->rcItem.left + 38,
                   di->rcItem.top + (h + 24) / 2};
        COLORREF fg = Rgb(c->color != ui::kNoColor ? c->color : ui::style::kText);
        DrawGlyph(di->hDC, glyph, c->picture(), fg);
        RECT text = di->rcItem;
        text.left += 48;
        HGDIOBJ of = SelectObject(di->hDC, FontFor(c->font));
        SetBkMode(di->hDC, TRANSPARENT);
        SetTextColor(di->hDC, fg);
        std::wstring t = W(c->text());
        DrawTextW(di->hDC, t.c_str(), static_cast<int>(t.size()), &text,
                  DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX);
        SelectObject(di->hDC, of);
      }
      *result = TRUE;
      return true;
    }
    case WM_CTLCOLORSTATIC:
    case WM_CTLCOLORBTN: {
      ui::Control* c = ControlOf(reinterpret_cast<HWND>(lp));
      if (!c) return false;
      HDC dc = reinterpret_cast<HDC>(wp);
      ui::Color bg = c->background;
      if (bg == ui::kNoColor) bg = ContainerBackground(GetParent(reinterpret_cast<HWND>(lp)));
      SetTextColor(dc, Rgb(c->color != ui::kNoColor ? c->color : ui::style::kText));
      SetBkColor(dc, Rgb(bg));
      *result = reinterpret_cast<LRESULT>(BrushFor(bg));
      return true;
    }
  }
  return false;
}

LRESULT CALLBACK Binder::ContainerProc(HWND h, UINT msg, WPARAM wp, LPARAM lp) {
  auto* data = reinterpret_cast<ContainerData*>(GetWindowLongPtrW(h, GWLP_USERDATA));
  if (msg == WM_NCCREATE) {
    auto* cs = reinterpret_cast<CREATESTRUCTW*>(lp);
    data = static_cast<ContainerData*>(cs->lpCreateParams);
    SetWindowLongPtrW(h, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(data));
  }
  if (!data) return DefWindowProcW(h, msg, wp, lp);
  switch (msg) {
    case WM_ERASEBKGND: {
      RECT r;
      GetClientRect(h, &r);
      FillRect(reinterpret_cast<HDC>(wp), &r, data->binder->BrushFor(data->background));
      return 1;
    }
    case WM_LBUTTONDOWN:
      if (data->control && data->control->dragsWindow) {
        data->dragging = true;
        data->origin = {static_cast<short>(LOWORD(lp)), static_cast<short>(HIWORD(lp))};
        SetCapture(h);
        return 0;
      }
      break;
    case WM_MOUSEMOVE:
      if (data->dragging && (wp & MK_LBUTTON)) {
        HWND top = GetAncestor(h, GA_ROOT);
        RECT r;
        GetWindowRect(top, &r);
        int x = static_cast<short>(LOWORD(lp)), y = static_cast<short>(HIWORD(lp));
        SetWindowPos(top, nullptr, r.left + x - data->origin.x, r.top + y - data->origin.y, 0, 0,
                     SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
        return 0;
      }
      break;
    case WM_LBUTTONUP:
    case WM_CAPTURECHANGED:
      if (data->dragging) {
        data->dragging = false;
        if (msg == WM_LBUTTONUP) ReleaseCapture();
        return 0;
      }
      break;
    case WM_NCDESTROY:
      SetWindowLongPtrW(h, GWLP_USERDATA, 0);
      delete data;
      return DefWindowProcW(h, msg, wp, lp);
    default: {
      LRESULT result = 0;
      if (data->binder->Route(h, msg, wp, lp, &result)) return result;
    }
  }
  return DefWindowProcW(h, msg, wp, lp);
}

LRESULT CALLBACK Binder::ControlProc(HWND h, UINT msg, WPARAM wp, LPARAM lp, UINT_PTR, DWORD_PTR ref) {
  auto* self = reinterpret_cast<Binder*>(ref);
  ui::Control* c = self->ControlOf(h);
  if (c) {
    switch (msg) {
      case WM_MOUSEMOVE:
        if (!c->hovered()) {
          TRACKMOUSEEVENT tme{sizeof(tme), TME_LEAVE, h, 0};
          TrackMouseEvent(&tme);
          if (self->onHover) self->onHover(*c, true);
        }
        break;
      case WM_MOUSELEAVE:
        if (self->onHover) self->onHover(*c, false);
        break;
      case BM_GETCHECK:
      case BM_GETSTATE:
        // Image buttons report the navigation highlight as their checked state,
        // so that tools and screen readers can see the current page.
        if (c->kind == ui::Kind::ImageButton) return c->highlighted() ? BST_CHECKED : BST_UNCHECKED;
        break;
      case WM_NCDESTROY:
        RemoveWindowSubclass(h, ControlProc, kSubclassId);
        self->controls_.erase(h);
        break;
    }
  }
  return DefSubclassProc(h, msg, wp, lp);
}

}  // namespace vl::win
