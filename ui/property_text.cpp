#include "ui/property_text.h"

#include <cstdio>

#include "platform/system.h"
#include "runtime/helpers.h"
#include "ui/runtime_api.h"
#include "ui/unit_numbers.h"

namespace ui {

std::optional<std::string> PropertyText(std::uint32_t window_id, std::uint32_t unit_id, int index) {
  WindowRegistry& registry = Registry();
  WindowTemplate* tmpl = registry.FindTemplate(window_id);
  if (tmpl == nullptr || tmpl->records.empty() || index < 0) return std::nullopt;
  TemplateRecord* record = unit_id == 0 ? &tmpl->records[0] : tmpl->Find(unit_id);
  if (record == nullptr) return std::nullopt;
  std::uint16_t value_kind = kind::kText;
  if (record->is_menu_item) {
    if (index > 3) return std::nullopt;
    value_kind = index == 0 ? kind::kText : kind::kLogical;
  } else {
    WindowObject* window = registry.FindLoaded(window_id);
    Unit* unit = window != nullptr ? window->FindUnit(record->id) : nullptr;
    if (index >= prop::common::kFirstOwn && (unit == nullptr || unit->handle() == 0)) return std::nullopt;
    const UnitTypeInfo* type = FindUnitType(record->unit.type_code);
    if (type == nullptr || static_cast<std::size_t>(index) >= type->properties.size()) return std::nullopt;
    value_kind = type->properties[static_cast<std::size_t>(index)].kind;
  }
  rt::Value value = ReadProperty(window_id, unit_id, index, -1);
  std::string text;
  switch (ClassOfKind(value_kind)) {
    case ValueClass::kInteger: text = std::to_string(value.as_int()); break;
    case ValueClass::kLogical: text = value.lo != 0 ? "true" : "false"; break;
    case ValueClass::kEightBytes: {
      char buffer[64];
      std::snprintf(buffer, sizeof buffer, "%.15g", value.as_double());
      text = buffer;
      break;
    }
    case ValueClass::kBinary:
    case ValueClass::kFont: {
      static const char kDigits[] = "0123456789abcdef";
      void* block = value.pointer();
      for (std::int32_t i = 0; i < rt::BytesLength(block); ++i) {
        text += kDigits[rt::BytesData(block)[i] >> 4];
        text += kDigits[rt::BytesData(block)[i] & 15];
      }
      break;
    }
    case ValueClass::kText: text = value.text() == nullptr ? "" : platform::GbkToUtf8(value.text()); break;
  }
  rt::FreeValue(value);
  return text;
}

}  // namespace ui
