// The portable window model: control state and change notification.
#include "ui/ui_model.h"

#include <algorithm>
#include <stdexcept>

namespace vl::ui {

Control::Control(Form& form, int id, Kind kind, std::string name, int sheet, Rect rect)
    : id(id), kind(kind), name(std::move(name)), sheet(sheet), rect(rect), form_(form) {}

void Control::Changed(int what) { form_.Notify(*this, what); }

void Control::SetText(const std::string& text) {
  if (text_ == text) return;
  text_ = text;
  Changed(kChangeText);
  if (kind == Kind::Edit && onChange) onChange();
}

void Control::SetVisible(bool visible) {
  if (visible_ == visible) return;
  visible_ = visible;
  Changed(kChangeVisible);
}

void Control::SetEnabled(bool enabled) {
  if (enabled_ == enabled) return;
  enabled_ = enabled;
  Changed(kChangeEnabled);
}

void Control::SetChecked(bool checked) {
  if (checked_ == checked) return;
  if (checked && kind == Kind::Radio) {
    for (auto& other : form_.controls())
      if (other.get() != this && other->kind == Kind::Radio && other->group == group) other->SetChecked(false);
  }
  checked_ = checked;
  Changed(kChangeChecked);
}

void Control::Click() {
  if (!enabled_) return;
  if (kind == Kind::CheckBox) SetChecked(!checked_);
  if (kind == Kind::Radio) SetChecked(true);
  if (onClick) onClick();
}

void Control::SetPicture(Picture picture) {
  if (picture_ == picture) return;
  picture_ = picture;
  Changed(kChangePicture);
}

void Control::SetHighlighted(bool on) {
  if (highlighted_ == on) return;
  highlighted_ = on;
  Changed(kChangePicture);
}

void Control::SetHovered(bool on) {
  if (hovered_ == on) return;
  hovered_ = on;
  Changed(kChangePicture);
}

void Control::SetRowCount(int rows) {
  rowCount_ = rows < 0 ? 0 : rows;
  while (!selectedRows_.empty() && selectedRows_.back() >= rowCount_) selectedRows_.pop_back();
  if (selected_ >= rowCount_) selected_ = selectedRows_.empty() ? -1 : selectedRows_.front();
  Changed(kChangeRows);
}

void Control::Repaint() { Changed(kChangeRepaint); }

void Control::Focus() {
  form_.SetFocused(id);
  Changed(kChangeFocus);
}

void Control::SetSelected(int row) {
  if (row >= rowCount_ || row < 0) row = -1;
  std::vector<int> rows;
  if (row >= 0) rows.push_back(row);
  if (selected_ == row && selectedRows_ == rows) return;
  selected_ = row;
  selectedRows_ = std::move(rows);
  Changed(kChangeSelection);
  if (onSelectionChange) onSelectionChange(selected_);
}

void Control::SetSelectedRows(std::vector<int> rows) {
  std::sort(rows.begin(), rows.end());
  rows.erase(std::unique(rows.begin(), rows.end()), rows.end());
  rows.erase(std::remove_if(rows.begin(), rows.end(), [this](int r) { return r < 0 || r >= rowCount_; }),
             rows.end());
  if (!multiSelect && rows.size() > 1) rows.resize(1);
  const int first = rows.empty() ? -1 : rows.front();
  if (selectedRows_ == rows && selected_ == first) return;
  selectedRows_ = std::move(rows);
  selected_ = first;
  Changed(kChangeSelection);
}

bool Control::IsRowSelected(int row) const {
  return std::binary_search(selectedRows_.begin(), selectedRows_.end(), row);
}

void Control::SetItemChecked(int index, bool on) {
  if (index < 0 || index >= static_cast<int>(itemChecked.size())) return;
  if (itemChecked[index] == on) return;
  itemChecked[index] = on;
  Changed(kChangeItems);
}

void Control::SetCheckItems(std::vector<std::string> items) {
  if (items == checkItems) return;
  checkItems = std::move(items);
  itemChecked.resize(checkItems.size(), false);
  Changed(kChangeItems);
}

void Control::SetMaximum(int maximum) {
  if (maximum < 0) maximum = 0;
  if (maximum_ == maximum) return;
  maximum_ = maximum;
  Changed(kChangeRange);
  if (position_ > maximum_) {
    position_ = maximum_;
    Changed(kChangePosition);
  }
}

void Control::TreeChanged() { Changed(kChangeTree); }

void Control::ColumnsChanged() { Changed(kChangeColumns); }

void Control::NodeCheckChanged(NodeKey node) { form_.NotifyNode(*this, node); }

void Control::ChecksChanged() { Changed(kChangeTreeChecks); }

void Control::ExpandTree() { Changed(kChangeExpand); }

void Control::UserChecksNode(NodeKey node, bool checked) {
  if (!enabled_) return;
  if (onNodeChecked) onNodeChecked(node, checked);
  // The view shows the source's answer, whatever the handler made of the click.
  Changed(kChangeTreeChecks);
}

void Control::SetPosition(int pos) {
  if (pos < 0) pos = 0;
  if (pos > maximum_) pos = maximum_;
  if (position_ == pos) return;
  position_ = pos;
  Changed(kChangePosition);
}

Form::Form(std::string title, int width, int height)
    : title_(std::move(title)), width_(width), height_(height) {}

Control& Form::Add(int id, Kind kind, std::string name, int sheet, Rect rect, std::string text) {
  if (Find(id) || FindByName(name)) throw std::logic_error("duplicate control: " + name);
  controls_.push_back(std::make_unique<Control>(*this, id, kind, std::move(name), sheet, rect));
  Control& c = *controls_.back();
  c.SetText(text);
  return c;
}

Control* Form::Find(int id) {
  for (auto& c : controls_)
    if (c->id == id) return c.get();
  return nullptr;
}

Control* Form::FindByName(const std::string& name) {
  for (auto& c : controls_)
    if (c->name == name) return c.get();
  return nullptr;
}

Control& Form::Get(int id) {
  Control* c = Find(id);
  if (!c) throw std::logic_error("no control with id " + std::to_string(id));
  return *c;
}

void Form::AddSheet(int sheet, std::string name, Color background) {
  sheets_.push_back({sheet, std::move(name), background});
  if (activeSheet_ == 0) activeSheet_ = sheet;
}

void Form::ShowSheet(int sheet) {
  activeSheet_ = sheet;
  if (observer_) observer_->SheetShown(sheet);
}

}  // namespace vl::ui
