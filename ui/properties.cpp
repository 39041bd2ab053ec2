// ReadProperty and WriteProperty: properties addressed by window id, unit id
// and index, converted by value kind.
#include <algorithm>
#include <cstring>

#include "runtime/errors.h"
#include "runtime/helpers.h"
#include "ui/font.h"
#include "ui/internal.h"
#include "ui/menu.h"
#include "ui/runtime_api.h"
#include "ui/unit_numbers.h"

namespace ui {

namespace C = prop::common;
namespace M = prop::menu;

ValueClass ClassOfKind(std::uint16_t k) {
  switch (k) {
    case kind::kInteger:
    case kind::kInteger2:
    case kind::kChoice:
    case kind::kColour:
    case kind::kColour2:
    case kind::kColour3: return ValueClass::kInteger;
    case kind::kDouble:
    case kind::kDateTime: return ValueClass::kEightBytes;
    case kind::kLogical: return ValueClass::kLogical;
    case kind::kPicture:
    case kind::kIcon:
    case kind::kSound:
    case kind::kImageList:
    case kind::kUnitData:
    case kind::kMousePointer: return ValueClass::kBinary;
    case kind::kFont: return ValueClass::kFont;
    default: return ValueClass::kText;
  }
}

namespace {

constexpr std::int32_t kCoordinateLimit = 32627;

struct Target {
  WindowTemplate* tmpl = nullptr;
  TemplateRecord* record = nullptr;
  WindowObject* window = nullptr;  // null when not loaded
  Unit* unit = nullptr;            // null when not created
};

Target Locate(UnitId window_id, UnitId unit_id) {
  Target target;
  WindowRegistry& registry = Registry();
  target.tmpl = registry.FindTemplate(window_id);
  if (target.tmpl == nullptr) rt::RuntimeError("未载入欲访问窗口组件所在的窗口", 0);
  if (target.tmpl->records.empty()) return target;
  target.record = unit_id == 0 ? &target.tmpl->records[0] : target.tmpl->Find(unit_id);
  target.window = registry.FindLoaded(window_id);
  if (target.window != nullptr && target.record != nullptr) {
    target.unit = target.window->FindUnit(target.record->id);
    if (target.unit != nullptr && target.unit->handle() == 0) target.unit = nullptr;
  }
  return target;
}

const PropertyInfo* InfoOf(const Unit& unit, int property) {
  const auto& list = unit.type().properties;
  if (property < 0 || static_cast<std::size_t>(property) >= list.size()) return nullptr;
  return &list[static_cast<std::size_t>(property)];
}

rt::Value TextValue(const std::string& text) {
  return rt::Value::Text(text.empty() ? nullptr : rt::CopyTextN(text.data(), static_cast<std::int64_t>(text.size())));
}

rt::Value BytesValue(const std::string& data) {
  return rt::Value::Pointer(rt::MakeBytes(data.data(), static_cast<std::int64_t>(data.size())), rt::type::kBytes);
}

std::string TextArgument(std::uint32_t lo, std::uint32_t hi) {
  rt::Value v{lo, hi, rt::type::kText};
  return v.text() == nullptr ? std::string() : std::string(v.text());
}

std::string BytesArgument(std::uint32_t lo, std::uint32_t hi) {
  rt::Value v{lo, hi, rt::type::kBytes};
  void* block = v.pointer();
  if (block == nullptr) return {};
  std::int32_t n = rt::BytesLength(block);
  return n <= 0 ? std::string() : std::string(reinterpret_cast<const char*>(rt::BytesData(block)), static_cast<std::size_t>(n));
}

rt::Value ReadMenuItem(const MenuItemRecord& item, int property) {
  switch (property) {
    case M::kCaption: return TextValue(item.caption);
    case M::kChecked: return rt::Value::Bool((item.flags & MenuItemRecord::kChecked) != 0);
    case M::kDisabled: return rt::Value::Bool((item.flags & MenuItemRecord::kDisabled) != 0);
    case M::kVisible: return rt::Value::Bool((item.flags & MenuItemRecord::kHidden) == 0);
    default: return rt::Value{};
  }
}

void WriteMenuItem(Target& target, int property, std::uint32_t lo, std::uint32_t hi) {
  MenuItemRecord& item = target.record->menu;
  bool changed = false;
  auto set_flag = [&](std::uint32_t bit, bool on) {
    std::uint32_t flags = on ? (item.flags | bit) : (item.flags & ~bit);
    changed = flags != item.flags;
    item.flags = flags;
  };
  switch (property) {
    case M::kCaption: {
      std::string caption = TextArgument(lo, hi);
      changed = caption != item.caption;
      item.caption = caption;
      break;
    }
    case M::kChecked: set_flag(MenuItemRecord::kChecked, lo != 0); break;
    case M::kDisabled: set_flag(MenuItemRecord::kDisabled, lo != 0); break;
    case M::kVisible: set_flag(MenuItemRecord::kHidden, lo == 0); break;
    default: return;
  }
  if (changed && target.window != nullptr) RebuildMenuBar(*target.window);
}

rt::Value ConvertRead(const PropertyInfo& info, const PropertyValue& value, std::int32_t sub_index) {
  switch (ClassOfKind(info.kind)) {
    case ValueClass::kInteger: return rt::Value::Int(static_cast<std::int32_t>(value.word));
    case ValueClass::kEightBytes:
      return rt::Value{value.word, value.high, info.kind == kind::kDateTime ? rt::type::kDateTime : rt::type::kDouble};
    case ValueClass::kLogical: return rt::Value::Bool(value.word == 1);
    case ValueClass::kBinary: return BytesValue(value.data);
    case ValueClass::kFont: return ReadFontPart(value.data, sub_index);
    case ValueClass::kText: return TextValue(value.data);
  }
  return rt::Value{};
}

PropertyValue ConvertWrite(const PropertyInfo& info, Unit& unit, int property, std::int32_t sub_index,
                           std::uint32_t lo, std::uint32_t hi) {
  PropertyValue value;
  switch (ClassOfKind(info.kind)) {
    case ValueClass::kInteger:
      value.word = lo;
      if (info.kind == kind::kChoice && static_cast<std::int32_t>(lo) < 0) value.word = 0;
      break;
    case ValueClass::kEightBytes:
      value.word = lo;
      value.high = hi;
      break;
    case ValueClass::kLogical: value.word = lo != 0 ? 1 : 0; break;
    case ValueClass::kBinary: value.data = BytesArgument(lo, hi); break;
    case ValueClass::kFont: value.data = WriteFontPart(unit.GetProperty(property).data, sub_index, lo, hi); break;
    case ValueClass::kText: value.data = TextArgument(lo, hi); break;
  }
  return value;
}

}  // namespace

rt::Value ReadProperty(UnitId window_id, UnitId unit_id, std::int32_t property, std::int32_t sub_index) {
  Target target = Locate(window_id, unit_id);
  if (target.record == nullptr || property < 0) return rt::Value{};  // unknown unit: safe refusal
  if (target.record->is_menu_item) return ReadMenuItem(target.record->menu, property);
  UnitRecord& record = target.record->unit;
  if (property >= C::kFirstOwn) {
    if (target.unit == nullptr) rt::RuntimeError("指定窗口尚未载入", 0);
    const PropertyInfo* info = InfoOf(*target.unit, property);
    if (info == nullptr) return rt::Value{};
    return ConvertRead(*info, target.unit->GetProperty(property), sub_index);
  }
  platform::WindowSystem* system = target.unit != nullptr ? &System() : nullptr;
  platform::Rect rect = system != nullptr ? system->GetRect(target.unit->handle())
                                          : platform::Rect{record.left, record.top, record.width, record.height};
  switch (property) {
    case C::kLeft: return rt::Value::Int(rect.left);
    case C::kTop: return rt::Value::Int(rect.top);
    case C::kWidth: return rt::Value::Int(rect.width);
    case C::kHeight: return rt::Value::Int(rect.height);
    case C::kTag: return TextValue(record.tag);
    case C::kVisible:
      return rt::Value::Bool(system != nullptr ? system->IsVisible(target.unit->handle())
                                               : (record.flags & UnitRecord::kVisible) != 0);
    case C::kDisabled:
      return rt::Value::Bool(system != nullptr ? !system->IsEnabled(target.unit->handle())
                                               : (record.flags & UnitRecord::kDisabled) != 0);
    case C::kMousePointer:
      return BytesValue(std::string(record.mouse_pointer.begin(), record.mouse_pointer.end()));
    default: return rt::Value{};
  }
}

void WriteProperty(UnitId window_id, UnitId unit_id, std::int32_t property, std::int32_t sub_index, std::uint32_t lo,
                   std::uint32_t hi) {
  Target target = Locate(window_id, unit_id);
  if (target.record == nullptr || property < 0) return;  // unknown unit: safe refusal
  if (target.record->is_menu_item) {
    WriteMenuItem(target, property, lo, hi);
    return;
  }
  UnitRecord& record = target.record->unit;
  UnitId id = target.record->id;
  if (property >= C::kFirstOwn) {
    if (target.unit == nullptr) rt::RuntimeError("指定窗口尚未载入", 0);
    const PropertyInfo* info = InfoOf(*target.unit, property);
    if (info == nullptr) return;
    PropertyValue value = ConvertWrite(*info, *target.unit, property, sub_index, lo, hi);
    bool recreate = target.unit->SetProperty(property, value);
    // The unit may have gone while its handlers ran (a content-changed
    // handler closing the window): look it up again.
    if (recreate) {
      WindowObject* window = Registry().FindLoaded(window_id);
      if (window != nullptr && window->FindUnit(id) != nullptr && window->FindUnit(id)->handle() != 0)
        RecreateUnit(*window, id);
    }
    return;
  }
  auto value = static_cast<std::int32_t>(lo);
  platform::WindowSystem* system = target.unit != nullptr ? &System() : nullptr;
  platform::WindowHandle handle = target.unit != nullptr ? target.unit->handle() : 0;
  switch (property) {
    case C::kLeft:
    case C::kTop: {
      value = std::clamp(value, -kCoordinateLimit, kCoordinateLimit);
      (property == C::kLeft ? record.left : record.top) = value;
      if (system != nullptr) {
        platform::Rect rect = system->GetRect(handle);
        (property == C::kLeft ? rect.left : rect.top) = value;
        system->SetRect(handle, rect);
      }
      break;
    }
    case C::kWidth:
    case C::kHeight: {
      value = std::clamp(value, 0, kCoordinateLimit);
      (property == C::kWidth ? record.width : record.height) = value;
      if (system != nullptr) {
        platform::Rect rect = system->GetRect(handle);
        (property == C::kWidth ? rect.width : rect.height) = value;
        system->SetRect(handle, rect);
      }
      break;
    }
    case C::kTag: record.tag = TextArgument(lo, hi); break;
    case C::kVisible: {
      bool visible = lo != 0;
      record.flags = visible ? (record.flags | UnitRecord::kVisible) : (record.flags & ~UnitRecord::kVisible);
      if (system == nullptr) break;
      if (target.unit == target.window->window_unit) {
        if (visible)
          ShowWindow(*target.window);
        else
          system->Show(handle, false, false);
      } else {
        system->Show(handle, visible && !IsKeptHidden(*target.window, id), false);
      }
      break;
    }
    case C::kDisabled: {
      bool disabled = lo != 0;
      record.flags = disabled ? (record.flags | UnitRecord::kDisabled) : (record.flags & ~UnitRecord::kDisabled);
      if (system != nullptr) system->Enable(handle, !disabled);
      break;
    }
    case C::kMousePointer: {
      std::string data = BytesArgument(lo, hi);
      record.mouse_pointer.assign(data.begin(), data.end());
      break;
    }
    default: break;
  }
}

void RecreateUnit(WindowObject& window, UnitId unit_id) {
  auto it = window.units.find(unit_id);
  if (it == window.units.end() || it->second.get() == window.window_unit) return;
  platform::WindowSystem& system = System();
  WindowRegistry& registry = Registry();
  Unit* old = it->second.get();
  TemplateRecord* record = window.tmpl->Find(unit_id);
  if (record == nullptr || record->is_menu_item) return;
  BlockEvents();
  std::vector<std::uint8_t> data = old->SavePropertyData();
  platform::WindowHandle old_handle = old->handle();
  CreateContext context;
  context.property_data = &data;
  context.disabled = !system.IsEnabled(old_handle);
  context.tab_stop = (record->unit.flags & UnitRecord::kTabStop) != 0;
  context.parent = system.GetParent(old_handle);
  context.control_id = 0;
  context.rect = system.GetRect(old_handle);
  context.window_id = window.window_id;
  context.unit_id = unit_id;
  bool visible = system.IsVisible(old_handle);
  bool focused = system.GetFocus() == old_handle;
  std::unique_ptr<Unit> fresh = old->type().create(old->type(), context);
  if (fresh == nullptr) {
    UnblockEvents();
    return;  // the old unit stays as it is
  }
  // Children of a container move over; the stacking position is kept.
  for (auto& [id, other] : window.units)
    if (other.get() != old && other->handle() != 0 && system.GetParent(other->handle()) == old_handle)
      system.SetParent(other->handle(), fresh->handle());
  system.PlaceAfter(fresh->handle(), old_handle);
  registry.by_handle.erase(old_handle);
  registry.by_handle[fresh->handle()] = fresh.get();
  system.Destroy(old_handle);
  std::unique_ptr<Unit> dead = std::move(it->second);
  it->second = std::move(fresh);
  BuryUnit(std::move(dead));
  it->second->LoadComplete();
  system.Show(it->second->handle(), visible, false);
  if (focused) system.SetFocus(it->second->handle());
  UnblockEvents();
}

void RebuildMenuBar(WindowObject& window) {
  platform::WindowSystem& system = System();
  BuiltMenu menu = BuildMenuBar(*window.tmpl);
  platform::MenuHandle old = window.menu_bar;
  window.menu_bar = menu.entries.empty() ? 0 : system.CreateMenuBar(menu.entries);
  window.accelerators = menu.accelerators;
  if (window.handle() != 0) system.SetMenuBar(window.handle(), window.menu_bar);
  if (old != 0) system.DestroyMenu(old);
}

}  // namespace ui
