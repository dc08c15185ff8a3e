// Flat glyphs on a 24-unit grid, drawn four times larger and scaled down
// with halftoning so that their edges come out smooth with plain GDI.
#include "ui/win32/pictures.h"

#include <commctrl.h>

#include <cmath>
#include <map>
#include <string>
#include <vector>

#include "ui/page_builder.h"
#include "ui/win32/win_util.h"

namespace vl::win {

using ui::Picture;

namespace {

constexpr int kSuper = 4;

int CALLBACK FoundFont(const LOGFONTW*, const TEXTMETRICW*, DWORD, LPARAM found) {
  *reinterpret_cast<bool*>(found) = true;
  return 0;
}

const wchar_t* FaceName() {
  static const wchar_t* face = [] {
    HDC dc = GetDC(nullptr);
    LOGFONTW lf{};
    lf.lfCharSet = DEFAULT_CHARSET;
    wcscpy(lf.lfFaceName, L"Segoe UI");
    bool found = false;
    EnumFontFamiliesExW(dc, &lf, FoundFont, reinterpret_cast<LPARAM>(&found), 0);
    ReleaseDC(nullptr, dc);
    return found ? L"Segoe UI" : L"Tahoma";
  }();
  return face;
}

// Drawing on the 24-unit grid of a glyph box.
class Grid {
 public:
  Grid(HDC dc, const RECT& box, COLORREF color) : dc_(dc), color_(color) {
    int w = box.right - box.left, h = box.bottom - box.top;
    size_ = std::min(w, h);
    x0_ = box.left + (w - size_) / 2;
    y0_ = box.top + (h - size_) / 2;
    pen_ = CreatePen(PS_SOLID, std::max(1, size_ * 2 / 24), color);
    brush_ = CreateSolidBrush(color);
    oldPen_ = SelectObject(dc, pen_);
    oldBrush_ = SelectObject(dc, GetStockObject(NULL_BRUSH));
  }
  ~Grid() {
    SelectObject(dc_, oldPen_);
    SelectObject(dc_, oldBrush_);
    DeleteObject(pen_);
    DeleteObject(brush_);
  }
  POINT P(double x, double y) const {
    return {x0_ + static_cast<LONG>(std::lround(x * size_ / 24.0)),
            y0_ + static_cast<LONG>(std::lround(y * size_ / 24.0))};
  }
  void Line(std::initializer_list<std::pair<double, double>> pts) {
    std::vector<POINT> v;
    for (auto& p : pts) v.push_back(P(p.first, p.second));
    Polyline(dc_, v.data(), static_cast<int>(v.size()));
  }
  void Fill(std::initializer_list<std::pair<double, double>> pts) {
    std::vector<POINT> v;
    for (auto& p : pts) v.push_back(P(p.first, p.second));
    HGDIOBJ old = SelectObject(dc_, brush_);
    Polygon(dc_, v.data(), static_cast<int>(v.size()));
    SelectObject(dc_, old);
  }
  void Circle(double cx, double cy, double r, bool filled = false) {
    POINT a = P(cx - r, cy - r), b = P(cx + r, cy + r);
    HGDIOBJ old = filled ? SelectObject(dc_, brush_) : nullptr;
    Ellipse(dc_, a.x, a.y, b.x, b.y);
    if (old) SelectObject(dc_, old);
  }
  void Box(double x1, double y1, double x2, double y2, bool filled = false, double round = 0) {
    POINT a = P(x1, y1), b = P(x2, y2);
    HGDIOBJ old = filled ? SelectObject(dc_, brush_) : nullptr;
    int r = static_cast<int>(round * size_ / 24.0);
    RoundRect(dc_, a.x, a.y, b.x, b.y, r, r);
    if (old) SelectObject(dc_, old);
  }

 private:
  HDC dc_;
  COLORREF color_;
  int size_, x0_, y0_;
  HPEN pen_;
  HBRUSH brush_;
  HGDIOBJ oldPen_, oldBrush_;
};

void Gear(Grid& g) {
  for (int i = 0; i < 8; ++i) {
    double a = i * 3.14159265 / 4;
    g.Line({{12 + 6 * std::cos(a), 12 + 6 * std::sin(a)}, {12 + 9.5 * std::cos(a), 12 + 9.5 * std::sin(a)}});
  }
  g.Circle(12, 12, 6.5);
  g.Circle(12, 12, 2.5);
}

void Trash(Grid& g) {
  g.Line({{4, 6}, {20, 6}});
  g.Line({{9, 6}, {9, 3.5}, {15, 3.5}, {15, 6}});
  g.Line({{6, 6}, {7, 21}, {17, 21}, {18, 6}});
  g.Line({{10, 10}, {10, 17}});
  g.Line({{14, 10}, {14, 17}});
}

void Magnifier(Grid& g) {
  g.Circle(10, 10, 6.5);
  g.Line({{15, 15}, {21, 21}});
}

void Shield(Grid& g) {
  g.Line({{12, 2.5}, {20, 5.5}, {19.5, 13}, {12, 21.5}, {4.5, 13}, {4, 5.5}, {12, 2.5}});
  g.Line({{8, 12}, {11, 15}, {16.5, 8.5}});
}

void Paint(HDC dc, const RECT& r, Picture p, COLORREF color) {
  Grid g(dc, r, color);
  switch (p) {
    case Picture::None: break;
    case Picture::NavStatus:
      g.Line({{2, 12}, {7, 12}, {10, 5}, {14, 19}, {17, 12}, {22, 12}});
      break;
    case Picture::NavCleanup:
    case Picture::JunkCleaner:
      if (p == Picture::JunkCleaner) {
        Trash(g);
      } else {
        g.Fill({{10, 2}, {12, 9}, {19, 11}, {12, 13}, {10, 20}, {8, 13}, {1, 11}, {8, 9}});
        g.Fill({{18, 14}, {19, 17}, {22, 18}, {19, 19}, {18, 22}, {17, 19}, {14, 18}, {17, 17}});
      }
      break;
    case Picture::NavOptimize:
    case Picture::OneClick:
      g.Fill({{14, 1.5}, {4.5, 13.5}, {11, 13.5}, {9.5, 22.5}, {19.5, 9.5}, {13, 9.5}});
      break;
    case Picture::NavBackup:
    case Picture::Backup:
      Shield(g);
      break;
    case Picture::NavOptions:
    case Picture::Settings:
      Gear(g);
      break;
    case Picture::Close:
      g.Line({{7, 7}, {17, 17}});
      g.Line({{17, 7}, {7, 17}});
      break;
    case Picture::Minimize:
      g.Line({{7, 13}, {17, 13}});
      break;
    case Picture::Logo:
      g.Box(2, 2, 22, 22, false, 7);
      g.Line({{7, 7.5}, {12, 17}, {17, 7.5}});
      break;
    case Picture::RegistryCleaner:
      g.Box(3, 3, 11, 11, true, 2);
      g.Box(13, 3, 21, 11, false, 2);
      g.Box(3, 13, 11, 21, false, 2);
      g.Box(13, 13, 21, 21, true, 2);
      break;
    case Picture::EvidenceCleaner:
    case Picture::Scan:
      Magnifier(g);
      break;
    case Picture::Stop:
      g.Box(6, 6, 18, 18, true, 2);
      break;
    case Picture::Repair:
    case Picture::Save:
      g.Line({{4, 12.5}, {9.5, 18}, {20, 6.5}});
      break;
    case Picture::Export:
      g.Line({{9, 5}, {5, 5}, {5, 19}, {19, 19}, {19, 15}});
      g.Line({{11, 13}, {20, 4}});
      g.Line({{14, 4}, {20, 4}, {20, 10}});
      break;
    case Picture::Back:
      g.Line({{20, 12}, {5, 12}});
      g.Line({{11, 6}, {5, 12}, {11, 18}});
      break;
    case Picture::Restore:
      g.Line({{5, 8}, {8, 5.5}, {12, 4.5}, {16.5, 5.5}, {19.5, 9}, {20, 13}, {18, 18}, {13, 20.5},
              {8, 19.5}, {5, 16}});
      g.Line({{4, 3}, {5, 8}, {10, 8}});
      break;
    case Picture::Delete:
      Trash(g);
      break;
    case Picture::Network:
      g.Circle(12, 12, 9);
      g.Box(8, 3, 16, 21, false, 16);
      g.Line({{3, 12}, {21, 12}});
      break;
    case Picture::DiskCache:
      g.Box(4, 4, 20, 20, false, 3);
      g.Line({{4, 12}, {20, 12}});
      g.Circle(16, 8, 1, true);
      g.Circle(16, 16, 1, true);
      break;
    case Picture::Desktop:
      g.Box(2.5, 4, 21.5, 16, false, 2);
      g.Line({{12, 16}, {12, 20}});
      g.Line({{7, 20}, {17, 20}});
      break;
    case Picture::FileSystem:
      g.Line({{3, 6}, {3, 19}, {21, 19}, {21, 8}, {11, 8}, {9, 5}, {3, 5}, {3, 6}});
      break;
    case Picture::Startup:
      g.Line({{12, 3}, {12, 11}});
      g.Line({{7.5, 6}, {5, 9}, {4.5, 13}, {6, 17}, {9, 19.5}, {12, 20}, {15, 19.5}, {18, 17},
              {19.5, 13}, {19, 9}, {16.5, 6}});
      break;
    case Picture::IgnoreList:
      g.Circle(12, 12, 8.5);
      g.Line({{6, 18}, {18, 6}});
      break;
    case Picture::CheckUpdate:
      g.Line({{12, 3}, {12, 15}});
      g.Line({{7, 10}, {12, 15}, {17, 10}});
      g.Line({{4, 16}, {4, 20}, {20, 20}, {20, 16}});
      break;
    case Picture::Report:
      g.Line({{6, 3}, {14, 3}, {19, 8}, {19, 21}, {6, 21}, {6, 3}});
      g.Line({{9, 12}, {16, 12}});
      g.Line({{9, 16}, {16, 16}});
      break;
    case Picture::Add:
      g.Line({{12, 5}, {12, 19}});
      g.Line({{5, 12}, {19, 12}});
      break;
    case Picture::Edit:
      g.Line({{4, 20}, {5, 15}, {16, 4}, {20, 8}, {9, 19}, {4, 20}});
      break;
    case Picture::Drive:
      g.Box(2.5, 7, 21.5, 17, false, 3);
      g.Line({{6, 12}, {13, 12}});
      g.Circle(17.5, 12, 1.2, true);
      break;
    case Picture::Browser:
      g.Box(2.5, 4, 21.5, 20, false, 3);
      g.Line({{2.5, 9}, {21.5, 9}});
      g.Circle(6, 6.5, 0.8, true);
      g.Circle(9, 6.5, 0.8, true);
      break;
  }
}

}  // namespace

HFONT FontFor(ui::FontStyle style, bool underline) {
  static std::map<std::pair<int, bool>, HFONT> fonts;
  auto key = std::make_pair(static_cast<int>(style), underline);
  auto it = fonts.find(key);
  if (it != fonts.end()) return it->second;
  int height = -13, weight = FW_NORMAL;
  switch (style) {
    case ui::FontStyle::Normal: break;
    case ui::FontStyle::Bold: weight = FW_BOLD; break;
    case ui::FontStyle::Title: height = -20; weight = FW_BOLD; break;
    case ui::FontStyle::Heading: height = -16; weight = FW_BOLD; break;
    case ui::FontStyle::Small: height = -11; break;
    case ui::FontStyle::Link: break;
  }
  HFONT f = CreateFontW(height, 0, 0, 0, weight, FALSE, underline, FALSE, DEFAULT_CHARSET,
                        OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, CLEARTYPE_QUALITY,
                        DEFAULT_PITCH | FF_SWISS, FaceName());
  fonts[key] = f;
  return f;
}

void DrawGlyph(HDC dc, const RECT& r, Picture picture, COLORREF color) {
  int w = r.right - r.left, h = r.bottom - r.top;
  if (w <= 0 || h <= 0 || picture == Picture::None) return;
  // Draw large on a copy of the background, then scale down smoothly.
  HDC mem = CreateCompatibleDC(dc);
  HBITMAP bmp = CreateCompatibleBitmap(dc, w * kSuper, h * kSuper);
  HGDIOBJ oldBmp = SelectObject(mem, bmp);
  SetStretchBltMode(mem, COLORONCOLOR);
  StretchBlt(mem, 0, 0, w * kSuper, h * kSuper, dc, r.left, r.top, w, h, SRCCOPY);
  RECT big{0, 0, w * kSuper, h * kSuper};
  Paint(mem, big, picture, color);
  int oldMode = SetStretchBltMode(dc, HALFTONE);
  POINT org;
  SetBrushOrgEx(dc, 0, 0, &org);
  StretchBlt(dc, r.left, r.top, w, h, mem, 0, 0, w * kSuper, h * kSuper, SRCCOPY);
  SetStretchBltMode(dc, oldMode);
  SetBrushOrgEx(dc, org.x, org.y, nullptr);
  SelectObject(mem, oldBmp);
  DeleteObject(bmp);
  DeleteDC(mem);
}

namespace {

bool IsNav(Picture p) {
  return p == Picture::NavStatus || p == Picture::NavCleanup || p == Picture::NavOptimize ||
         p == Picture::NavBackup || p == Picture::NavOptions;
}

bool IsBigPicture(Picture p) {
  return p == Picture::RegistryCleaner || p == Picture::JunkCleaner || p == Picture::EvidenceCleaner;
}

bool IsSecondary(Picture p) { return p == Picture::Back || p == Picture::Stop; }

void FillRound(HDC dc, const RECT& r, COLORREF fill, COLORREF border, int radius) {
  HBRUSH b = CreateSolidBrush(fill);
  HPEN p = CreatePen(PS_SOLID, 1, border);
  HGDIOBJ ob = SelectObject(dc, b), op = SelectObject(dc, p);
  RoundRect(dc, r.left, r.top, r.right, r.bottom, radius, radius);
  SelectObject(dc, ob);
  SelectObject(dc, op);
  DeleteObject(b);
  DeleteObject(p);
}

void Caption(HDC dc, RECT r, const std::string& text, COLORREF color, ui::FontStyle font, UINT align) {
  HGDIOBJ of = SelectObject(dc, FontFor(font));
  SetBkMode(dc, TRANSPARENT);
  SetTextColor(dc, color);
  std::wstring w = W(text);
  DrawTextW(dc, w.c_str(), static_cast<int>(w.size()), &r, align | DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX);
  SelectObject(dc, of);
}

}  // namespace

void DrawImageButton(HDC dc, const RECT& r, const ui::Control& c, const ButtonLook& look) {
  namespace st = ui::style;
  const Picture p = c.picture();
  const int w = r.right - r.left, h = r.bottom - r.top;
  COLORREF parentBg = Rgb(c.background != ui::kNoColor ? c.background : st::kPage);
  if (IsNav(p)) parentBg = Rgb(st::kNavBar);
  if (p == Picture::Close || p == Picture::Minimize) parentBg = Rgb(st::kAccentDark);
  HBRUSH bg = CreateSolidBrush(parentBg);
  FillRect(dc, &r, bg);
  DeleteObject(bg);

  if (IsNav(p)) {
    COLORREF fg = RGB(255, 255, 255);
    RECT card{r.left + 2, r.top + 2, r.right - 2, r.bottom - 2};
    if (look.highlighted) {
      FillRound(dc, card, RGB(255, 255, 255), RGB(255, 255, 255), 14);
      fg = Rgb(st::kAccentDark);
    } else if (look.hovered && look.enabled) {
      FillRound(dc, card, RGB(0x33, 0x63, 0x96), RGB(0x33, 0x63, 0x96), 14);
    }
    if (!look.enabled && !look.highlighted) fg = RGB(0x8A, 0x9C, 0xB3);
    RECT glyph{r.left + w / 2 - 15, r.top + 8, r.left + w / 2 + 15, r.top + 38};
    DrawGlyph(dc, glyph, p, fg);
    RECT text{r.left, r.top + 40, r.right, r.bottom - 4};
    Caption(dc, text, c.text(), fg, ui::FontStyle::Bold, DT_CENTER);
    return;
  }
  if (p == Picture::Close || p == Picture::Minimize) {
    if (look.hovered) {
      HBRUSH hb = CreateSolidBrush(p == Picture::Close ? RGB(0xD9, 0x2D, 0x20) : RGB(0x2E, 0x55, 0x82));
      FillRect(dc, &r, hb);
      DeleteObject(hb);
    }
    RECT glyph{r.left + w / 2 - 9, r.top + h / 2 - 9, r.left + w / 2 + 9, r.top + h / 2 + 9};
    DrawGlyph(dc, glyph, p, RGB(255, 255, 255));
    return;
  }
  if (IsBigPicture(p)) {
    bool hot = look.hovered || look.pressed;
    FillRound(dc, r, hot ? Rgb(st::kAccent) : RGB(0xE8, 0xF0, 0xFE), hot ? Rgb(st::kAccent) : RGB(0xD2, 0xE3, 0xFC), 18);
    RECT glyph{r.left + w / 4, r.top + h / 4, r.right - w / 4, r.bottom - h / 4};
    DrawGlyph(dc, glyph, p, hot ? RGB(255, 255, 255) : Rgb(st::kAccent));
    return;
  }
  // Buttons with a caption: primary (filled) or secondary (outlined).
  COLORREF fill, border, fg;
  if (!look.enabled) {
    fill = RGB(0xE4, 0xE7, 0xEB); border = fill; fg = RGB(0x9A, 0xA3, 0xAE);
  } else if (IsSecondary(p) || (p == Picture::None && !look.highlighted)) {
    // Tab buttons (no picture) are outlined unless theirs is the active tab.
    fill = look.hovered ? RGB(0xF1, 0xF4, 0xF8) : RGB(255, 255, 255);
    border = RGB(0xC5, 0xCD, 0xD8);
    fg = Rgb(st::kText);
  } else {
    fill = look.pressed ? RGB(0x16, 0x55, 0xB8) : look.hovered ? RGB(0x1A, 0x5F, 0xCC) : Rgb(st::kAccent);
    border = fill;
    fg = RGB(255, 255, 255);
  }
  FillRound(dc, r, fill, border, 10);
  std::wstring wt = W(c.text());
  HGDIOBJ of = SelectObject(dc, FontFor(ui::FontStyle::Bold));
  SIZE ext{};
  GetTextExtentPoint32W(dc, wt.c_str(), static_cast<int>(wt.size()), &ext);
  SelectObject(dc, of);
  const int glyphSize = p == Picture::None ? 0 : 16, gap = p == Picture::None ? 0 : 8;
  int total = glyphSize + gap + ext.cx;
  int x = r.left + (w - total) / 2;
  RECT glyph{x, r.top + (h - glyphSize) / 2, x + glyphSize, r.top + (h - glyphSize) / 2 + glyphSize};
  DrawGlyph(dc, glyph, p, fg);
  RECT text{x + glyphSize + gap, r.top, r.right, r.bottom};
  Caption(dc, text, c.text(), fg, ui::FontStyle::Bold, DT_LEFT);
}

namespace {

// Adds one `size` square image to `list`, drawn by `draw` on white.
template <typename Draw>
void AddImage(HIMAGELIST list, int size, Draw draw) {
  HDC screen = GetDC(nullptr);
  HDC mem = CreateCompatibleDC(screen);
  HBITMAP bmp = CreateCompatibleBitmap(screen, size, size);
  HGDIOBJ old = SelectObject(mem, bmp);
  RECT r{0, 0, size, size};
  FillRect(mem, &r, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
  draw(mem, r);
  SelectObject(mem, old);
  DeleteDC(mem);
  ReleaseDC(nullptr, screen);
  ImageList_Add(list, bmp, nullptr);
  DeleteObject(bmp);
}

}  // namespace

HIMAGELIST MakePictureList(const Picture* pictures, int count, int size) {
  HIMAGELIST list = ImageList_Create(size, size, ILC_COLOR32, count, 0);
  for (int i = 0; i < count; ++i)
    AddImage(list, size, [&](HDC dc, const RECT& r) {
      FillRound(dc, r, RGB(0xE8, 0xF0, 0xFE), RGB(0xD2, 0xE3, 0xFC), size / 3);
      RECT inner{size / 5, size / 5, size - size / 5, size - size / 5};
      DrawGlyph(dc, inner, pictures[i], Rgb(ui::style::kAccent));
    });
  return list;
}

HIMAGELIST MakeRowImages(bool withChecks, Picture picture) {
  const int size = 16, w = withChecks ? 2 * size + 2 : size;
  HIMAGELIST list = ImageList_Create(w, size, ILC_COLOR32, 2, 0);
  for (int checked = 0; checked < (withChecks ? 2 : 1); ++checked) {
    HDC screen = GetDC(nullptr);
    HDC mem = CreateCompatibleDC(screen);
    HBITMAP bmp = CreateCompatibleBitmap(screen, w, size);
    HGDIOBJ old = SelectObject(mem, bmp);
    RECT all{0, 0, w, size};
    FillRect(mem, &all, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
    int x = 0;
    if (withChecks) {
      RECT box{1, 1, 15, 15};
      if (checked) {
        FillRound(mem, box, Rgb(ui::style::kAccent), Rgb(ui::style::kAccent), 4);
        DrawGlyph(mem, RECT{2, 2, 14, 14}, Picture::Repair, RGB(255, 255, 255));
      } else {
        FillRound(mem, box, RGB(255, 255, 255), RGB(0x9A, 0xA3, 0xAE), 4);
      }
      x = size + 2;
    }
    DrawGlyph(mem, RECT{x, 0, x + size, size}, picture, Rgb(ui::style::kAccent));
    SelectObject(mem, old);
    DeleteDC(mem);
    ReleaseDC(nullptr, screen);
    ImageList_Add(list, bmp, nullptr);
    DeleteObject(bmp);
  }
  return list;
}

HIMAGELIST MakeNodeImages(const std::vector<Picture>& pictures) {
  const int size = 16;
  HIMAGELIST list = ImageList_Create(size, size, ILC_COLOR32, static_cast<int>(pictures.size()), 0);
  for (Picture p : pictures)
    AddImage(list, size, [&](HDC dc, const RECT& r) { DrawGlyph(dc, r, p, Rgb(ui::style::kAccent)); });
  return list;
}

HIMAGELIST MakeCheckImages() {
  const int size = 16;
  HIMAGELIST list = ImageList_Create(size, size, ILC_COLOR32, 2, 0);
  for (int checked = 0; checked < 2; ++checked)
    AddImage(list, size, [&](HDC dc, const RECT&) {
      RECT box{1, 1, 15, 15};
      if (checked) {
        FillRound(dc, box, Rgb(ui::style::kAccent), Rgb(ui::style::kAccent), 4);
        DrawGlyph(dc, RECT{2, 2, 14, 14}, Picture::Repair, RGB(255, 255, 255));
      } else {
        FillRound(dc, box, RGB(255, 255, 255), RGB(0x9A, 0xA3, 0xAE), 4);
      }
    });
  return list;
}

}  // namespace vl::win
