// The "添加/修改记录" window: five edit boxes for one record and the save
// button. The creation handler sets both captions by mode; the save button
// keeps its type's default caption "按钮" in the template.
#pragma once

#include "app/forms/form_model.h"
#include "app/forms/shared_settings.h"
#include "app/forms/unit_ids.h"
#include "app/handlers.h"

namespace app::forms {

// A field's edit box: one line, at most 512 bytes, input shown as typed.
inline constexpr EditBoxProps kFieldBox{.max_length = 512};
inline constexpr EditBoxProps kRemarksBox{.max_length = 512, .multi_line = 1, .scroll_bars = 2};

inline constexpr Unit kRecordUnits[] = {
    {.id = ids::kSaveButton, .kind = Kind::kButton, .name = "按钮_增加或删除",
     .rect = {67, 206, 77, 26}, .flags = kFocusable,
     .events = {{ui::event::button::kClicked, kOnSaveRecord}},
     .props = DefaultProps{}},
    {.id = ids::kRemarksLabel, .kind = Kind::kLabel, .name = "标签5",
     .rect = {8, 128, 200, 19},
     .props = LabelProps{.caption = "---------------备注---------------", .h_align = kCentre}},
    {.id = ids::kRemarksBox, .kind = Kind::kEditBox, .name = "编辑框_备注",
     .rect = {8, 147, 200, 48}, .flags = kFocusable, .props = kRemarksBox},
    {.id = ids::kPasswordLabel, .kind = Kind::kLabel, .name = "标签4",
     .rect = {16, 98, 60, 19},
     .props = LabelProps{.caption = "密码：", .h_align = kRight}},
    {.id = ids::kPasswordBox, .kind = Kind::kEditBox, .name = "编辑框_密码",
     .rect = {76, 98, 120, 21}, .flags = kFocusable, .props = kFieldBox},
    {.id = ids::kAccountLabel, .kind = Kind::kLabel, .name = "标签3",
     .rect = {16, 68, 60, 19},
     .props = LabelProps{.caption = "账号：", .h_align = kRight}},
    {.id = ids::kAccountBox, .kind = Kind::kEditBox, .name = "编辑框_帐号",
     .rect = {76, 68, 120, 21}, .flags = kFocusable, .props = kFieldBox},
    {.id = ids::kWebUrlLabel, .kind = Kind::kLabel, .name = "标签2",
     .rect = {16, 38, 60, 19},
     .props = LabelProps{.caption = "网站地址：", .h_align = kRight}},
    {.id = ids::kWebUrlBox, .kind = Kind::kEditBox, .name = "编辑框_网站地址",
     .rect = {76, 38, 120, 21}, .flags = kFocusable, .props = kFieldBox},
    {.id = ids::kWebNameLabel, .kind = Kind::kLabel, .name = "标签1",
     .rect = {16, 8, 60, 19},
     .props = LabelProps{.caption = "网站名称：", .h_align = kRight}},
    {.id = ids::kWebNameBox, .kind = Kind::kEditBox, .name = "编辑框_网站名称",
     .rect = {76, 8, 120, 21}, .flags = kFocusable, .props = kFieldBox},
};

inline constexpr Window kRecordWindow{
    .id = ids::kRecordWindow,
    .word1 = 0x024ABEFC,
    .word2 = 0x19010069,
    .self = {.id = ids::kRecordWindowUnit, .kind = Kind::kWindow,
             .rect = {50, 50, 219, 269},
             .events = {{ui::event::window::kCreated, kOnRecordWindowCreated}},
             .props = WindowProps{.caption = "添加/修改记录", .border_style = 4}},
    .menu = {},
    .units = kRecordUnits,
};

}  // namespace app::forms
