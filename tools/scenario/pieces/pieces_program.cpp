#include "tools/scenario/pieces/pieces_program.h"

#include <algorithm>
#include <array>
#include <string>

#include "app/calls.h"
#include "app/forms/template_encoder.h"
#include "runtime/services.h"
#include "tools/scenario/pieces/pieces_window.h"
#include "ui/runtime_api.h"
#include "ui/unit_numbers.h"
#include "ui/units/list_view.h"

namespace scenario {
namespace {

using namespace pieces;

namespace edit = ui::prop::edit;
using ui::prop::label::kCaption;

int g_changes = 0;
int g_shown = 0, g_hidden = 0;
int g_origin_left = 0, g_origin_top = 0;  // where the window was when created

void OnEditChanged() {
  ++g_changes;
  app::WriteTextProperty(ids::kWindow, ids::kChangeCount, kCaption, std::to_string(g_changes).c_str());
}

// Byte 3 lies inside 乙: the box starts the selection at that character.
void OnSelect() {
  app::WriteIntProperty(ids::kWindow, ids::kEdit, edit::kSelectionStart, 3);
  app::WriteIntProperty(ids::kWindow, ids::kEdit, edit::kSelectionLength, -1);
}

void OnReplace() { app::WriteTextProperty(ids::kWindow, ids::kEdit, edit::kSelectedText, "丙"); }

void OnCaretToEnd() { app::WriteIntProperty(ids::kWindow, ids::kEdit, edit::kSelectionStart, -1); }

void SayEvent(const std::string& what) {
  app::WriteTextProperty(ids::kWindow, ids::kEventLabel, kCaption, what.c_str());
}

rt::Value List(std::uint32_t unit = ids::kList) { return app::arg::Unit(rt::type::kListView, ids::kWindow, unit); }

std::int32_t Height(std::uint32_t unit) {
  return app::ReadIntProperty(ids::kWindow, unit, ui::prop::common::kHeight);
}

// Writes the size part of an edit box's font, in points.
void WriteFontSize(std::uint32_t unit, std::int32_t points) {
  constexpr std::int32_t kSizePart = 5;
  rt::Services().WriteProperty(ids::kWindow, unit, edit::kFont, kSizePart, static_cast<std::uint32_t>(points), 0);
}

void SayHeight(const std::string& what) {
  app::WriteTextProperty(ids::kWindow, ids::kHeightLabel, kCaption, what.c_str());
}

// How tall the box without a font of its own came out depends on the
// desktop's default font; it is at least taller than it was placed.
void SayDefaultFontHeight() {
  const std::int32_t height = Height(ids::kDefaultFontEdit);
  SayHeight(height > 8 ? "默认框长高" : "默认框高 " + std::to_string(height));
}

void OnBigFont() {
  const std::int32_t before = Height(ids::kShortEdit);
  for (std::uint32_t unit : {ids::kShortEdit, ids::kMultiLineEdit, ids::kTallEdit}) WriteFontSize(unit, 24);
  const std::int32_t after = Height(ids::kShortEdit);
  SayHeight(after > before ? "长高" : "高 " + std::to_string(before) + " → " + std::to_string(after));
}

void OnSmallFont() {
  const std::int32_t before = Height(ids::kShortEdit);
  WriteFontSize(ids::kShortEdit, 9);
  const std::int32_t after = Height(ids::kShortEdit);
  SayHeight(after == before ? "不缩" : "高 " + std::to_string(before) + " → " + std::to_string(after));
}

void OnWindowCreated() {
  g_origin_left = app::ReadIntProperty(ids::kWindow, ids::kWindowUnit, ui::prop::common::kLeft);
  g_origin_top = app::ReadIntProperty(ids::kWindow, ids::kWindowUnit, ui::prop::common::kTop);
  const char* const rows[][2] = {{"苹果", "3"}, {"梨", "5"}, {"桃", "7"}};
  for (const auto& row : rows) {
    const std::int32_t at = app::TakeInt(app::CallLibrary(app::library::kListView, ui::InsertItem, {List()}));
    for (std::int32_t column = 0; column < 2; ++column)
      app::CallLibrary(app::library::kListView, ui::SetItemText,
                       {List(), app::arg::Int(at), app::arg::Int(column), app::arg::Text(row[column])});
    app::CallLibrary(app::library::kListView, ui::InsertItem,
                     {List(ids::kTickList), app::arg::Omitted(), app::arg::Text(row[0])});
  }
  SayDefaultFontHeight();
}

// Event 1 has no argument: the activated row is the current one.
void OnRowActivated() {
  SayEvent("激活 " + std::to_string(app::ReadIntProperty(ids::kWindow, ids::kList, ui::prop::list::kCurrentRow)));
}

void OnColumnClicked() { SayEvent("列 " + std::to_string(ui::EventArgument(0))); }

void OnHotRow() { SayEvent("经过 " + std::to_string(ui::EventArgument(0))); }

// The last row's caption may not be edited.
void OnEditStarting() {
  const std::int32_t row = ui::EventArgument(0);
  if (row == 2) {
    ui::SetEventResult(0);
    SayEvent("不改 2");
    return;
  }
  SayEvent("开始 " + std::to_string(row));
}

// The new caption is readable while the handler runs; "坏" is rejected.
void OnEditEnded() {
  const std::string text = app::ReadTextProperty(ids::kWindow, ids::kTickList, ui::prop::list::kEditedText).c_str();
  const std::string row = std::to_string(ui::EventArgument(0));
  if (text == "坏") {
    ui::SetEventResult(0);
    SayEvent("拒绝 " + row + " " + text);
    return;
  }
  SayEvent("改名 " + row + " " + text);
}

// The property is a logical one: read and written as such.
void OnToggleHeader() {
  const rt::ServiceTable& services = rt::Services();
  const bool hidden =
      app::TakeBool(services.ReadProperty(ids::kWindow, ids::kList, ui::prop::list::kHideHeader, -1));
  const rt::Value shown = app::arg::Bool(!hidden);
  services.WriteProperty(ids::kWindow, ids::kList, ui::prop::list::kHideHeader, -1, shown.lo, shown.hi);
}

void SayShown() {
  const std::string counts = "显示 " + std::to_string(g_shown) + " 隐藏 " + std::to_string(g_hidden);
  app::WriteTextProperty(ids::kWindow, ids::kShowLabel, kCaption, counts.c_str());
}

void OnShown() {
  ++g_shown;
  SayShown();
}

void OnHidden() {
  ++g_hidden;
  SayShown();
}

void OnHideAndShow() {
  app::WriteIntProperty(ids::kWindow, ids::kWindowUnit, ui::prop::common::kVisible, 0);
  app::WriteIntProperty(ids::kWindow, ids::kWindowUnit, ui::prop::common::kVisible, 1);
}

// Orange, RGB FF8000, stored as 0xBBGGRR.
void OnColourBackground() {
  app::WriteIntProperty(ids::kWindow, ids::kWindowUnit, ui::prop::window::kBackground, 0x0080FF);
}

void OnSystemBackground() {
  app::WriteIntProperty(ids::kWindow, ids::kWindowUnit, ui::prop::window::kBackground,
                        static_cast<std::int32_t>(forms::kSystemColour));
}

// How far the window is from where it was created.
void OnMoved() {
  const int dx = app::ReadIntProperty(ids::kWindow, ids::kWindowUnit, ui::prop::common::kLeft) - g_origin_left;
  const int dy = app::ReadIntProperty(ids::kWindow, ids::kWindowUnit, ui::prop::common::kTop) - g_origin_top;
  const std::string offset = "移动 " + std::to_string(dx) + " " + std::to_string(dy);
  app::WriteTextProperty(ids::kWindow, ids::kDragLabel, kCaption, offset.c_str());
}

// Dragging by the client area is a logical property: read and written as such.
void OnToggleDrag() {
  const rt::ServiceTable& services = rt::Services();
  const bool on = app::TakeBool(
      services.ReadProperty(ids::kWindow, ids::kWindowUnit, ui::prop::window::kDragByClientArea, -1));
  const rt::Value flipped = app::arg::Bool(!on);
  services.WriteProperty(ids::kWindow, ids::kWindowUnit, ui::prop::window::kDragByClientArea, -1, flipped.lo,
                         flipped.hi);
}

void OnCheckChanged() {
  SayEvent("勾选 " + std::to_string(ui::EventArgument(0)) + " " + std::to_string(ui::EventArgument(1)));
}

void OnSpinBoxFocused() { app::WriteTextProperty(ids::kWindow, ids::kSpinLabel, kCaption, "焦点"); }

// Event 1's argument is the step the control reports, -1 or 1.
void OnSpinPressed() {
  const std::string said = "微调 " + std::to_string(ui::EventArgument(0));
  app::WriteTextProperty(ids::kWindow, ids::kSpinLabel, kCaption, said.c_str());
}

void OnChangeSpinRanges() {
  app::WriteIntProperty(ids::kWindow, ids::kSpinEdit, edit::kSpinMaximum, 20);
  app::WriteIntProperty(ids::kWindow, ids::kSpinEventEdit, edit::kSpinStyle, 0);
}

constexpr std::array<rt::Handler, kHandlerCount> kHandlers = [] {
  std::array<rt::Handler, kHandlerCount> t{};
  t[kOnEditChanged] = &OnEditChanged;
  t[kOnSelect] = &OnSelect;
  t[kOnReplace] = &OnReplace;
  t[kOnCaretToEnd] = &OnCaretToEnd;
  t[kOnWindowCreated] = &OnWindowCreated;
  t[kOnRowActivated] = &OnRowActivated;
  t[kOnColumnClicked] = &OnColumnClicked;
  t[kOnHotRow] = &OnHotRow;
  t[kOnEditStarting] = &OnEditStarting;
  t[kOnEditEnded] = &OnEditEnded;
  t[kOnCheckChanged] = &OnCheckChanged;
  t[kOnToggleHeader] = &OnToggleHeader;
  t[kOnShown] = &OnShown;
  t[kOnHidden] = &OnHidden;
  t[kOnHideAndShow] = &OnHideAndShow;
  t[kOnBigFont] = &OnBigFont;
  t[kOnSmallFont] = &OnSmallFont;
  t[kOnColourBackground] = &OnColourBackground;
  t[kOnSystemBackground] = &OnSystemBackground;
  t[kOnSpinBoxFocused] = &OnSpinBoxFocused;
  t[kOnSpinPressed] = &OnSpinPressed;
  t[kOnChangeSpinRanges] = &OnChangeSpinRanges;
  t[kOnMoved] = &OnMoved;
  t[kOnToggleDrag] = &OnToggleDrag;
  return t;
}();

constexpr const forms::Window* kWindows[] = {&kWindow};
constexpr std::size_t kBlockSize = forms::EncodeTemplateBlock(kWindows).size();
constexpr std::array<std::uint8_t, kBlockSize> kBlock = [] {
  std::array<std::uint8_t, kBlockSize> block{};
  std::vector<std::uint8_t> bytes = forms::EncodeTemplateBlock(kWindows);
  std::copy(bytes.begin(), bytes.end(), block.begin());
  return block;
}();

void StartRoutine() {
  g_changes = 0;
  g_shown = g_hidden = 0;
  g_origin_left = g_origin_top = 0;
  const rt::ServiceTable& services = rt::Services();
  services.ServiceHelp(rt::help::kStartUp, 0, 0, 0, 0);
  services.LoadStartWindow(ids::kWindow);
  services.RunMessageLoop();
}

}  // namespace

void RunPiecesProgram() {
  static const rt::ProgramHeader header = [] {
    rt::ProgramHeader h;
    h.code_base = kHandlers.data();
    h.handler_count = static_cast<std::uint32_t>(kHandlers.size());
    h.template_data = kBlock.data();
    h.template_data_length = static_cast<std::uint32_t>(kBlock.size());
    return h;
  }();
  rt::RunProgram(header, &StartRoutine);
}

}  // namespace scenario
