// A hand-made pair of windows for the window runtime tests: a main window
// with a hidden popup menu, an edit box, a default button, a list view and a
// button opening a modal dialog; handlers log what they see.
#pragma once

#include <gtest/gtest.h>

#include <stdexcept>
#include <string>
#include <vector>

#include "platform/sim/desktop.h"
#include "tools/scenario/sim_person.h"
#include "ui/unit_lookup.h"
#include "platform/system.h"
#include "runtime/helpers.h"
#include "runtime/services.h"
#include "runtime/state.h"
#include "ui/byte_reader.h"
#include "ui/commands.h"
#include "ui/runtime_api.h"
#include "ui/template_reader.h"
#include "ui/units/list_view.h"

namespace ui::testing_forms {

inline constexpr UnitId kMain = 0x52010001, kMainUnit = 0x06010002, kDialog = 0x52010003, kDialogUnit = 0x06010004;
inline constexpr UnitId kMenuTop = 0x26010005, kEdit = 0x16010010, kOk = 0x16010011, kList = 0x16010012;
inline constexpr UnitId kDialogButton = 0x16010020;

inline std::vector<std::string> g_log;
inline bool g_destroy_in_created = false;
inline bool g_throw_in_created = false;
inline bool g_refuse_close = false;

inline void OnMainCreated() {
  g_log.push_back("created");
  if (g_throw_in_created) throw std::runtime_error("the created handler gave up");
  if (g_destroy_in_created) DestroyUnit(kMain, 0, true);
}
inline void OnMainMoved() { g_log.push_back("moved"); }
inline void OnMainResized() { g_log.push_back("resized"); }
inline void OnMainDestroying() { g_log.push_back("destroying"); }
inline void OnOkClicked() { g_log.push_back("ok"); }
inline void OnEditChanged() { g_log.push_back("changed"); }
inline void OnListRightClicked() {
  g_log.push_back("rclick");
  rt::Value args[2] = {rt::Value{kMain, kMainUnit, rt::type::kWindow}, rt::Value{kMain, kMenuTop, rt::type::kMenu}};
  rt::Value result;
  PopupMenuCommand(&result, 2, args);
}
inline void OnMenu1() { g_log.push_back("menu1"); }
inline void OnMenu3() { g_log.push_back("menu3"); }
inline void OnDialogButton() { DestroyUnit(kDialog, 0, false); }
inline void OnOpenDialog() {
  rt::Value args[3] = {rt::Value{kDialog, kDialogUnit, rt::type::kWindow}, rt::Value{}, rt::Value::Bool(true)};
  rt::Value result;
  LoadWindowCommand(&result, 3, args);
  g_log.push_back(result.lo ? "dialog closed" : "dialog failed");
}

inline void OnCloseQuery() {
  g_log.push_back("query");
  if (g_refuse_close) SetEventResult(0);
}

inline const rt::Handler kHandlers[] = {OnMainCreated, OnMainMoved,  OnMainResized,  OnMainDestroying, OnOkClicked,
                                 OnEditChanged, OnListRightClicked, OnMenu1, OnMenu3, OnDialogButton, OnOpenDialog, OnCloseQuery};

inline TemplateRecord Unit(UnitId id, std::uint32_t type, const std::string& name, std::uint32_t flags,
                    std::vector<EventBinding> events, std::vector<std::uint8_t> data, platform::Rect rect) {
  TemplateRecord record;
  record.id = id;
  record.unit.type_code = type;
  record.unit.name = name;
  record.unit.flags = flags;
  record.unit.events = std::move(events);
  record.unit.property_data = std::move(data);
  record.unit.left = rect.left;
  record.unit.top = rect.top;
  record.unit.width = rect.width;
  record.unit.height = rect.height;
  return record;
}

inline TemplateRecord Menu(UnitId id, const std::string& caption, std::uint32_t level, std::uint32_t flags, std::int32_t handler) {
  TemplateRecord record;
  record.id = id;
  record.is_menu_item = true;
  record.menu.type_code = 0x00010003;
  record.menu.caption = caption;
  record.menu.level = level;
  record.menu.flags = flags;
  record.menu.handler_offset = handler;
  return record;
}

inline std::vector<std::uint8_t> WindowData(const std::string& caption, int position = 0,
                                            std::uint32_t background = 0xFF000000) {
  ByteWriter w;
  w.U32(6);
  for (std::int32_t v : {2, 1}) w.I32(v);
  w.U32(background);
  for (std::int32_t v : {0, 1, 1, position, 1, 0, 0, 1, 0, 0, 1, 0, 0, 0, 0}) w.I32(v);
  for (const char* text : {"", "", "", ""}) w.CountedText(text);
  w.CountedText(caption);
  w.CountedText("");
  return w.Take();
}

inline std::vector<std::uint8_t> ButtonData(std::int32_t type, const std::string& caption) {
  ByteWriter w;
  w.U32(1);
  w.I32(type);
  w.I32(1);
  w.I32(1);
  w.CountedText("");
  w.CountedText("");
  w.CountedText(caption);
  return w.Take();
}

inline std::vector<std::uint8_t> ListData() {
  ByteWriter columns;
  for (const char* title : {"序号", "网站名称"}) {
    columns.U8(0);
    columns.I32(-1);
    columns.I32(0);
    columns.I32(80);
    columns.ZeroText(title);
  }
  ByteWriter w;
  w.U32(1);
  w.I32(1);
  w.U32(0);
  w.U32(0xFFFFFF);
  w.U32(0xFFFFFF);
  for (std::int32_t v : {3, 0, 1, 1, 0, 1, 1, 1, 0, 0, 1, 1, 1, 0, 0, 0, 0, 1, -1, 0}) w.I32(v);
  w.CountedText("");
  w.CountedText("");
  w.CountedText("");
  w.CountedBlock(columns.bytes());
  w.CountedText("");
  w.CountedText("");
  return w.Take();
}

inline std::vector<std::uint8_t> SampleTemplates() {
  TemplateBlock block;
  WindowTemplate main;
  main.id = kMain;
  main.records.push_back(Unit(kMainUnit, 0x00010001, "", 1, {{0, 0}, {3, 1}, {4, 2}, {2, 3}, {1, 11}}, WindowData("主窗口"),
                              {10, 10, 400, 300}));
  main.records.push_back(Menu(kMenuTop, "账号操作", 0, MenuItemRecord::kHidden, -1));
  main.records.push_back(Menu(0x26010006, "复制账号", 1, 0, 7));
  main.records.push_back(Menu(0x26010007, "-", 1, 0, -1));
  main.records.push_back(Menu(0x26010008, "打开网址", 1, 0, 8));
  main.records.push_back(Menu(0x26010009, "隐藏项", 1, MenuItemRecord::kHidden, -1));
  main.records.push_back(Unit(kEdit, 0x00010005, "编辑框_帐号", 5, {{0, 5}}, {}, {5, 5, 100, 10}));
  main.records.push_back(Unit(kOk, 0x0001000B, "按钮_确定", 5, {{0, 4}}, ButtonData(1, "确定"), {5, 40, 60, 24}));
  main.records.push_back(Unit(kList, 0x00020004, "超级列表框1", 5, {{5, 6}}, ListData(), {5, 70, 300, 200}));
  main.records.push_back(Unit(0x16010013, 0x0001000B, "按钮_对话框", 5, {{0, 10}}, ButtonData(0, "对话框"),
                              {80, 40, 60, 24}));
  block.windows.push_back(main);
  WindowTemplate dialog;
  dialog.id = kDialog;
  dialog.records.push_back(Unit(kDialogUnit, 0x00010001, "", 1, {}, WindowData("对话框", 1), {0, 0, 200, 100}));
  dialog.records.push_back(Unit(kDialogButton, 0x0001000B, "按钮_关闭", 5, {{0, 9}}, ButtonData(0, "关闭"),
                                {5, 5, 60, 24}));
  block.windows.push_back(dialog);
  return WriteTemplateBlock(block);
}

class WindowRuntimeTest : public ::testing::Test {
 protected:
  void SetUp() override {
    rt::ResetRuntime();
    InstallWindowRuntime();
    g_log.clear();
    g_destroy_in_created = false;
    g_throw_in_created = false;
    g_refuse_close = false;
    bytes_ = SampleTemplates();
    ASSERT_TRUE(LoadTemplates(bytes_.data(), static_cast<std::uint32_t>(bytes_.size()), kHandlers,
                              sizeof kHandlers / sizeof kHandlers[0]));
    rt::State().windows.create_owner_window();
  }
  void TearDown() override {
    rt::State().windows.release_windows();
    rt::ResetRuntime();
  }
  platform::WindowHandle Handle(UnitId window, UnitId unit) {
    return static_cast<platform::WindowHandle>(WindowRequest(request::kSystemHandle, window, unit));
  }
  std::int32_t Int(UnitId window, UnitId unit, int property) { return ReadProperty(window, unit, property, -1).as_int(); }

  platform::sim::ScopedDesktop desktop_;
  std::vector<std::uint8_t> bytes_;
};

}  // namespace ui::testing_forms
