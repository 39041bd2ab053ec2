// The main window: the record list, the six buttons beside it, and the hidden
// "账号操作" menu whose items open as the list's popup menu.
#pragma once

#include "app/forms/form_model.h"
#include "app/forms/shared_settings.h"
#include "app/forms/unit_ids.h"
#include "app/handlers.h"

namespace app::forms {

// The title. Its "user" is replaced by the display name from user.ini at
// start-up; the rest is the distributor credit and a contact number.
inline constexpr const char* kMainWindowCaption = "Quillkeep user 云帆经销 电话5550123";

inline constexpr MenuItem kMainMenu[] = {
    {.id = ids::kAccountMenu, .caption = "账号操作", .level = 0, .flags = kMenuHidden},
    {.id = ids::kMenuCopyRecord, .caption = "复制所选", .level = 1, .handler = kOnCopyRecord},
    {.id = ids::kMenuCopyAccount, .caption = "复制账号", .level = 1, .handler = kOnCopyAccount},
    {.id = ids::kMenuCopyPassword, .caption = "复制密码", .level = 1, .handler = kOnCopyPassword},
    {.id = ids::kMenuOpenAddress, .caption = "打开网址", .level = 1, .handler = kOnOpenAddress},
};

inline constexpr Column kRecordListColumns[] = {
    {.title = "id", .width = 30, .alignment = kLeft},
    {.title = "网站名称", .width = 80, .alignment = kLeft},
    {.title = "网站地址", .width = 80, .alignment = kLeft},
    {.title = "帐号", .width = 80, .alignment = kCentre},
    {.title = "密码", .width = 80, .alignment = kCentre},
    {.title = "备注", .width = 50, .alignment = kCentre},
    {.title = "加入时间", .width = 80, .alignment = kLeft},
};

inline constexpr Unit kMainUnits[] = {
    {.id = ids::kExitButton, .kind = Kind::kButton, .name = "按钮_退出",
     .rect = {504, 216, 64, 24}, .flags = kFocusable,
     .events = {{ui::event::button::kClicked, kOnExitButton}},
     .props = ButtonProps{.caption = "退出", .font = kYaHei}},
    {.id = ids::kChangePasswordButton, .kind = Kind::kButton, .name = "按钮_数据库改密",
     .rect = {501, 180, 72, 24}, .flags = kFocusable,
     .events = {{ui::event::button::kClicked, kOnChangePassword}},
     .props = ButtonProps{.caption = "数据库改密", .font = kYaHei}},
    {.id = ids::kModifyRecordButton, .kind = Kind::kButton, .name = "按钮_修改记录",
     .rect = {504, 84, 64, 24}, .flags = kFocusable,
     .events = {{ui::event::button::kClicked, kOnModifyRecord}},
     .props = ButtonProps{.caption = "修改记录", .font = kYaHei}},
    {.id = ids::kDeleteRecordButton, .kind = Kind::kButton, .name = "按钮_删除记录",
     .rect = {504, 124, 64, 24}, .flags = kFocusable,
     .events = {{ui::event::button::kClicked, kOnDeleteRecord}},
     .props = ButtonProps{.caption = "删除记录", .font = kYaHei}},
    // The caption names what a click does: show the passwords in clear.
    {.id = ids::kTogglePasswordsButton, .kind = Kind::kButton, .name = "按钮_密码隐藏显示",
     .rect = {504, 8, 64, 24}, .flags = kFocusable,
     .events = {{ui::event::button::kClicked, kOnTogglePasswords}},
     .props = ButtonProps{.caption = "正显密码", .font = kYaHei}},
    {.id = ids::kAddRecordButton, .kind = Kind::kButton, .name = "按钮_添加记录",
     .rect = {504, 46, 64, 24}, .flags = kFocusable,
     .events = {{ui::event::button::kClicked, kOnAddRecord}},
     .props = ButtonProps{.caption = "添加记录", .font = kYaHei}},
    // The tag carries the record window's mode: "0" adds, a number modifies.
    {.id = ids::kRecordList, .kind = Kind::kListView, .name = "超级列表框1",
     .rect = {2, 3, 486, 240}, .flags = kFocusable, .tag = "0",
     .events = {{ui::event::list::kRightClicked, kOnListPopup}},
     .props = ListViewProps{.columns = kRecordListColumns,
                            .font = kYaHei,
                            .view = 3,
                            .full_row_select = 1,
                            .grid_lines = 1}},
};

inline constexpr Window kMainWindow{
    .id = ids::kMainWindow,
    .word1 = 0x02680A60,
    .word2 = 0x19010004,
    .self = {.id = ids::kMainWindowUnit, .kind = Kind::kWindow,
             .rect = {50, 50, 592, 295},  // height becomes 275 at start-up
             .events = {{ui::event::window::kCreated, kOnMainWindowCreated},
                        {ui::event::window::kDestroying, kOnMainWindowDestroying}},
             .props = WindowProps{.caption = kMainWindowCaption, .border_style = 2}},
    .menu = kMainMenu,
    .units = kMainUnits,
};

}  // namespace app::forms
