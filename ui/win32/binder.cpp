// Real child windows for the window model, kept in step with it.
#include "ui/win32/binder.h"

#include <commctrl.h>

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
  for (HIMAGELIST l : rowImages_) ImageList_Destroy(l);
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
  WindowSpec spec;
  switch (c.kind) {
    case ui::Kind::Panel:
      spec.cls = kContainerClass;
      spec.style = WS_CLIPCHILDREN;
      spec.ex = WS_EX_CONTROLPARENT;
      break;
    case ui::Kind::Label:
      spec.style = SS_NOPREFIX | (c.centered ? SS_CENTER : SS_LEFT);
      if (c.picture() != ui::Picture::None) spec.style |= SS_OWNERDRAW;
      if (c.onClick) spec.style |= SS_NOTIFY;
      break;
    case ui::Kind::ImageButton:
    case ui::Kind::CheckBox:
    case ui::Kind::Radio:
      ButtonSpec(c, &spec);
      break;
    case ui::Kind::ListView:
    case ui::Kind::IconList:
    case ui::Kind::CheckList:
      ListSpec(c, &spec);
      break;
    case ui::Kind::Progress:
      ProgressSpec(c, &spec);
      break;
    case ui::Kind::Tree:
      TreeSpec(c, &spec);
      break;
    case ui::Kind::Edit:
      EditSpec(c, &spec);
      break;
  }
  spec.style |= WS_CHILD | (c.visible() ? WS_VISIBLE : 0);
  // A group of radios runs from one WS_GROUP window to the next.
  const bool radio = c.kind == ui::Kind::Radio;
  if ((radio && (!lastWasRadio_ || lastGroup_ != c.group)) || (!radio && lastWasRadio_)) spec.style |= WS_GROUP;
  lastWasRadio_ = radio;
  lastGroup_ = c.group;
  void* create = nullptr;
  if (c.kind == ui::Kind::Panel) {
    create = new ContainerData{this, c.background, &c};
  }
  HWND h = CreateWindowExW(spec.ex, spec.cls, W(c.text()).c_str(), spec.style, c.rect.x, c.rect.y + offsetY,
                           c.rect.w, c.rect.h, parent, reinterpret_cast<HMENU>(static_cast<INT_PTR>(c.id)), inst,
                           create);
  controls_[h] = &c;
  SendMessageW(h, WM_SETFONT, reinterpret_cast<WPARAM>(FontFor(c.font)), FALSE);
  SetWindowSubclass(h, ControlProc, kSubclassId, reinterpret_cast<DWORD_PTR>(this));
  if (!c.enabled()) EnableWindow(h, FALSE);

  switch (c.kind) {
    case ui::Kind::CheckBox:
    case ui::Kind::Radio:
    case ui::Kind::ImageButton:
      SetUpButton(c, h);
      break;
    case ui::Kind::ListView:
    case ui::Kind::IconList:
    case ui::Kind::CheckList:
      SetUpList(c, h);
      break;
    case ui::Kind::Progress:
      SetUpProgress(c, h);
      break;
    case ui::Kind::Tree:
      SetUpTree(c, h);
      break;
    case ui::Kind::Edit:
      SetUpEdit(c, h);
      break;
    default:
      break;
  }
  return h;
}

void Binder::ControlChanged(ui::Control& c, int what) {
  HWND h = WindowOf(c.id);
  if (h) Sync(c, h, what);
}

void Binder::Sync(ui::Control& c, HWND h, int what) {
  // An edit field compares before it sets: typing must not come back as a reset caret.
  if ((what & ui::kChangeText) && c.kind != ui::Kind::Edit) {
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
  if (what & ui::kChangePicture) {
    if (c.underlineOnHover)
      SendMessageW(h, WM_SETFONT, reinterpret_cast<WPARAM>(FontFor(c.font, c.hovered())), FALSE);
    InvalidateRect(h, nullptr, TRUE);
  }
  if (what & ui::kChangeRepaint) {
    InvalidateRect(h, nullptr, TRUE);
    UpdateWindow(h);
  }
  if (what & ui::kChangeFocus) SetFocus(h);
  switch (c.kind) {
    case ui::Kind::CheckBox:
    case ui::Kind::Radio:
    case ui::Kind::ImageButton:
      SyncButton(c, h, what);
      break;
    case ui::Kind::ListView:
    case ui::Kind::IconList:
    case ui::Kind::CheckList:
      SyncList(c, h, what);
      break;
    case ui::Kind::Progress:
      SyncProgress(c, h, what);
      break;
    case ui::Kind::Tree:
      SyncTree(c, h, what);
      break;
    case ui::Kind::Edit:
      SyncEdit(c, h, what);
      break;
    default:
      break;
  }
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

void Binder::DrawPictureLabel(ui::Control& c, DRAWITEMSTRUCT* di) {
  // A label with a picture: glyph, then text (the title image).
  HBRUSH bg = BrushFor(c.background != ui::kNoColor ? c.background : ui::style::kPage);
  FillRect(di->hDC, &di->rcItem, bg);
  int h = di->rcItem.bottom - di->rcItem.top;
  RECT glyph{di->rcItem.left + 14, di->rcItem.top + (h - 24) / 2, di->rcItem.left + 38,
             di->rcItem.top + (h + 24) / 2};
  COLORREF fg = Rgb(c.color != ui::kNoColor ? c.color : ui::style::kText);
  DrawGlyph(di->hDC, glyph, c.picture(), fg);
  RECT text = di->rcItem;
  text.left += 48;
  HGDIOBJ of = SelectObject(di->hDC, FontFor(c.font));
  SetBkMode(di->hDC, TRANSPARENT);
  SetTextColor(di->hDC, fg);
  std::wstring t = W(c.text());
  DrawTextW(di->hDC, t.c_str(), static_cast<int>(t.size()), &text, DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX);
  SelectObject(di->hDC, of);
}

bool Binder::Route(HWND, UINT msg, WPARAM wp, LPARAM lp, LRESULT* result) {
  switch (msg) {
    case WM_COMMAND: {
      ui::Control* c = ControlOf(reinterpret_cast<HWND>(lp));
      if (!c) return false;
      // Clicks of buttons and of labels with a click handler (STN_CLICKED is BN_CLICKED).
      bool handled = c->kind == ui::Kind::Edit ? EditCommand(*c, reinterpret_cast<HWND>(lp), HIWORD(wp))
                                               : ButtonCommand(*c, reinterpret_cast<HWND>(lp), HIWORD(wp));
      if (handled) *result = 0;
      return handled;
    }
    case WM_NOTIFY: {
      auto* hdr = reinterpret_cast<NMHDR*>(lp);
      ui::Control* c = ControlOf(hdr->hwndFrom);
      if (!c) return false;
      switch (c->kind) {
        case ui::Kind::ListView:
        case ui::Kind::IconList:
        case ui::Kind::CheckList:
          return ListNotify(*c, hdr, result);
        default:
          return false;
      }
    }
    case WM_DRAWITEM: {
      auto* di = reinterpret_cast<DRAWITEMSTRUCT*>(lp);
      ui::Control* c = ControlOf(di->hwndItem);
      if (!c) return false;
      if (di->CtlType == ODT_BUTTON) {
        DrawButton(*c, di);
      } else if (di->CtlType == ODT_STATIC) {
        DrawPictureLabel(*c, di);
      }
      *result = TRUE;
      return true;
    }
    case WM_CTLCOLOREDIT: {
      ui::Control* c = ControlOf(reinterpret_cast<HWND>(lp));
      if (!c) return false;
      HDC dc = reinterpret_cast<HDC>(wp);
      SetTextColor(dc, Rgb(c->color != ui::kNoColor ? c->color : ui::style::kText));
      SetBkColor(dc, RGB(255, 255, 255));
      *result = reinterpret_cast<LRESULT>(BrushFor(0xFFFFFF));
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
      case WM_NCDESTROY:
        RemoveWindowSubclass(h, ControlProc, kSubclassId);
        self->controls_.erase(h);
        break;
    }
    LRESULT result = 0;
    if (c->kind == ui::Kind::ImageButton && ButtonMessage(*c, msg, &result)) return result;
    if (c->kind == ui::Kind::Tree && self->TreeMessage(*c, h, msg, wp, lp, &result)) return result;
    // Framed controls get a thin frame in the house colours instead of black;
    // a focused edit field shows the accent.
    if (msg == WM_NCPAINT && (GetWindowLongPtrW(h, GWL_STYLE) & WS_BORDER)) {
      DefSubclassProc(h, msg, wp, lp);
      HDC dc = GetWindowDC(h);
      RECT r;
      GetWindowRect(h, &r);
      OffsetRect(&r, -r.left, -r.top);
      bool focused = c->kind == ui::Kind::Edit && GetFocus() == h;
      FrameRect(dc, &r, self->BrushFor(focused ? ui::style::kAccent : ui::style::kBorder));
      ReleaseDC(h, dc);
      return 0;
    }
  }
  return DefSubclassProc(h, msg, wp, lp);
}

}  // namespace vl::win
