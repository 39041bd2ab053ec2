// Shared behaviour of the units that sit on a window: creation of their
// system window, the focus events and initial focus.
#pragma once

#include "ui/runtime_api.h"
#include "ui/unit.h"
#include "ui/unit_numbers.h"

namespace ui {

class ControlUnit : public Unit {
 public:
  ControlUnit(const UnitTypeInfo& type, const CreateContext& context)
      : Unit(type, context.window_id, context.unit_id), tab_stop_(context.tab_stop) {}

  void TakeInitialFocus() override {
    platform::WindowSystem& system = System();
    if (tab_stop_ && handle_ != 0 && system.IsVisible(handle_) && system.IsEnabled(handle_)) system.SetFocus(handle_);
  }

 protected:
  // Creates the system window; false on failure.
  bool CreateWindow(platform::ControlKind kind, const char* class_name, const std::string& text,
                    const CreateContext& context, const platform::ControlLook& look = {}) {
    platform::CreateParams params;
    params.kind = kind;
    params.class_name = class_name;
    params.text = text;
    params.parent = context.parent;
    params.control_id = context.control_id;
    params.rect = context.rect;
    params.disabled = context.disabled;
    params.tab_stop = context.tab_stop;
    params.look = look;
    handle_ = System().Create(params);
    return handle_ != 0;
  }
  // The events common to every unit; true when the notice was one of them.
  bool CommonNotice(const platform::Message& message) {
    if (message.notice == platform::Notice::kGotFocus) {
      RaiseSimple(window_id_, unit_id_, event::common::kGotFocus);
      return true;
    }
    if (message.notice == platform::Notice::kLostFocus) {
      RaiseSimple(window_id_, unit_id_, event::common::kLostFocus);
      return true;
    }
    return false;
  }

  bool tab_stop_;
};

// Helpers for property data.
inline std::int32_t ClampChoice(std::uint32_t word, std::int32_t low, std::int32_t high) {
  auto v = static_cast<std::int32_t>(word);
  return v < low ? low : (v > high ? high : v);
}

}  // namespace ui
