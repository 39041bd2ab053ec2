#include "fake_world.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>

#include "app/field_list.h"
#include "app/forms/main_window.h"
#include "app/forms/unit_ids.h"
#include "app/notebook.h"
#include "app/state.h"
#include "runtime/helpers.h"
#include "runtime/services.h"

namespace app::testing {
namespace {

World* g_world = nullptr;
World& W() { return *g_world; }

std::string TextArg(const rt::Value& v) {
  const char* p = v.text();
  return p != nullptr ? std::string(p) : std::string();
}

std::string BytesArg(const rt::Value& v) {
  const auto* words = static_cast<const std::int32_t*>(v.pointer());
  if (words == nullptr) return {};
  return std::string(reinterpret_cast<const char*>(words + 2), static_cast<std::size_t>(words[1]));
}

void ReturnText(rt::Value* result, const std::string& text) {
  *result = rt::Value::Text(text.empty() ? nullptr : rt::CopyTextN(text.data(), static_cast<std::int64_t>(text.size())));
}
void ReturnBytes(rt::Value* result, const std::string& bytes) {
  *result = rt::Value::Pointer(rt::MakeBytes(bytes.data(), static_cast<std::int64_t>(bytes.size())), rt::type::kBytes);
}
void ReturnBool(rt::Value* result, bool v) { *result = rt::Value::Bool(v); }
void ReturnInt(rt::Value* result, std::int32_t v) { *result = rt::Value::Int(v); }

// Stores a typed answer in a Text variable passed by reference.
void StoreInVariable(const rt::Value& variable, const std::string& text) {
  char** slot = static_cast<char**>(variable.pointer());
  rt::Services().FreeMemory(*slot);
  *slot = text.empty() ? nullptr : rt::CopyTextN(text.data(), static_cast<std::int64_t>(text.size()));
}

// --- System commands. ---
void MessageBoxCmd(rt::Value* r, std::int32_t, rt::Value* a) {
  W().messages.push_back({TextArg(a[0]), a[1].as_int()});
  if (W().while_box_open) W().while_box_open();
  std::int32_t answer = 1;
  if (!W().message_answers.empty()) {
    answer = W().message_answers.front();
    W().message_answers.pop_front();
  }
  ReturnInt(r, answer);
}
// A box or dialog the person answers from `answers` (a missing answer, or
// none left, cancels it): the answer goes into `variable`, and the command
// tells whether there was one.
void AnswerFrom(std::deque<std::optional<std::string>>& answers, rt::Value* r, const rt::Value& variable) {
  if (W().while_box_open) W().while_box_open();
  std::optional<std::string> answer;
  if (!answers.empty()) {
    answer = answers.front();
    answers.pop_front();
  }
  if (answer) StoreInVariable(variable, *answer);
  ReturnBool(r, answer.has_value());
}
void InputBoxCmd(rt::Value* r, std::int32_t argc, rt::Value* a) {
  EXPECT_EQ(argc, 4);
  EXPECT_TRUE(a[1].omitted() && a[2].omitted());
  W().input_prompts.push_back(TextArg(a[0]));
  AnswerFrom(W().input_answers, r, a[3]);
}
void PasswordDialogCmd(rt::Value* r, std::int32_t, rt::Value* a) {
  W().password_prompts.push_back(a[1].as_int());
  AnswerFrom(W().password_answers, r, a[0]);
}
void ProgramFolderCmd(rt::Value* r, std::int32_t, rt::Value*) { ReturnText(r, W().folder); }
std::string IniPath() { return W().folder + "\\user.ini"; }
void ReadIniCmd(rt::Value* r, std::int32_t, rt::Value* a) {
  std::string value = TextArg(a[3]);
  if (W().files.count(TextArg(a[0])) != 0 && TextArg(a[0]) == IniPath() && TextArg(a[1]) == "user") {
    auto it = W().ini.find(TextArg(a[2]));
    if (it != W().ini.end()) value = it->second;
  }
  ReturnText(r, value);
}
void WriteIniCmd(rt::Value* r, std::int32_t, rt::Value* a) {
  EXPECT_EQ(TextArg(a[0]), IniPath());
  EXPECT_EQ(TextArg(a[1]), "user");
  W().files.insert(TextArg(a[0]));
  W().ini[TextArg(a[2])] = TextArg(a[3]);
  ReturnBool(r, true);
}
void FileExistsCmd(rt::Value* r, std::int32_t, rt::Value* a) {
  std::string path = TextArg(a[0]);
  ReturnBool(r, W().files.count(path) != 0 || W().databases.count(path) != 0);
}
void DeleteFileCmd(rt::Value* r, std::int32_t, rt::Value* a) {
  std::string path = TextArg(a[0]);
  EXPECT_NE(W().open_path, path) << "deleting an open database";
  bool gone = W().files.erase(path) + W().databases.erase(path) > 0;
  ReturnBool(r, gone);
}
void ClipboardCmd(rt::Value* r, std::int32_t, rt::Value* a) {
  W().clipboard = TextArg(a[0]);
  ReturnBool(r, true);
}
void NowCmd(rt::Value* r, std::int32_t, rt::Value*) { *r = rt::Value::DateTime(W().now); }
void BrowseCmd(rt::Value*, std::int32_t, rt::Value* a) { W().browsed.push_back(TextArg(a[0])); }
void DelayCmd(rt::Value*, std::int32_t, rt::Value* a) { W().delays.push_back(a[0].as_int()); }

// Digest and cipher stand-ins whose results show how they were combined.
void DigestCmd(rt::Value* r, std::int32_t, rt::Value* a) { ReturnText(r, "D(" + BytesArg(a[0]) + ")"); }
void EncryptCmd(rt::Value* r, std::int32_t, rt::Value* a) {
  ReturnBytes(r, "E(" + BytesArg(a[0]) + "," + TextArg(a[1]) + "," + std::to_string(a[2].as_int()) + ")");
}

// --- Database engine. ---
void Fail(const std::string& error) { W().last_error = error; }
bool NeedOpen() {
  if (W().OpenDatabase() != nullptr) return true;
  Fail("未设置当前数据库");
  return false;
}

void CreateCmd(rt::Value* r, std::int32_t, rt::Value* a) {
  EXPECT_EQ(a[1].type, rt::type::kFieldInf);
  rt::ArrayView fields = rt::ArrayElements(a[1].pointer());
  auto** records = static_cast<FieldInfRecord**>(fields.elements);
  W().created_fields.clear();
  for (std::size_t i = 0; i < fields.count; ++i) W().created_fields.emplace_back(records[i]->name, records[i]->type);
  if (W().fail_create) return Fail("创建失败"), ReturnBool(r, false);
  W().databases[TextArg(a[0])] = FakeDatabaseFile{};
  ReturnBool(r, true);
}
void OpenCmd(rt::Value* r, std::int32_t argc, rt::Value* a) {
  EXPECT_EQ(argc, 6);
  OpenCall call{TextArg(a[0]), a[3].omitted() ? 0 : a[3].as_int(), TextArg(a[5])};
  W().opens.push_back(call);
  auto it = W().databases.find(call.path);
  if (W().open_path || it == W().databases.end()) return Fail("打开失败"), ReturnBool(r, false);
  if (it->second.key.empty() && W().fail_open_unprotected) return Fail("打开失败"), ReturnBool(r, false);
  if (it->second.key != call.password) return Fail("密码错误"), ReturnBool(r, false);
  W().open_path = call.path;
  W().current = 0;
  ReturnBool(r, true);
}
void CloseCmd(rt::Value*, std::int32_t, rt::Value*) { W().open_path.reset(); }
void SetPasswordCmd(rt::Value* r, std::int32_t, rt::Value* a) {
  if (!NeedOpen()) return ReturnBool(r, false);
  if (W().refuse_password) return Fail("修改失败"), ReturnBool(r, false);
  W().OpenDatabase()->key = TextArg(a[0]);
  ReturnBool(r, true);
}
void ErrorTextCmd(rt::Value* r, std::int32_t, rt::Value*) { ReturnText(r, W().last_error); }
void RecordCountCmd(rt::Value* r, std::int32_t, rt::Value*) {
  FakeDatabaseFile* db = W().OpenDatabase();
  if (db == nullptr) Fail("未设置当前数据库");
  ReturnInt(r, db != nullptr ? static_cast<std::int32_t>(db->records.size()) : 0);
}
void GoFirstCmd(rt::Value*, std::int32_t, rt::Value*) { W().current = 0; }
void GoToCmd(rt::Value* r, std::int32_t, rt::Value* a) {
  if (!NeedOpen()) return ReturnBool(r, false);
  W().current = std::clamp(a[0].as_int() - 1, -1, static_cast<std::int32_t>(W().OpenDatabase()->records.size()));
  ReturnBool(r, true);
}
void SkipCmd(rt::Value* r, std::int32_t, rt::Value* a) {
  W().current += a[0].as_int();
  ReturnBool(r, NeedOpen());
}
int FieldIndex(const std::string& name) {
  static const char* const kNames[] = {"webname", "weburl", "username", "password", "remarks"};
  for (int i = 0; i < 5; ++i)
    if (name == kNames[i]) return i;
  return name == "time" ? 5 : -1;
}
FakeRecord* CurrentRecord() {
  FakeDatabaseFile* db = W().OpenDatabase();
  if (db == nullptr || W().current < 0 || W().current >= static_cast<std::int32_t>(db->records.size())) return nullptr;
  return &db->records[static_cast<std::size_t>(W().current)];
}
void ReadFieldCmd(rt::Value* r, std::int32_t, rt::Value* a) {
  // The engine treats a read without a current database as fatal.
  EXPECT_TRUE(W().OpenDatabase() != nullptr) << "ReadField without a current database";
  FakeRecord* rec = CurrentRecord();
  int field = FieldIndex(TextArg(a[0]));
  EXPECT_GE(field, 0) << TextArg(a[0]);
  if (W().fail_reads_from >= 0 && W().current >= W().fail_reads_from) {
    Fail("读取失败");
    rec = nullptr;
  }
  if (field == 5) *r = rt::Value::DateTime(rec != nullptr ? rec->time : 0);
  else ReturnText(r, rec != nullptr && field >= 0 ? rec->texts[static_cast<std::size_t>(field)] : "");
}
void WriteFieldCmd(rt::Value* r, std::int32_t, rt::Value* a) {
  EXPECT_TRUE(W().OpenDatabase() != nullptr) << "WriteField without a current database";
  FakeRecord* rec = CurrentRecord();
  int field = FieldIndex(TextArg(a[0]));
  if (W().fail_writes) return Fail("写入失败"), ReturnBool(r, false);
  if (rec == nullptr || field < 0 || field > 4) return ReturnBool(r, false);
  rec->texts[static_cast<std::size_t>(field)] = TextArg(a[1]);
  ReturnBool(r, true);
}
void AddRecordCmd(rt::Value* r, std::int32_t argc, rt::Value* a) {
  EXPECT_EQ(argc, 7);
  if (!NeedOpen() || W().fail_add) return Fail("添加失败"), ReturnBool(r, false);
  EXPECT_EQ(a[0].type, rt::type::kDouble);
  EXPECT_EQ(a[6].type, rt::type::kDateTime);
  FakeRecord rec;
  rec.id = a[0].as_double();
  for (int i = 0; i < 5; ++i) rec.texts[static_cast<std::size_t>(i)] = TextArg(a[i + 1]);
  rec.time = a[6].as_double();
  W().OpenDatabase()->records.push_back(rec);
  ReturnBool(r, true);
}
void DeleteRecordCmd(rt::Value* r, std::int32_t, rt::Value*) {
  if (W().fail_delete) return Fail("删除失败"), ReturnBool(r, false);
  FakeRecord* rec = CurrentRecord();
  if (rec != nullptr) rec->deleted = true;
  ReturnBool(r, rec != nullptr);
}
void PurgeCmd(rt::Value* r, std::int32_t, rt::Value*) {
  if (!NeedOpen()) return ReturnBool(r, false);
  if (W().fail_purge) return Fail("清除失败"), ReturnBool(r, false);
  auto& recs = W().OpenDatabase()->records;
  recs.erase(std::remove_if(recs.begin(), recs.end(), [](const FakeRecord& x) { return x.deleted; }), recs.end());
  ReturnBool(r, true);
}
void FieldNameCmd(rt::Value* r, std::int32_t, rt::Value* a) {
  EXPECT_EQ(a[0].as_int(), 1);
  ReturnText(r, W().OpenDatabase() != nullptr ? "id" : "");
}

// Every database command starts by clearing the last error, as the engine's do.
template <rt::Command command>
void Db(rt::Value* r, std::int32_t argc, rt::Value* a) {
  W().last_error.clear();
  command(r, argc, a);
}

// --- Windows and the list. ---
void ResetRecordWindow() {
  World& w = W();
  w.SetProp(ids::kRecordWindow, ids::kRecordWindowUnit, 8, "添加/修改记录");
  w.SetProp(ids::kRecordWindow, ids::kSaveButton, 10, "按钮");
  for (std::uint32_t box : {ids::kWebNameBox, ids::kWebUrlBox, ids::kAccountBox, ids::kPasswordBox, ids::kRemarksBox})
    w.SetProp(ids::kRecordWindow, box, 8, "");
}
void LoadWindowCmd(rt::Value* r, std::int32_t, rt::Value* a) {
  EXPECT_EQ(a[0].type, rt::type::kWindow);
  EXPECT_TRUE(a[1].omitted());
  bool modal = !a[2].omitted() && a[2].lo != 0;
  W().loaded.emplace_back(a[0].lo, modal);
  if (a[0].lo == ids::kRecordWindow) {
    EXPECT_EQ(a[0].hi, ids::kRecordWindowUnit);
    ResetRecordWindow();
    OnRecordWindowCreated();
    if (W().in_record_window) W().in_record_window();
  } else if (a[0].lo == ids::kInitWindow) {
    EXPECT_EQ(a[0].hi, ids::kInitWindowUnit);
    W().SetProp(ids::kInitWindow, ids::kInitPasswordBox, 8, "");
    if (W().in_init_window) W().in_init_window();
  }
  ReturnBool(r, true);
}
void DestroyUnitCmd(rt::Value*, std::int32_t argc, rt::Value* a) {
  EXPECT_EQ(argc, 1);
  W().destroyed.push_back(a[0].hi);
}
void PopupCmd(rt::Value*, std::int32_t argc, rt::Value* a) {
  EXPECT_EQ(argc, 2);
  EXPECT_EQ(a[0].type, rt::type::kWindow);
  EXPECT_EQ(a[1].type, rt::type::kMenu);
  W().popups.push_back(a[1].hi);
}
void CheckList(const rt::Value& v) {
  EXPECT_EQ(v.type, rt::type::kListView);
  EXPECT_EQ(v.lo, ids::kMainWindow);
  EXPECT_EQ(v.hi, ids::kRecordList);
}
void GetItemTextCmd(rt::Value* r, std::int32_t, rt::Value* a) {
  CheckList(a[0]);
  std::int32_t row = a[1].as_int(), column = a[2].as_int();
  bool exists = row >= 0 && row < static_cast<std::int32_t>(W().rows.size()) && column >= 0 && column < 7;
  ReturnText(r, exists ? W().rows[static_cast<std::size_t>(row)][static_cast<std::size_t>(column)] : "");
}
void SetItemTextCmd(rt::Value*, std::int32_t argc, rt::Value* a) {
  CheckList(a[0]);
  EXPECT_EQ(argc, 4);
  std::int32_t row = a[1].as_int(), column = a[2].as_int();
  ASSERT_TRUE(row >= 0 && row < static_cast<std::int32_t>(W().rows.size()) && column >= 0 && column < 7);
  W().rows[static_cast<std::size_t>(row)][static_cast<std::size_t>(column)] = TextArg(a[3]);
}
void InsertItemCmd(rt::Value* r, std::int32_t argc, rt::Value* a) {
  CheckList(a[0]);
  EXPECT_EQ(argc, 1);
  W().rows.emplace_back();
  ReturnInt(r, static_cast<std::int32_t>(W().rows.size()) - 1);
}
void DeleteItemCmd(rt::Value*, std::int32_t, rt::Value* a) {
  CheckList(a[0]);
  std::int32_t row = a[1].as_int();
  ASSERT_TRUE(row >= 0 && row < static_cast<std::int32_t>(W().rows.size()));
  W().rows.erase(W().rows.begin() + row);
  W().selected = -1;
}
void DeleteAllCmd(rt::Value*, std::int32_t, rt::Value* a) {
  CheckList(a[0]);
  W().rows.clear();
  W().selected = -1;
}

// --- Property services. ---
rt::Value ReadPropertyFake(std::uint32_t window, std::uint32_t unit, std::int32_t property, std::int32_t index) {
  EXPECT_EQ(index, -1);
  if (window == ids::kMainWindow && unit == ids::kRecordList && property == 35) {
    bool valid = W().selected >= 0 && W().selected < static_cast<std::int32_t>(W().rows.size());
    return rt::Value::Int(valid ? W().selected : -1);
  }
  rt::Value v;
  ReturnText(&v, W().Prop(window, unit, property));
  return v;
}
void WritePropertyFake(std::uint32_t window, std::uint32_t unit, std::int32_t property, std::int32_t index,
                       std::uint32_t lo, std::uint32_t hi) {
  EXPECT_EQ(index, -1);
  if (window == ids::kMainWindow && unit == ids::kMainWindowUnit && property == 3) {
    W().main_height = static_cast<std::int32_t>(lo);
    return;
  }
  rt::Value v{lo, hi, rt::type::kText};
  W().SetProp(window, unit, property, TextArg(v));
  W().prop_writes.emplace_back(window, unit, property, TextArg(v));
}

}  // namespace

FakeDatabaseFile* World::OpenDatabase() {
  if (!open_path) return nullptr;
  auto it = databases.find(*open_path);
  return it != databases.end() ? &it->second : nullptr;
}

std::string World::Prop(std::uint32_t window, std::uint32_t unit, std::int32_t property) const {
  auto it = props.find({window, unit, property});
  return it != props.end() ? it->second : std::string();
}

void World::SetProp(std::uint32_t window, std::uint32_t unit, std::int32_t property, const std::string& text) {
  props[{window, unit, property}] = text;
}

void World::AddDatabase(const std::string& path, const std::string& password, std::vector<FakeRecord> records) {
  databases[path] = FakeDatabaseFile{FakeKey(password), std::move(records)};
}

std::string FakeKey(const std::string& password) {
  std::size_t first = password.find_first_not_of(' ');
  std::string t = first == std::string::npos ? "" : password.substr(first, password.find_last_not_of(' ') - first + 1);
  return "D(E(" + t + ",D(" + t + "),1))";
}

WorldScope::WorldScope() {
  rt::ResetRuntime();
  ResetState();
  g_world = &world_;
  world_.SetProp(ids::kMainWindow, ids::kMainWindowUnit, 8, forms::kMainWindowCaption);
  world_.SetProp(ids::kMainWindow, ids::kTogglePasswordsButton, 10, "正显密码");
  world_.SetProp(ids::kMainWindow, ids::kRecordList, 4, "0");

  // The text commands are the linked ones; everything that reaches the
  // desktop, the files or the database is the fake world's.
  table_ = LinkedCommands();
  CommandTable& t = table_;
  t.message_box = MessageBoxCmd;
  t.input_box = InputBoxCmd;
  t.get_program_folder = ProgramFolderCmd;
  t.read_ini_value = ReadIniCmd;
  t.write_ini_value = WriteIniCmd;
  t.file_exists = FileExistsCmd;
  t.delete_file = DeleteFileCmd;
  t.set_clipboard_text = ClipboardCmd;
  t.now = NowCmd;
  t.open_web_address = BrowseCmd;
  t.digest = DigestCmd;
  t.encrypt_data = EncryptCmd;
  t.delay = DelayCmd;
  t.create_database = Db<CreateCmd>;
  t.open_database = Db<OpenCmd>;
  t.close_database = Db<CloseCmd>;
  t.set_database_password = Db<SetPasswordCmd>;
  t.input_password_dialog = PasswordDialogCmd;
  t.get_database_error_text = ErrorTextCmd;
  t.get_record_count = Db<RecordCountCmd>;
  t.go_first_record = Db<GoFirstCmd>;
  t.go_to_record = Db<GoToCmd>;
  t.skip_records = Db<SkipCmd>;
  t.read_field = Db<ReadFieldCmd>;
  t.write_field = Db<WriteFieldCmd>;
  t.add_record = Db<AddRecordCmd>;
  t.delete_record = Db<DeleteRecordCmd>;
  t.purge_deleted_records = Db<PurgeCmd>;
  t.get_field_name = Db<FieldNameCmd>;
  t.load_window = LoadWindowCmd;
  t.destroy_unit = DestroyUnitCmd;
  t.popup_menu = PopupCmd;
  t.get_item_text = GetItemTextCmd;
  t.set_item_text = SetItemTextCmd;
  t.insert_item = InsertItemCmd;
  t.delete_item = DeleteItemCmd;
  t.delete_all_items = DeleteAllCmd;
  UseCommands(&table_);
  rt::InstallWindowServices({ReadPropertyFake, WritePropertyFake, nullptr, nullptr});
}

WorldScope::~WorldScope() {
  UseCommands(nullptr);
  rt::InstallWindowServices({});
  ResetState();
  rt::ResetRuntime();
  g_world = nullptr;
}

std::optional<int> ExitCodeOf(const std::function<void()>& action) {
  try {
    action();
  } catch (const platform::ProcessExit& exit) {
    return exit.code;
  }
  return std::nullopt;
}

FakeRecord Record(const std::string& name, const std::string& url, const std::string& user,
                  const std::string& password, const std::string& remarks) {
  FakeRecord r;
  r.texts = {name, url, user, password, remarks};
  r.time = 45000.25;
  return r;
}

}  // namespace app::testing
