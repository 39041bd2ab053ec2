// The window unit: record 0 of every template, owner of the frame.
#pragma once

#include "ui/unit.h"

namespace ui {

class WindowUnit : public Unit {
 public:
  WindowUnit(const UnitTypeInfo& type, UnitId window_id, UnitId unit_id) : Unit(type, window_id, unit_id) {}

  // Reads property data; false for an unknown version or unreadable data.
  bool Parse(const std::vector<std::uint8_t>& data);
  platform::FrameStyle Frame() const;
  // What the desktop paints the client area with: the background colour.
  platform::ControlLook Look() const;

  PropertyValue GetProperty(int index) override;
  bool SetProperty(int index, const PropertyValue& value) override;
  std::vector<std::uint8_t> SavePropertyData() override;
  void OnNotice(const platform::Message& message) override;

  bool enter_moves_focus() const { return enter_moves_focus_ != 0; }
  bool esc_closes() const { return esc_closes_ != 0; }
  bool f1_help() const { return f1_help_ != 0; }
  bool shown_in_taskbar() const { return taskbar_ != 0; }
  const std::string& caption() const { return caption_; }

  static std::unique_ptr<Unit> Create(const UnitTypeInfo& type, const CreateContext& context);

 private:
  std::int32_t border_ = 2, picture_mode_ = 1;
  std::uint32_t background_ = 0xFF000000;
  std::int32_t max_box_ = 0, min_box_ = 1, control_box_ = 1, position_ = 1, movable_ = 1, sound_repeat_ = 0;
  std::int32_t enter_moves_focus_ = 0, esc_closes_ = 1, f1_help_ = 0, help_context_ = 0, taskbar_ = 1;
  std::int32_t drag_ = 0, shape_ = 0, topmost_ = 0, property30_ = 0;
  std::string class_name_, picture_, icon_, sound_, caption_, help_file_;
};

}  // namespace ui
