// Small helpers that lay out the controls of one tab sheet in the house
// style: a title and description at the top, content below, buttons in a
// row at the bottom. Coordinates are relative to the sheet.
#pragma once
#include <string>

#include "ui/ui_model.h"

namespace vl::ui {

namespace style {
inline constexpr Color kAccent = 0x1F6FEB;      // buttons, highlights
inline constexpr Color kAccentDark = 0x17375E;  // title strip
inline constexpr Color kNavBar = 0x224B78;      // navigation bar
inline constexpr Color kPage = 0xFFFFFF;        // page background
inline constexpr Color kText = 0x1F2933;
inline constexpr Color kMuted = 0x5F6B7A;
inline constexpr Color kBorder = 0xC9D1DB;      // frames of lists, trees and edit fields
inline constexpr Color kLink = 0x1F6FEB;
inline constexpr Color kStripe = 0xF9F8F2;      // RGB(249, 248, 242): every second row
inline constexpr Color kRed = 0xD92D20;
inline constexpr Color kGreen = 0x12805C;
inline constexpr int kMargin = 24;
inline constexpr int kButtonY = 356;            // bottom row of buttons
inline constexpr int kButtonH = 36;
}  // namespace style

class PageBuilder {
 public:
  PageBuilder(Form& form, int sheet, int width) : form_(form), sheet_(sheet), width_(width) {}

  Control& Title(int id, const std::string& name, const std::string& text = {}) {
    Control& c = form_.Add(id, Kind::Label, name, sheet_,
                           {style::kMargin, 14, width_ - 2 * style::kMargin, 28}, text);
    c.font = FontStyle::Title;
    c.color = style::kText;
    return c;
  }
  // Two lines fit by default; long texts that wrap ask for more.
  Control& Description(int id, const std::string& name, const std::string& text = {}, int height = 36) {
    Control& c = form_.Add(id, Kind::Label, name, sheet_,
                           {style::kMargin, 46, width_ - 2 * style::kMargin, height}, text);
    c.color = style::kMuted;
    return c;
  }
  Control& Label(int id, const std::string& name, Rect r, const std::string& text = {},
                 FontStyle font = FontStyle::Normal, Color color = style::kText) {
    Control& c = form_.Add(id, Kind::Label, name, sheet_, r, text);
    c.font = font;
    c.color = color;
    return c;
  }
  Control& Button(int id, const std::string& name, Rect r, const std::string& accessibleName,
                  Picture picture) {
    Control& c = form_.Add(id, Kind::ImageButton, name, sheet_, r, accessibleName);
    c.SetPicture(picture);
    return c;
  }
  // A button of the bottom row: `slot` 0 is the left-most, -1 the right-most.
  Control& BottomButton(int id, const std::string& name, int slot, const std::string& text,
                        Picture picture) {
    const int w = 120, gap = 12;
    int x = slot >= 0 ? style::kMargin + slot * (w + gap)
                      : width_ - style::kMargin - (-slot) * w - (-slot - 1) * gap;
    return Button(id, name, {x, style::kButtonY, w, style::kButtonH}, text, picture);
  }
  Control& Back(int id, const std::string& name) {
    return BottomButton(id, name, 0, "Back", Picture::Back);
  }
  Control& List(int id, const std::string& name, Rect r) {
    return form_.Add(id, Kind::ListView, name, sheet_, r);
  }

 private:
  Form& form_;
  int sheet_;
  int width_;
};

}  // namespace vl::ui
