// The notebook's clipboard on the Linux desktop. Every copy is marked with
// the "x-kde-passwordManagerHint" entry "secret", which clipboard managers
// that honour it keep out of their history. The copy is cleared later (a
// timer of the event loop, or at exit) only while the clipboard still holds
// it: whatever the person copied since stays.
#pragma once

#include <QObject>
#include <QString>
#include <QTimer>

#include <cstdint>

namespace platform::qt {

inline constexpr char kPasswordManagerHint[] = "x-kde-passwordManagerHint";

class Clipboard final : public QObject {
 public:
  Clipboard();
  ~Clipboard() override;

  // False when the text could not be placed.
  bool Put(const QString& text);
  // Empties the clipboard if it still holds the last text Put placed;
  // true when it did.
  bool ClearIfOurs();
  // ClearIfOurs once, `seconds` from now (0 cancels; at most a day).
  void ScheduleClear(std::uint32_t seconds);
  bool clear_pending() const { return timer_.isActive(); }

 private:
  void Forget();

  QString placed_;
  bool ours_ = false;
  bool placing_ = false;
  QTimer timer_;
};

}  // namespace platform::qt
