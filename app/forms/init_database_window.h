// The "初始化数据库" window, shown on a first run to take the new database
// password. Its edit box keeps every default, so the password stays visible
// while it is typed.
#pragma once

#include "app/forms/form_model.h"
#include "app/forms/shared_settings.h"
#include "app/forms/unit_ids.h"
#include "app/handlers.h"

namespace app::forms {

inline constexpr Unit kInitUnits[] = {
    {.id = ids::kInitPasswordLabel, .kind = Kind::kLabel, .name = "标签1",
     .rect = {19, 16, 29, 24},
     .props = LabelProps{.caption = "密码：", .h_align = kLeft}},
    {.id = ids::kInitOkButton, .kind = Kind::kButton, .name = "按钮_确定",
     .rect = {275, 16, 53, 24}, .flags = kFocusable,
     .events = {{ui::event::button::kClicked, kOnCreateDatabase}},
     .props = ButtonProps{.caption = "确定"}},
    {.id = ids::kInitPasswordBox, .kind = Kind::kEditBox, .name = "编辑框_数据库密码",
     .rect = {67, 16, 192, 24}, .flags = kFocusable,
     .props = DefaultProps{}},
};

inline constexpr Window kInitDatabaseWindow{
    .id = ids::kInitWindow,
    .word1 = 0x00000001,
    .word2 = 0x1901000A,
    .self = {.id = ids::kInitWindowUnit, .kind = Kind::kWindow,
             .rect = {50, 50, 342, 86},
             .props = WindowProps{.caption = "初始化数据库", .border_style = 2}},
    .menu = {},
    .units = kInitUnits,
};

}  // namespace app::forms
