// Our own pictures: flat glyphs drawn with GDI for image buttons, the
// large-icon lists and the check images of list views.
#pragma once
#include <windows.h>
#include <commctrl.h>

#include <vector>

#include "ui/ui_model.h"

namespace vl::win {

struct ButtonLook {
  bool hovered = false;
  bool pressed = false;
  bool highlighted = false;  // navigation: the current page's button
  bool enabled = true;
};

// The font set of the program, made once.
HFONT FontFor(ui::FontStyle style, bool underline = false);

// Draws a whole image button (background, glyph, caption) into `r`.
void DrawImageButton(HDC dc, const RECT& r, const ui::Control& c, const ButtonLook& look);
// Draws just the glyph of `picture` centred in `r` in colour `color`.
void DrawGlyph(HDC dc, const RECT& r, ui::Picture picture, COLORREF color);
// Image list of `size` pixels holding the given pictures on white.
HIMAGELIST MakePictureList(const ui::Picture* pictures, int count, int size);
// Small (16 pixel) images of tree nodes: the glyphs alone, in the accent.
HIMAGELIST MakeNodeImages(const std::vector<ui::Picture>& pictures);
// Image list of the two check images: 0 unchecked, 1 checked.
HIMAGELIST MakeCheckImages();
// Row images of a list with a row picture: with checks, 0 unchecked and 1
// checked, each followed by the picture; without, the picture alone.
HIMAGELIST MakeRowImages(bool withChecks, ui::Picture picture);

}  // namespace vl::win
