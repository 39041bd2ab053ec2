// The pieces program's window, described as the notebook's forms are, and
// the handlers its units bind.
#pragma once

#include <cstddef>
#include <cstdint>
#include <iterator>

#include "app/forms/form_model.h"
#include "ui/unit_numbers.h"

namespace scenario::pieces {

namespace ids {
inline constexpr std::uint32_t kWindow = 0x52090001, kWindowUnit = 0x06090002;
inline constexpr std::uint32_t kEdit = 0x16090010, kChangeCount = 0x16090011, kSelectButton = 0x16090012,
                               kReplaceButton = 0x16090013, kEndButton = 0x16090014, kHeaderButton = 0x16090015,
                               kShowLabel = 0x16090016, kHideShowButton = 0x16090017;
inline constexpr std::uint32_t kColourButton = 0x16090030, kSystemColourButton = 0x16090031,
                               kPlainLabel = 0x16090032, kOwnColourLabel = 0x16090033;
inline constexpr std::uint32_t kDragLabel = 0x16090060, kDragButton = 0x16090061;
inline constexpr std::uint32_t kList = 0x16090020, kEventLabel = 0x16090021, kTickList = 0x16090022;
inline constexpr std::uint32_t kShortEdit = 0x16090050, kDefaultFontEdit = 0x16090051, kMultiLineEdit = 0x16090052,
                               kTallEdit = 0x16090053, kBigFontButton = 0x16090054, kSmallFontButton = 0x16090055,
                               kHeightLabel = 0x16090056;
inline constexpr std::uint32_t kSpinEdit = 0x16090040, kReversedSpinEdit = 0x16090041, kSpinEventEdit = 0x16090042,
                               kSpinLabel = 0x16090043, kSpinRangeButton = 0x16090044;
}  // namespace ids

// Indexes into the program's handler table.
enum Handler : std::int32_t {
  kOnEditChanged,
  kOnSelect,
  kOnReplace,
  kOnCaretToEnd,
  kOnWindowCreated,
  kOnRowActivated,
  kOnColumnClicked,
  kOnHotRow,
  kOnEditStarting,
  kOnEditEnded,
  kOnCheckChanged,
  kOnToggleHeader,
  kOnShown,
  kOnHidden,
  kOnHideAndShow,
  kOnBigFont,
  kOnSmallFont,
  kOnColourBackground,
  kOnSystemBackground,
  kOnSpinBoxFocused,
  kOnSpinPressed,
  kOnChangeSpinRanges,
  kOnMoved,
  kOnToggleDrag,
  kHandlerCount,
};

namespace forms = app::forms;

inline constexpr std::uint32_t kFocusable = forms::kVisible | forms::kTabStop;

inline constexpr forms::Column kColumns[] = {{.title = "名称", .width = 100}, {.title = "数量", .width = 60}};
inline constexpr forms::Column kTickColumns[] = {{.title = "名称", .width = 120}};

// 宋体, 9 points: the boxes' heights can be measured against it.
inline constexpr forms::Font kNinePoints{.face = "宋体", .height = -12};

// Below the lists the window is laid out in bands of its own for each piece
// it shows: y 240-270 the edit box's spin control, 280-310 the window's
// background colour, 320-350 dragging by the client area, 360-430 edit box
// heights. Nothing covers x 490-540, y 360-440: the background shows there.
inline constexpr forms::Unit kUnits[] = {
    // Its template selects 乙, bytes 2 and 3.
    {.id = ids::kEdit, .kind = forms::Kind::kEditBox, .name = "编辑框1", .rect = {10, 10, 200, 24},
     .flags = kFocusable, .events = {{ui::event::edit::kContentChanged, kOnEditChanged}},
     .props = forms::EditBoxProps{.selection_start = 2, .selection_length = 2, .content = "甲乙abc"}},
    // How many content-changed events the edit box raised.
    {.id = ids::kChangeCount, .kind = forms::Kind::kLabel, .name = "标签_次数", .rect = {220, 10, 60, 24},
     .props = forms::LabelProps{.caption = "0"}},
    {.id = ids::kSelectButton, .kind = forms::Kind::kButton, .name = "按钮_选中", .rect = {10, 44, 80, 24},
     .flags = kFocusable, .events = {{ui::event::button::kClicked, kOnSelect}}, .props = forms::ButtonProps{.caption = "选中"}},
    {.id = ids::kReplaceButton, .kind = forms::Kind::kButton, .name = "按钮_替换", .rect = {100, 44, 80, 24},
     .flags = kFocusable, .events = {{ui::event::button::kClicked, kOnReplace}}, .props = forms::ButtonProps{.caption = "替换"}},
    {.id = ids::kEndButton, .kind = forms::Kind::kButton, .name = "按钮_末尾", .rect = {190, 44, 80, 24},
     .flags = kFocusable, .events = {{ui::event::button::kClicked, kOnCaretToEnd}}, .props = forms::ButtonProps{.caption = "末尾"}},
    // Hides the first list's column titles, or shows them again.
    {.id = ids::kHeaderButton, .kind = forms::Kind::kButton, .name = "按钮_表头", .rect = {280, 44, 80, 24},
     .flags = kFocusable, .events = {{ui::event::button::kClicked, kOnToggleHeader}},
     .props = forms::ButtonProps{.caption = "表头"}},
    // Hides the window and shows it again (shown without being activated);
    // the label counts both.
    {.id = ids::kHideShowButton, .kind = forms::Kind::kButton, .name = "按钮_隐现", .rect = {370, 44, 80, 24},
     .flags = kFocusable, .events = {{ui::event::button::kClicked, kOnHideAndShow}},
     .props = forms::ButtonProps{.caption = "隐现"}},
    {.id = ids::kShowLabel, .kind = forms::Kind::kLabel, .name = "标签_窗口", .rect = {300, 10, 200, 24},
     .props = forms::LabelProps{.caption = ""}},
    // A report list of three rows (filled when the window is created), and
    // the label in which its handlers say what they saw.
    {.id = ids::kList, .kind = forms::Kind::kListView, .name = "超级列表框1", .rect = {10, 80, 300, 120},
     .flags = kFocusable, .events = {{ui::event::list::kRowActivated, kOnRowActivated},
                {ui::event::list::kColumnClicked, kOnColumnClicked}},
     .props = forms::ListViewProps{.columns = kColumns, .view = 3, .full_row_select = 1}},
    {.id = ids::kEventLabel, .kind = forms::Kind::kLabel, .name = "标签_事件", .rect = {10, 210, 300, 24},
     .props = forms::LabelProps{.caption = ""}},
    // A list with hot tracking, captions a person may edit, and check boxes
    // (filled with the same rows); its handlers also write to 标签_事件.
    {.id = ids::kTickList, .kind = forms::Kind::kListView, .name = "超级列表框2", .rect = {320, 80, 200, 120},
     .flags = kFocusable,
     .events = {{ui::event::list::kHotRowChanged, kOnHotRow},
                {ui::event::list::kLabelEditStarting, kOnEditStarting},
                {ui::event::list::kLabelEditEnded, kOnEditEnded},
                {ui::event::list::kCheckBoxChanged, kOnCheckChanged}},
     .props = forms::ListViewProps{.columns = kTickColumns, .view = 3, .full_row_select = 1, .hot_tracking = 1,
                                   .label_editing = 1, .check_boxes = 1}},
    // Edit boxes placed lower than a line of text (8 pixels) and one taller
    // than any font here needs; the buttons write a 24-point font to the
    // short single-line, the multi-line and the tall box, and 9 points back.
    {.id = ids::kShortEdit, .kind = forms::Kind::kEditBox, .name = "编辑框_矮", .rect = {10, 360, 100, 8},
     .flags = kFocusable, .props = forms::EditBoxProps{.font = kNinePoints, .content = "矮"}},
    {.id = ids::kDefaultFontEdit, .kind = forms::Kind::kEditBox, .name = "编辑框_默认", .rect = {120, 360, 100, 8},
     .flags = kFocusable, .props = forms::EditBoxProps{.content = "默认"}},
    {.id = ids::kMultiLineEdit, .kind = forms::Kind::kEditBox, .name = "编辑框_多行", .rect = {230, 360, 100, 8},
     .flags = kFocusable, .props = forms::EditBoxProps{.multi_line = 1, .font = kNinePoints, .content = "多行"}},
    {.id = ids::kTallEdit, .kind = forms::Kind::kEditBox, .name = "编辑框_高", .rect = {340, 360, 100, 70},
     .flags = kFocusable, .props = forms::EditBoxProps{.font = kNinePoints, .content = "高"}},
    {.id = ids::kBigFontButton, .kind = forms::Kind::kButton, .name = "按钮_大字", .rect = {10, 400, 80, 24},
     .flags = kFocusable, .events = {{ui::event::button::kClicked, kOnBigFont}}, .props = forms::ButtonProps{.caption = "大字"}},
    {.id = ids::kSmallFontButton, .kind = forms::Kind::kButton, .name = "按钮_小字", .rect = {100, 400, 80, 24},
     .flags = kFocusable, .events = {{ui::event::button::kClicked, kOnSmallFont}},
     .props = forms::ButtonProps{.caption = "小字"}},
    {.id = ids::kHeightLabel, .kind = forms::Kind::kLabel, .name = "标签_高度", .rect = {190, 400, 140, 24},
     .props = forms::LabelProps{.caption = ""}},
    // The window's background colour: one button paints it orange (RGB
    // FF8000), the other gives it back to the system. A label with the
    // system's background shows the window's colour around its text; one
    // with its own (RGB 00C000) keeps that.
    {.id = ids::kColourButton, .kind = forms::Kind::kButton, .name = "按钮_底色", .rect = {10, 280, 80, 24},
     .flags = kFocusable, .events = {{ui::event::button::kClicked, kOnColourBackground}},
     .props = forms::ButtonProps{.caption = "底色"}},
    {.id = ids::kSystemColourButton, .kind = forms::Kind::kButton, .name = "按钮_系统色", .rect = {100, 280, 80, 24},
     .flags = kFocusable, .events = {{ui::event::button::kClicked, kOnSystemBackground}},
     .props = forms::ButtonProps{.caption = "系统色"}},
    {.id = ids::kPlainLabel, .kind = forms::Kind::kLabel, .name = "标签_透底", .rect = {190, 280, 120, 30},
     .props = forms::LabelProps{.caption = "透底"}},
    {.id = ids::kOwnColourLabel, .kind = forms::Kind::kLabel, .name = "标签_自色", .rect = {320, 280, 120, 30},
     .props = forms::LabelProps{.caption = "自色", .background = 0x00C000}},
    // Edit boxes with spin controls (each drawn beside its box): integers
    // from 0 to 3; a range given the wrong way round (12 to 9); a control
    // that only raises the spin-pressed event. The label shows the first
    // box taking the focus and the events; the button widens the first
    // box's range to 0-20 and takes the third box's control away.
    {.id = ids::kSpinEdit, .kind = forms::Kind::kEditBox, .name = "编辑框_微调", .rect = {10, 240, 80, 24},
     .flags = kFocusable, .events = {{ui::event::common::kGotFocus, kOnSpinBoxFocused}},
     .props = forms::EditBoxProps{.spin_style = 1, .spin_min = 0, .spin_max = 3, .content = "02"}},
    {.id = ids::kReversedSpinEdit, .kind = forms::Kind::kEditBox, .name = "编辑框_倒序", .rect = {120, 240, 60, 24},
     .flags = kFocusable, .props = forms::EditBoxProps{.spin_style = 1, .spin_min = 12, .spin_max = 9, .content = "12"}},
    {.id = ids::kSpinEventEdit, .kind = forms::Kind::kEditBox, .name = "编辑框_事件", .rect = {210, 240, 60, 24},
     .flags = kFocusable, .events = {{ui::event::edit::kSpinPressed, kOnSpinPressed}},
     .props = forms::EditBoxProps{.spin_style = 2, .spin_min = 0, .spin_max = 10, .content = "abc"}},
    {.id = ids::kSpinLabel, .kind = forms::Kind::kLabel, .name = "标签_微调", .rect = {300, 240, 100, 24},
     .props = forms::LabelProps{.caption = ""}},
    {.id = ids::kSpinRangeButton, .kind = forms::Kind::kButton, .name = "按钮_换范围", .rect = {410, 240, 80, 24},
     .flags = kFocusable, .events = {{ui::event::button::kClicked, kOnChangeSpinRanges}},
     .props = forms::ButtonProps{.caption = "换范围"}},
    // The window drags by its client area: the label says how far it is
    // from where it opened, and a press on it drags the window too; the
    // button turns the dragging off and on.
    {.id = ids::kDragLabel, .kind = forms::Kind::kLabel, .name = "标签_拖动", .rect = {10, 320, 200, 24},
     .props = forms::LabelProps{.caption = ""}},
    {.id = ids::kDragButton, .kind = forms::Kind::kButton, .name = "按钮_拖动", .rect = {220, 320, 80, 24},
     .flags = kFocusable, .events = {{ui::event::button::kClicked, kOnToggleDrag}},
     .props = forms::ButtonProps{.caption = "拖动"}},
};

// The pieces come from several hands: no two units may share an id.
constexpr bool UnitIdsAreUnique() {
  for (std::size_t i = 0; i < std::size(kUnits); ++i)
    for (std::size_t j = i + 1; j < std::size(kUnits); ++j)
      if (kUnits[i].id == kUnits[j].id) return false;
  return true;
}
static_assert(UnitIdsAreUnique(), "two units of the pieces window share an id");

inline constexpr forms::Window kWindow{
    .id = ids::kWindow,
    .word1 = 0x00000001,
    .word2 = 0x1901000A,
    .self = {.id = ids::kWindowUnit, .kind = forms::Kind::kWindow, .rect = {50, 50, 540, 480},
             .events = {{ui::event::window::kCreated, kOnWindowCreated},
                        {ui::event::window::kMoved, kOnMoved},
                        {ui::event::window::kShown, kOnShown},
                        {ui::event::window::kHidden, kOnHidden}},
             .props = forms::WindowProps{.caption = "零件", .border_style = 2, .drag_by_client = 1}},
    .menu = {},
    .units = kUnits,
};

}  // namespace scenario::pieces
