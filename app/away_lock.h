// Locking the notebook while its person is away: after `lock` minutes
// (user.ini) without keyboard or mouse input in its windows, and when the
// desktop session locks (unless `lockwithsession=0`).
//
// Locked, the notebook holds no record: the record window is closed unsaved
// with its boxes wiped, the database is closed (the engine wipes its key
// material), the list is empty, the clipboard no longer holds the
// notebook's text, and the main window's caption ends in "（已锁定）". The
// next click on one of the main window's buttons (but 退出) or on the list
// asks for the password as at start-up; the window becoming active does not.
//
// A lock that falls due while a message box, input box or password dialog
// is open waits until it closes and then happens at once: the answer given
// to it no longer counts (whoever gave it may not be the notebook's person).
#pragma once

#include <cstdint>

namespace app {

// The idle clock and the rule for when the notebook locks, apart from what
// locking does. Times are the host's tick counts in milliseconds; the
// counter may wrap.
class AwayRule {
 public:
  // `idle_ms` 0: being idle never locks.
  void Configure(std::uint32_t idle_ms, bool with_session) {
    idle_ms_ = idle_ms;
    with_session_ = with_session;
  }
  // The notebook is open from `now` on (start-up, an unlock): the idle
  // time starts and nothing is due.
  void Open(std::uint32_t now);
  // The notebook locked: nothing falls due until it is open again.
  void Close();
  bool open() const { return open_; }

  void Input(std::uint32_t now) { last_input_ = now; }
  // Each returns true when the notebook must lock now.
  bool Tick(std::uint32_t now);
  bool SessionLocked();
  void BoxOpened() { ++boxes_; }
  bool BoxClosed();

 private:
  bool LockNow() const { return open_ && due_ && boxes_ == 0; }

  std::uint32_t idle_ms_ = 0;
  bool with_session_ = true;
  bool open_ = false;
  bool due_ = false;  // stays set once due, whatever input follows
  int boxes_ = 0;
  std::uint32_t last_input_ = 0;
};

// The user.ini values: `lock` is a whole number of minutes from 0 (never)
// to a day, anything else gives 0; `lockwithsession` is on unless it is 0.
std::uint32_t ParseLockMinutes(const char* text);
bool ParseLockWithSession(const char* text);

// At the end of start-up, with the user.ini values (null: absent): starts
// watching when a database is open and either way of locking is on.
void StartAwayLock(const char* lock_minutes, const char* with_session);
// At exit: stops watching.
void StopAwayLock();
bool NotebookLocked();

// At the start of the main window's button handlers (but 退出) and of the
// list's: true when the notebook is open — it was, or the password given
// now reopened it and reloaded the list; false when it stays locked
// (Cancel, or a third wrong password).
bool UnlockToAct();

// Around every message box, input box and password dialog the notebook
// shows. Closed() ends the wait and locks if a lock fell due meanwhile;
// true when it did (the box's answer no longer counts).
class BoxWait {
 public:
  BoxWait();
  ~BoxWait();
  BoxWait(const BoxWait&) = delete;
  BoxWait& operator=(const BoxWait&) = delete;
  bool Closed();

 private:
  bool open_ = true;
};

}  // namespace app
