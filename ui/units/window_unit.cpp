#include "ui/units/window_unit.h"

#include "ui/byte_reader.h"
#include "ui/internal.h"
#include "ui/runtime_api.h"
#include "ui/units/control_unit.h"
#include "ui/units/unit_factories.h"
#include "ui/unit_numbers.h"

namespace ui {

namespace P = prop::window;

bool WindowUnit::Parse(const std::vector<std::uint8_t>& data) {
  if (data.empty()) return true;
  ByteReader in(data.data(), data.size());
  std::uint32_t version = in.U32();
  if (version > 6) return false;
  border_ = in.I32();
  picture_mode_ = in.I32();
  background_ = in.U32();
  max_box_ = in.I32();
  min_box_ = in.I32();
  control_box_ = in.I32();
  position_ = in.I32();
  movable_ = in.I32();
  sound_repeat_ = in.I32();
  enter_moves_focus_ = in.I32();
  esc_closes_ = in.I32();
  f1_help_ = in.I32();
  help_context_ = in.I32();
  if (version >= 2) taskbar_ = in.I32();
  if (version >= 3) {
    drag_ = in.I32();
    shape_ = in.I32();
  }
  if (version >= 4) topmost_ = in.I32();
  if (version >= 5) property30_ = in.I32();
  if (version >= 6) class_name_ = in.CountedText();
  picture_ = in.CountedText();
  icon_ = in.CountedText();
  sound_ = in.CountedText();
  caption_ = in.CountedText();
  help_file_ = in.CountedText();
  return !in.failed();
}

std::vector<std::uint8_t> WindowUnit::SavePropertyData() {
  ByteWriter out;
  out.U32(6);
  for (std::int32_t v : {border_, picture_mode_}) out.I32(v);
  out.U32(background_);
  for (std::int32_t v : {max_box_, min_box_, control_box_, position_, movable_, sound_repeat_, enter_moves_focus_,
                         esc_closes_, f1_help_, help_context_, taskbar_, drag_, shape_, topmost_, property30_})
    out.I32(v);
  for (const std::string* text : {&class_name_, &picture_, &icon_, &sound_, &caption_, &help_file_})
    out.CountedText(*text);
  return out.Take();
}

platform::FrameStyle WindowUnit::Frame() const {
  platform::FrameStyle style;
  if (border_ == 0) {
    style.framed = false;
    style.title_bar = false;
    style.system_menu = false;
  } else {
    style.title_bar = !caption_.empty() || control_box_ != 0;
    style.system_menu = control_box_ != 0;
    style.sizing = border_ == 1 || border_ == 3 || border_ == 5;
    style.tool_window = border_ == 3 || border_ == 4;
    style.sunken_client = border_ == 5 || border_ == 6;
  }
  style.maximize_box = max_box_ != 0;
  style.minimize_box = min_box_ != 0;
  style.centered = position_ == 1;
  style.topmost = topmost_ != 0;
  style.movable = movable_ != 0;
  style.drag_by_client = drag_ != 0;
  if (position_ == 2) style.initial_state = platform::ShowState::kMinimized;
  if (position_ == 3 && style.sizing) style.initial_state = platform::ShowState::kMaximized;
  return style;
}

platform::ControlLook WindowUnit::Look() const {
  platform::ControlLook look;
  look.background = background_;
  return look;
}

std::unique_ptr<Unit> WindowUnit::Create(const UnitTypeInfo& type, const CreateContext& context) {
  auto unit = std::make_unique<WindowUnit>(type, context.window_id, context.unit_id);
  if (context.property_data != nullptr && !unit->Parse(*context.property_data)) return nullptr;
  platform::CreateParams params;
  params.kind = platform::ControlKind::kFrame;
  params.class_name = unit->class_name_.empty() ? "QXWindow" : unit->class_name_;
  params.text = unit->caption_;
  params.rect = context.rect;
  params.disabled = context.disabled;
  params.frame = unit->Frame();
  params.look = unit->Look();
  // An owner makes it a pop-up owned by that window; a window without owner
  // that is modal or kept out of the task bar is owned by the hidden owner.
  params.owner = context.parent;
  if (params.owner == 0 && (context.owner_is_hidden_owner || unit->taskbar_ == 0))
    params.owner = Registry().hidden_owner;
  platform::WindowSystem& system = System();
  platform::WindowHandle handle = system.Create(params);
  if (handle == 0) return nullptr;
  unit->set_handle(handle);
  if (context.menu != 0) system.SetMenuBar(handle, context.menu);
  return unit;
}

std::unique_ptr<Unit> CreateWindowUnit(const UnitTypeInfo& type, const CreateContext& context) {
  return WindowUnit::Create(type, context);
}

PropertyValue WindowUnit::GetProperty(int index) {
  PropertyValue v;
  auto word = [&](std::int32_t x) { v.word = static_cast<std::uint32_t>(x); };
  switch (index) {
    case P::kCaption: v.data = handle_ != 0 ? System().GetText(handle_) : caption_; break;
    case P::kBorderStyle: word(border_); break;
    case P::kBackground: v.word = background_; break;
    case P::kBackgroundPicture: v.data = picture_; break;
    case P::kPictureMode: word(picture_mode_); break;
    case P::kBackgroundSound: v.data = sound_; break;
    case P::kSoundRepeat: word(sound_repeat_); break;
    case P::kControlBox: word(control_box_); break;
    case P::kMaximiseBox: word(max_box_); break;
    case P::kMinimiseBox: word(min_box_); break;
    case P::kPosition: {
      platform::ShowState state = handle_ != 0 ? System().GetShowState(handle_) : platform::ShowState::kNormal;
      word(state == platform::ShowState::kMinimized ? 2 : state == platform::ShowState::kMaximized ? 3 : 0);
      break;
    }
    case P::kMovable: word(movable_); break;
    case P::kIcon: v.data = icon_; break;
    case P::kEnterMovesFocus: word(enter_moves_focus_); break;
    case P::kEscCloses: word(esc_closes_); break;
    case P::kF1Help: word(f1_help_); break;
    case P::kHelpFile: v.data = help_file_; break;
    case P::kHelpContext: word(help_context_); break;
    case P::kInTaskBar: word(taskbar_); break;
    case P::kDragByClientArea: word(drag_); break;
    case P::kShape: word(shape_); break;
    case P::kTopmost: word(handle_ != 0 && System().IsTopmost(handle_) ? 1 : topmost_); break;
    case P::kLogical30: word(property30_); break;
    case P::kClassName: v.data = class_name_; break;
    default: break;
  }
  return v;
}

bool WindowUnit::SetProperty(int index, const PropertyValue& v) {
  auto i = static_cast<std::int32_t>(v.word);
  platform::WindowSystem& system = System();
  switch (index) {
    case P::kCaption:
      caption_ = v.data;
      system.SetText(handle_, caption_);
      system.SetFrameStyle(handle_, Frame());
      break;
    case P::kBorderStyle:
      border_ = ClampChoice(v.word, 0, 6);
      system.SetFrameStyle(handle_, Frame());
      break;
    case P::kBackground:
      background_ = v.word;
      system.SetLook(handle_, Look());
      break;
    case P::kBackgroundPicture: picture_ = v.data; break;
    case P::kPictureMode: picture_mode_ = i; break;
    case P::kBackgroundSound: sound_ = v.data; break;
    case P::kSoundRepeat: sound_repeat_ = i; break;
    case P::kControlBox: control_box_ = i; system.SetFrameStyle(handle_, Frame()); break;
    case P::kMaximiseBox: max_box_ = i; system.SetFrameStyle(handle_, Frame()); break;
    case P::kMinimiseBox: min_box_ = i; system.SetFrameStyle(handle_, Frame()); break;
    case P::kPosition:
      // At run time: 0 normal, 2 minimised, 3 maximised.
      system.SetShowState(handle_, i == 2   ? platform::ShowState::kMinimized
                                   : i == 3 ? platform::ShowState::kMaximized
                                            : platform::ShowState::kNormal);
      break;
    case P::kMovable: movable_ = i; system.SetFrameStyle(handle_, Frame()); break;
    case P::kIcon: icon_ = v.data; break;
    case P::kEnterMovesFocus: enter_moves_focus_ = i; break;
    case P::kEscCloses: esc_closes_ = i; break;
    case P::kF1Help: f1_help_ = i; break;
    case P::kHelpFile: help_file_ = v.data; break;
    case P::kHelpContext: help_context_ = i; break;
    case P::kInTaskBar: taskbar_ = i; break;
    case P::kDragByClientArea: drag_ = i; system.SetFrameStyle(handle_, Frame()); break;
    case P::kShape: shape_ = i; break;
    case P::kTopmost: topmost_ = i; system.SetTopmost(handle_, i != 0); break;
    case P::kLogical30: property30_ = i; break;
    case P::kClassName: class_name_ = v.data; break;
    default: break;
  }
  return false;
}

void WindowUnit::OnNotice(const platform::Message& message) {
  WindowObject* window = Registry().FindLoaded(window_id_);
  if (window == nullptr || window->destroying) return;
  switch (message.notice) {
    case platform::Notice::kCloseRequest: CloseWindow(*window); break;
    case platform::Notice::kCommand: SelectMenuCommand(*window, static_cast<int>(message.a)); break;
    case platform::Notice::kMoved: RaiseSimple(window_id_, 0, event::window::kMoved); break;
    case platform::Notice::kResized: RaiseSimple(window_id_, 0, event::window::kResized); break;
    case platform::Notice::kActivated: {
      bool first = !window->activated_once;
      window->activated_once = true;
      RaiseSimple(window_id_, 0, event::window::kActivated);
      if (first && Registry().FindLoaded(window_id_) == window) RaiseSimple(window_id_, 0, event::window::kFirstActivated);
      break;
    }
    case platform::Notice::kDeactivated: RaiseSimple(window_id_, 0, event::window::kDeactivated); break;
    case platform::Notice::kShown: RaiseSimple(window_id_, 0, event::window::kShown); break;
    case platform::Notice::kHidden: RaiseSimple(window_id_, 0, event::window::kHidden); break;
    case platform::Notice::kGotFocus: RaiseSimple(window_id_, 0, event::common::kGotFocus); break;
    case platform::Notice::kLostFocus: RaiseSimple(window_id_, 0, event::common::kLostFocus); break;
    default: break;
  }
}

}  // namespace ui
