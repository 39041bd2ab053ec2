// The unit type table of the libraries this program links: the core
// library (window, menu, edit box, label, button) and the list-view library.
#include "ui/unit.h"
#include "ui/units/unit_factories.h"

namespace ui {
namespace {

using namespace kind;

std::vector<PropertyInfo> WithCommon(std::uint16_t common_state, std::uint16_t own_state,
                                     std::initializer_list<std::uint16_t> own) {
  std::vector<PropertyInfo> list = {
      {kInteger, common_state}, {kInteger, common_state}, {kInteger, common_state}, {kInteger, common_state},
      {kText, common_state},    {kLogical, common_state}, {kLogical, common_state}, {kMousePointer, common_state},
  };
  for (std::uint16_t k : own) list.push_back({k, own_state});
  return list;
}

const UnitTypeInfo kWindowType{
    "窗口", "window", 0x800000D0,
    WithCommon(0xE000, 0x8000,
               {kText, kChoice, kColour, kPicture, kChoice, kSound, kChoice, kLogical, kLogical, kLogical, kChoice,
                kLogical, kIcon, kLogical, kLogical, kLogical, kFileName, kInteger, kLogical, kLogical, kChoice,
                kLogical, kLogical, kText}),
    CreateWindowUnit};

const UnitTypeInfo kMenuType{
    "菜单", "menu", 0x80000004,
    {{kText, 0x8000}, {kLogical, 0x8000}, {kLogical, 0x8000}, {kLogical, 0x8000}},
    nullptr};

const UnitTypeInfo kEditBoxType{
    "编辑框", "EditBox", 0x80000040,
    WithCommon(0xE000, 0x8000,
               {kText, kChoice, kColour, kColour, kFont, kLogical, kInteger, kLogical, kChoice, kChoice, kChoice, kText,
                kChoice, kChoice, kInteger, kInteger, kInteger, kInteger, kText, kText, kText}),
    CreateEditBox};

const UnitTypeInfo kLabelType{
    "标签", "Label", 0x84012040,
    WithCommon(0xE000, 0x8000,
               {kText, kChoice, kChoice, kInteger, kColour, kColour, kColour, kFont, kColour, kColour, kPicture,
                kChoice, kChoice, kColour, kColour, kColour, kChoice, kLogical, kChoice, kText, kText}),
    CreateLabel};

const UnitTypeInfo kButtonType{
    "按钮", "Button", 0x80000840,
    WithCommon(0xE000, 0x8000, {kPicture, kChoice, kText, kChoice, kChoice, kFont}),
    CreateButton};

const UnitTypeInfo kListViewType{
    "超级列表框", "ListView", 0x00000040,
    WithCommon(0x0000, 0x0001,
               {kChoice, kColour, kColour, kColour, kFont, kChoice, kChoice, kLogical, kLogical, kUnitData, kLogical,
                kImageList, kLogical, kLogical, kLogical, kLogical, kImageList, kImageList, kLogical, kLogical,
                kLogical, kLogical, kLogical, kChoice, kLogical, kLogical, kLogical, kInteger, kLogical, kUnitData,
                kText}),
    CreateListView};

}  // namespace

const UnitTypeInfo* FindUnitType(std::uint32_t code) {
  switch (code) {
    case type_code::kWindow: return &kWindowType;
    case type_code::kMenu: return &kMenuType;
    case type_code::kEditBox: return &kEditBoxType;
    case type_code::kLabel: return &kLabelType;
    case type_code::kButton: return &kButtonType;
    case type_code::kListView: return &kListViewType;
    default: return nullptr;
  }
}

}  // namespace ui
