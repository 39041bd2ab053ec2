// A small stand-in for everything around the notebook's handlers: the unit
// properties of the three windows, the record list's rows, message, input and
// password boxes answered from queues, the INI file and a record database
// kept in memory. The handlers run unchanged against it through the command
// table and the runtime's property services. Text commands are the real ones.
#pragma once

#include <array>
#include <cstdint>
#include <deque>
#include <functional>
#include <map>
#include <optional>
#include <set>
#include <string>
#include <tuple>
#include <vector>

#include "app/command_table.h"
#include "platform/sim/sim_host.h"

namespace app::testing {

struct FakeRecord {
  double id = 0;
  std::array<std::string, 5> texts;  // webname, weburl, username, password, remarks
  double time = 0;
  bool deleted = false;
};

struct FakeDatabaseFile {
  std::string key;  // "" = no password
  std::vector<FakeRecord> records;
};

struct ShownMessage {
  std::string text;
  std::int32_t flags = 0;
};

struct OpenCall {
  std::string path;
  std::int32_t share = 0;  // 0 = omitted
  std::string password;
};

struct World {
  // Units: (window, unit, property) -> text.
  std::map<std::tuple<std::uint32_t, std::uint32_t, std::int32_t>, std::string> props;
  std::int32_t main_height = 295;
  std::vector<std::array<std::string, 7>> rows;
  std::int32_t selected = -1;

  // Program folder, files and user.ini.
  std::string folder = "C:\\prog";
  std::set<std::string> files;
  std::map<std::string, std::string> ini;  // key -> value of section "user"

  // Boxes: answers in order; an empty queue answers OK / Cancel.
  std::deque<std::int32_t> message_answers;
  std::vector<ShownMessage> messages;
  std::deque<std::optional<std::string>> password_answers;
  std::vector<std::int32_t> password_prompts;  // failed-attempt argument of each
  std::deque<std::optional<std::string>> input_answers;
  std::vector<std::string> input_prompts;

  // Database engine.
  std::map<std::string, FakeDatabaseFile> databases;
  std::optional<std::string> open_path;
  std::int32_t current = 0;
  std::vector<OpenCall> opens;
  std::string last_error;
  bool fail_create = false;
  bool fail_open_unprotected = false;
  bool refuse_password = false;
  bool fail_add = false;
  std::int32_t fail_reads_from = -1;  // reads of this record index and on fail
  bool fail_writes = false;
  bool fail_delete = false;
  bool fail_purge = false;  // the marked records stay
  std::vector<std::pair<std::string, std::int32_t>> created_fields;  // (name, type) as passed

  // Windows and the rest.
  std::vector<std::pair<std::uint32_t, bool>> loaded;  // (window, modal)
  std::vector<std::uint32_t> destroyed;
  std::vector<std::uint32_t> popups;
  std::string clipboard;
  std::vector<std::string> browsed;
  std::vector<std::int32_t> delays;
  double now = 45000.5;
  // Runs inside the modal record / initialise-database window after its
  // creation handler: the user's actions there.
  std::function<void()> in_record_window;
  std::function<void()> in_init_window;
  // Runs while a message box, input box or password dialog is open, before
  // it is answered: time passing there.
  std::function<void()> while_box_open;
  // Every property write of the handlers, in order: (window, unit, property, text).
  std::vector<std::tuple<std::uint32_t, std::uint32_t, std::int32_t, std::string>> prop_writes;

  FakeDatabaseFile* OpenDatabase();
  std::string Prop(std::uint32_t window, std::uint32_t unit, std::int32_t property) const;
  void SetProp(std::uint32_t window, std::uint32_t unit, std::int32_t property, const std::string& text);
  std::string DatabasePath() const { return folder + "\\user.vdb"; }
  // A database file with records and the key of `password` as the fake
  // derivation makes it.
  void AddDatabase(const std::string& path, const std::string& password, std::vector<FakeRecord> records);
};

// The fake key derivation's result for a password (digest and cipher stand-ins).
std::string FakeKey(const std::string& password);

// Installs the world: commands, property services and a simulated host.
class WorldScope {
 public:
  WorldScope();
  ~WorldScope();
  World& world() { return world_; }
  platform::sim::SimHost& host() { return *host_; }

 private:
  platform::sim::ScopedSimHost host_;
  World world_;
  CommandTable table_;
};

// Runs an action that should end the program; the exit code, or nullopt when
// it returned.
std::optional<int> ExitCodeOf(const std::function<void()>& action);

FakeRecord Record(const std::string& name, const std::string& url, const std::string& user,
                  const std::string& password, const std::string& remarks = "");

}  // namespace app::testing
