// The record window: opening it to add or to modify, filling it, saving.
#include <cstddef>
#include <cstdint>
#include <iterator>
#include <string>

#include "app/away_lock.h"
#include "app/command_table.h"
#include "app/forms/unit_ids.h"
#include "app/notebook.h"
#include "app/state.h"
#include "runtime/helpers.h"
#include "ui/unit_numbers.h"

namespace app {
namespace {

// The five edit boxes in field order, with the field each one holds.
struct FieldBox {
  std::uint32_t box;
  const char* field;
};
constexpr FieldBox kFieldBoxes[] = {
    {ids::kWebNameBox, field::kWebName},   {ids::kWebUrlBox, field::kWebUrl},
    {ids::kAccountBox, field::kUserName},  {ids::kPasswordBox, field::kPassword},
    {ids::kRemarksBox, field::kRemarks},
};

OwnedText BoxText(std::uint32_t box) { return ReadTextProperty(ids::kRecordWindow, box, ui::prop::edit::kContent); }
void SetBoxText(std::uint32_t box, const char* text) {
  WriteTextProperty(ids::kRecordWindow, box, ui::prop::edit::kContent, text);
}

rt::Value RecordWindowRef() { return arg::Unit(rt::type::kWindow, ids::kRecordWindow, ids::kRecordWindowUnit); }

void OpenRecordWindow(const char* tag) {
  WriteTextProperty(ids::kMainWindow, ids::kRecordList, ui::prop::common::kTag, tag);
  // Modal: returns once the window has closed, also when the program ends
  // inside it.
  struct Open {
    Open() { State().record_window_open = true; }
    ~Open() { State().record_window_open = false; }
  } open;
  CallCore(Commands().load_window, {RecordWindowRef(), arg::Omitted(), arg::Bool(true)});
}

// One blank for each character of a GBK text: written over the text, it
// takes the place of every character in a box that keeps one slot for each.
std::string BlanksFor(const char* text) {
  std::string blanks;
  for (const unsigned char* p = reinterpret_cast<const unsigned char*>(text); *p != 0; ++p) {
    if (*p >= 0x81 && p[1] != 0) ++p;
    blanks += ' ';
  }
  return blanks;
}

void SetCaptions(const char* button, const char* window) {
  WriteTextProperty(ids::kRecordWindow, ids::kSaveButton, ui::prop::button::kCaption, button);
  WriteTextProperty(ids::kRecordWindow, ids::kRecordWindowUnit, ui::prop::window::kCaption, window);
}

std::int32_t ByteLength(const OwnedText& text) { return TakeInt(CallCore(Commands().text_length, {arg::Text(text)})); }

void AddFromBoxes() {
  const CommandTable& cmd = Commands();
  std::int32_t number = TakeInt(CallCore(cmd.get_record_count, {})) + 1;
  // A count that could not be read would number the record 1 and show the
  // first record's row for it.
  if (!TakeText(CallCore(cmd.get_database_error_text, {})).empty()) {
    ShowMessage("记录添加失败！");
    return;
  }
  OwnedText texts[5];
  for (int i = 0; i < 5; ++i) texts[i] = BoxText(kFieldBoxes[i].box);
  rt::Value now = CallCore(cmd.now, {});
  bool added = TakeBool(CallCore(cmd.add_record,
                                 {arg::Double(number + 10.0), arg::Text(texts[0]), arg::Text(texts[1]),
                                  arg::Text(texts[2]), arg::Text(texts[3]), arg::Text(texts[4]), now}));
  if (!added) {
    ShowMessage("记录添加失败！");
    return;
  }
  for (const FieldBox& fb : kFieldBoxes) SetBoxText(fb.box, "");
  ShowMessage("记录添加成功。");
  LoadRecordList(number, true, false);
}

void ModifyFromBoxes(std::int32_t record) {
  const CommandTable& cmd = Commands();
  CallCore(cmd.go_first_record, {});
  // A failed move leaves another record current: writing on would change it.
  bool written = TakeBool(CallCore(cmd.go_to_record, {arg::Int(record)}));
  for (std::size_t i = 0; written && i < std::size(kFieldBoxes); ++i) {
    OwnedText text = BoxText(kFieldBoxes[i].box);
    written = TakeBool(CallCore(cmd.write_field, {arg::Text(kFieldBoxes[i].field), arg::Text(text)}));
  }
  if (!written) {
    // The window stays open with what was typed, so the user can save again;
    // the row shows what the file holds now.
    ShowDatabaseError("记录修改失败：");
    LoadRecordList(record, true, true);
    return;
  }
  LoadRecordList(record, true, true);
  CallCore(cmd.destroy_unit, {RecordWindowRef()});
}

}  // namespace

void CloseRecordWindowUnsaved() {
  if (!State().record_window_open) return;
  for (const FieldBox& fb : kFieldBoxes) {
    SetBoxText(fb.box, BlanksFor(BoxText(fb.box).c_str()).c_str());
    SetBoxText(fb.box, "");
  }
  CallCore(Commands().destroy_unit, {RecordWindowRef()});
}

void OnAddRecord() {
  if (!UnlockToAct()) return;
  OpenRecordWindow("0");
}

void OnModifyRecord() {
  if (!UnlockToAct()) return;
  std::int32_t row = SelectedRow();
  if (row == -1) return;
  // The window reads the record as it opens: make sure there is a database
  // to read it from (a failed password change can leave none open).
  if (!EnsureDatabaseOpen()) return;
  OwnedText tag = TakeText(CallCore(Commands().to_text, {arg::Int(row + 1)}));
  OpenRecordWindow(tag.c_str());
}

void OnRecordWindowCreated() {
  const CommandTable& cmd = Commands();
  OwnedText tag = ReadTextProperty(ids::kMainWindow, ids::kRecordList, ui::prop::common::kTag);
  std::int32_t record = TakeInt(CallCore(cmd.to_int, {arg::Text(tag)}));
  State().editing_record_number = record;
  if (record == 0) {
    SetCaptions("增加记录", "增加记录");
    for (const FieldBox& fb : kFieldBoxes) SetBoxText(fb.box, "");
    return;
  }
  OwnedText number = TakeText(CallCore(cmd.to_text, {arg::Int(record)}));
  OwnedText title(rt::ConcatTexts({"修改记录|", number.c_str()}));
  SetCaptions("修改记录", title.c_str());
  CallCore(cmd.go_to_record, {arg::Int(record)});
  for (const FieldBox& fb : kFieldBoxes) {
    OwnedText value = TakeText(CallCore(cmd.read_field, {arg::Text(fb.field)}));
    SetBoxText(fb.box, value.c_str());
  }
}

void OnSaveRecord() {
  {
    OwnedText account = BoxText(ids::kAccountBox);
    OwnedText password = BoxText(ids::kPasswordBox);
    if (account.empty() || password.empty()) {
      ShowMessage("未设置 账号或密码");
      return;
    }
  }
  for (const FieldBox& fb : kFieldBoxes) {
    if (ByteLength(BoxText(fb.box)) > kMaxFieldBytes) {
      ShowMessage("信息长度超过512");
      return;
    }
  }
  std::int32_t record = State().editing_record_number;
  if (record == 0) {
    AddFromBoxes();
  } else {
    ModifyFromBoxes(record);
  }
}

}  // namespace app
