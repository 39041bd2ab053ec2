// Unit objects and unit types: what every kind of unit (window, edit box,
// label, button, list view) supplies to the window runtime.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "platform/window_system.h"
#include "ui/template.h"

namespace ui {

// Value kinds of properties.
namespace kind {
inline constexpr std::uint16_t kInteger = 1000;
inline constexpr std::uint16_t kInteger2 = 1001;
inline constexpr std::uint16_t kDouble = 1002;
inline constexpr std::uint16_t kLogical = 1003;
inline constexpr std::uint16_t kDateTime = 1004;
inline constexpr std::uint16_t kText = 1005;
inline constexpr std::uint16_t kChoice = 1006;
inline constexpr std::uint16_t kPicture = 1009;
inline constexpr std::uint16_t kIcon = 1010;
inline constexpr std::uint16_t kMousePointer = 1011;
inline constexpr std::uint16_t kSound = 1012;
inline constexpr std::uint16_t kFont = 1013;
inline constexpr std::uint16_t kColour = 1014;
inline constexpr std::uint16_t kColour2 = 1015;
inline constexpr std::uint16_t kColour3 = 1017;
inline constexpr std::uint16_t kImageList = 1023;
inline constexpr std::uint16_t kUnitData = 1024;
inline constexpr std::uint16_t kFileName = 1025;
}  // namespace kind

enum class ValueClass { kInteger, kEightBytes, kLogical, kText, kBinary, kFont };
ValueClass ClassOfKind(std::uint16_t kind);

struct PropertyInfo {
  std::uint16_t kind;
  std::uint16_t state;
};

// A property value between the runtime and a unit: integers and logicals in
// `word`, 8-byte values in `word` and `high`, texts and data in `data`.
struct PropertyValue {
  std::uint32_t word = 0;
  std::uint32_t high = 0;
  std::string data;
};

class Unit;
struct UnitTypeInfo;

// Everything CreateUnit gets from the loader.
struct CreateContext {
  const std::vector<std::uint8_t>* property_data = nullptr;
  bool disabled = false;
  bool tab_stop = false;
  platform::WindowHandle parent = 0;  // controls: the window; frames: the owner
  int control_id = 0;
  platform::MenuHandle menu = 0;
  platform::Rect rect;
  UnitId window_id = 0;
  UnitId unit_id = 0;
  bool owner_is_hidden_owner = false;
};

class Unit {
 public:
  Unit(const UnitTypeInfo& type, UnitId window_id, UnitId unit_id) : type_(type), window_id_(window_id), unit_id_(unit_id) {}
  virtual ~Unit() = default;
  Unit(const Unit&) = delete;
  Unit& operator=(const Unit&) = delete;

  const UnitTypeInfo& type() const { return type_; }
  UnitId window_id() const { return window_id_; }
  UnitId unit_id() const { return unit_id_; }
  platform::WindowHandle handle() const { return handle_; }
  void set_handle(platform::WindowHandle handle) { handle_ = handle; }

  // Unit-specific properties, index counted from 8.
  virtual PropertyValue GetProperty(int index) = 0;
  // Stores the value; returns true when the unit must be re-created.
  virtual bool SetProperty(int index, const PropertyValue& value) = 0;
  // The current property data in the type's format, for re-creation.
  virtual std::vector<std::uint8_t> SavePropertyData() = 0;
  virtual void LoadComplete() {}
  virtual void TakeInitialFocus() {}
  virtual void OnNotice(const platform::Message&) {}
  virtual bool IsDefaultButton() const { return false; }

 protected:
  const UnitTypeInfo& type_;
  UnitId window_id_;
  UnitId unit_id_;
  platform::WindowHandle handle_ = 0;
};

// The type-specific entries (CreateUnit, PropertyChanged, SavePropertyData
// and GetPropertyData live on the unit object itself).
using CreateUnitFunction = std::unique_ptr<Unit> (*)(const UnitTypeInfo& type, const CreateContext& context);

struct UnitTypeInfo {
  const char* name;          // GBK
  const char* english_name;
  std::uint32_t state;       // kHasWindow, kMenuType, kNeverShown
  std::vector<PropertyInfo> properties;  // index order, 0..7 common included
  CreateUnitFunction create = nullptr;   // null for the menu type

  static constexpr std::uint32_t kHasWindow = 0x40;
  static constexpr std::uint32_t kMenuType = 0x04;
  static constexpr std::uint32_t kNeverShown = 0x8000;
};

// The type table of the libraries this program links: library number
// (1-based) and 1-based type index, as in a TypeCode.
const UnitTypeInfo* FindUnitType(std::uint32_t type_code);

namespace type_code {
inline constexpr std::uint32_t kWindow = 0x00010001;
inline constexpr std::uint32_t kMenu = 0x00010003;
inline constexpr std::uint32_t kEditBox = 0x00010005;
inline constexpr std::uint32_t kLabel = 0x0001000A;
inline constexpr std::uint32_t kButton = 0x0001000B;
inline constexpr std::uint32_t kListView = 0x00020004;
}  // namespace type_code

}  // namespace ui
