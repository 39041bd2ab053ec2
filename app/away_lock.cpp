#include "app/away_lock.h"

#include "app/clipboard_guard.h"
#include "app/command_table.h"
#include "app/forms/unit_ids.h"
#include "app/ini_values.h"
#include "app/notebook.h"
#include "app/state.h"
#include "platform/host.h"
#include "runtime/helpers.h"
#include "runtime/services.h"
#include "ui/unit_numbers.h"

namespace app {
namespace {

// How often the host beats while being idle can lock: a lock comes at most
// this late.
constexpr std::uint32_t kTickMs = 500;
constexpr std::int32_t kLongestMinutes = 24 * 60;
const char* const kLockedSuffix = "（已锁定）";

std::uint32_t Now() { return platform::CurrentHost().TickCount(); }

void Lock() {
  AppState& state = State();
  state.away.Close();
  state.locked = true;
  CloseRecordWindowUnsaved();
  CallCore(Commands().close_database, {});
  CallLibrary(library::kListView, Commands().delete_all_items,
              {arg::Unit(rt::type::kListView, ids::kMainWindow, ids::kRecordList)});
  ClearNotebookClipboard();
  // The empty list must not pass for lost records: the caption says why.
  OwnedText caption = ReadTextProperty(ids::kMainWindow, ids::kMainWindowUnit, ui::prop::window::kCaption);
  OwnedText shown(rt::ConcatTexts({caption.c_str(), kLockedSuffix}));
  WriteTextProperty(ids::kMainWindow, ids::kMainWindowUnit, ui::prop::window::kCaption, shown.c_str());
  state.SetOpenCaption(rt::ConcatTexts({caption.c_str()}));
}

class Watcher final : public platform::HostListener {
 public:
  void OnInput() override { State().away.Input(Now()); }
  void OnSessionLocked() override {
    if (State().away.SessionLocked()) Lock();
  }
  void OnTick() override {
    if (State().away.Tick(Now())) Lock();
  }
};

Watcher& TheWatcher() {
  static Watcher watcher;
  return watcher;
}

}  // namespace

void AwayRule::Open(std::uint32_t now) {
  open_ = true;
  due_ = false;
  last_input_ = now;
}

void AwayRule::Close() {
  open_ = false;
  due_ = false;
}

bool AwayRule::Tick(std::uint32_t now) {
  // Unsigned difference: right across the wrap of the tick counter.
  if (open_ && idle_ms_ != 0 && now - last_input_ >= idle_ms_) due_ = true;
  return LockNow();
}

bool AwayRule::SessionLocked() {
  if (open_ && with_session_) due_ = true;
  return LockNow();
}

bool AwayRule::BoxClosed() {
  if (boxes_ > 0) --boxes_;
  return LockNow();
}

std::uint32_t ParseLockMinutes(const char* text) {
  return static_cast<std::uint32_t>(ParseWholeNumber(text, kLongestMinutes, 0));
}

bool ParseLockWithSession(const char* text) {
  return text == nullptr || text[0] != '0' || text[1] != '\0';
}

void StartAwayLock(const char* lock_minutes, const char* with_session) {
  const std::uint32_t minutes = ParseLockMinutes(lock_minutes);
  const bool session = ParseLockWithSession(with_session);
  // Without a database (the first-run window closed unused) there is
  // nothing to lock away.
  if ((minutes == 0 && !session) || !DatabaseIsOpen()) return;
  AppState& state = State();
  state.away.Configure(minutes * 60000u, session);
  state.away.Open(Now());
  platform::CurrentHost().SetListener(&TheWatcher(), minutes != 0 ? kTickMs : 0);
}

void StopAwayLock() {
  platform::CurrentHost().SetListener(nullptr, 0);
  State().away.Close();
}

bool NotebookLocked() { return State().locked; }

bool UnlockToAct() {
  AppState& state = State();
  if (!state.locked) return true;
  // The database is closed: this asks as at start-up, reopens and reloads.
  if (!EnsureDatabaseOpen()) return false;
  state.locked = false;
  WriteTextProperty(ids::kMainWindow, ids::kMainWindowUnit, ui::prop::window::kCaption, state.open_caption);
  state.SetOpenCaption(nullptr);
  state.away.Open(Now());
  return true;
}

BoxWait::BoxWait() { State().away.BoxOpened(); }

BoxWait::~BoxWait() {
  // Left by unwinding (the end of the program): only the count goes back.
  if (open_) State().away.BoxClosed();
}

bool BoxWait::Closed() {
  open_ = false;
  if (!State().away.BoxClosed()) return false;
  Lock();
  return true;
}

}  // namespace app
