// The seam's message queue on Qt's event loop: held-back keys, posted
// messages, the quit message, and the waits of nested loops.
#include <QAbstractEventDispatcher>
#include <QApplication>
#include <QEvent>
#include <QKeyEvent>

#include "platform/qt/application_qt.h"
#include "platform/qt/native_qt.h"
#include "platform/qt/window_system_qt.h"

namespace platform::qt {
namespace {

const QEvent::Type kPostedType = static_cast<QEvent::Type>(QEvent::registerEventType());
const QEvent::Type kWakeType = static_cast<QEvent::Type>(QEvent::registerEventType());

class PostedEvent final : public QEvent {
 public:
  explicit PostedEvent(std::intptr_t serial) : QEvent(kPostedType), serial(serial) {}
  std::intptr_t serial;
};

// The virtual key code the runtime's keyboard handling knows, 0 for keys
// it has no use for (text typed through an input method, for one).
int VirtualKey(int key) {
  if (key >= Qt::Key_A && key <= Qt::Key_Z) return 'A' + (key - Qt::Key_A);
  if (key >= Qt::Key_0 && key <= Qt::Key_9) return '0' + (key - Qt::Key_0);
  if (key >= Qt::Key_F1 && key <= Qt::Key_F24) return key::kF1 + (key - Qt::Key_F1);
  switch (key) {
    case Qt::Key_Tab:
    case Qt::Key_Backtab: return key::kTab;
    case Qt::Key_Return:
    case Qt::Key_Enter: return key::kEnter;
    case Qt::Key_Escape: return key::kEscape;
    case Qt::Key_Backspace: return 0x08;
    case Qt::Key_Space: return 0x20;
    case Qt::Key_PageUp: return 0x21;
    case Qt::Key_PageDown: return 0x22;
    case Qt::Key_End: return 0x23;
    case Qt::Key_Home: return 0x24;
    case Qt::Key_Left: return 0x25;
    case Qt::Key_Up: return 0x26;
    case Qt::Key_Right: return 0x27;
    case Qt::Key_Down: return 0x28;
    case Qt::Key_Insert: return 0x2D;
    case Qt::Key_Delete: return 0x2E;
    case Qt::Key_Menu: return 0x5D;
    case Qt::Key_Shift: return 0x10;
    case Qt::Key_Control: return 0x11;
    case Qt::Key_Alt: return 0x12;
    default: return 0;
  }
}

int Modifiers(const QKeyEvent& event) {
  int modifiers = 0;
  Qt::KeyboardModifiers held = event.modifiers();
  if ((held & Qt::ControlModifier) != 0) modifiers |= key::kCtrl;
  if ((held & Qt::ShiftModifier) != 0 || event.key() == Qt::Key_Backtab) modifiers |= key::kShift;
  if ((held & Qt::AltModifier) != 0) modifiers |= key::kAlt;
  return modifiers;
}

}  // namespace

// Sees every event first: keys for the program's widgets, focus and
// activation changes of its windows.
class QtWindowSystem::EventTap final : public QObject {
 public:
  explicit EventTap(QtWindowSystem& system) : system_(system) {}

  bool eventFilter(QObject* watched, QEvent* event) override {
    if (!watched->isWidgetType()) return false;
    switch (event->type()) {
      case QEvent::KeyPress: return system_.HoldKey(watched, static_cast<QKeyEvent*>(event));
      case QEvent::FocusIn:
      case QEvent::FocusOut:
        if (system_.by_widget_.count(watched) != 0)
          system_.Notify(event->type() == QEvent::FocusIn ? Notice::kGotFocus : Notice::kLostFocus,
                         static_cast<QWidget*>(watched));
        break;
      case QEvent::WindowActivate:
      case QEvent::WindowDeactivate: {
        auto it = system_.by_widget_.find(watched);
        if (it == system_.by_widget_.end() || system_.KindOf(it->second) != ControlKind::kFrame) break;
        bool active = event->type() == QEvent::WindowActivate;
        if (active) system_.active_ = it->second;
        system_.Notify(active ? Notice::kActivated : Notice::kDeactivated, static_cast<QWidget*>(watched));
        break;
      }
      default: break;
    }
    return false;
  }

 private:
  QtWindowSystem& system_;
};

// Receives the Qt events that carry posted messages, in whichever loop runs.
class QtWindowSystem::Postbox final : public QObject {
 public:
  explicit Postbox(QtWindowSystem& system) : system_(system) {}

  bool event(QEvent* event) override {
    if (event->type() == kWakeType) return true;
    if (event->type() != kPostedType) return QObject::event(event);
    auto it = system_.posted_.find(static_cast<PostedEvent*>(event)->serial);
    if (it == system_.posted_.end()) return true;
    Message message = it->second;
    system_.posted_.erase(it);
    if (system_.InOwnWait()) {
      system_.ready_.push_back(Ready{message, nullptr, nullptr});
    } else {
      system_.Deliver(message);  // a dialog's or a menu's own loop delivers it
    }
    return true;
  }

 private:
  QtWindowSystem& system_;
};

QtWindowSystem::QtWindowSystem() {
  instance_ = this;
  tap_ = std::make_unique<EventTap>(*this);
  postbox_ = std::make_unique<Postbox>(*this);
  if (QCoreApplication* app = QCoreApplication::instance()) app->installEventFilter(tap_.get());
}

QtWindowSystem::~QtWindowSystem() {
  if (QCoreApplication* app = QCoreApplication::instance()) app->removeEventFilter(tap_.get());
  listener_ = nullptr;
  for (auto& [handle, native] : windows_)
    if (native->kind == ControlKind::kFrame || native->kind == ControlKind::kHidden) delete native->widget.data();
  windows_.clear();
  by_widget_.clear();
  EmptyGraveyard();
  if (instance_ == this) instance_ = nullptr;
}

bool QtWindowSystem::InOwnWait() const {
  return !waits_.empty() && waits_.back().pumping && waits_.back().depth == depth_;
}

bool QtWindowSystem::WaitingInMessageLoop() const {
  // A pump that has just queued a message or the quit has work left: the
  // loop is not waiting until it has taken them.
  return InOwnWait() && !waits_.back().peek && !waits_.back().delivered && ready_.empty() && posted_.empty() &&
         !quit_pending_;
}

void QtWindowSystem::Wake() { QCoreApplication::postEvent(postbox_.get(), new QEvent(kWakeType)); }

bool QtWindowSystem::HoldKey(QObject* receiver, QKeyEvent* event) {
  if (redelivering_ > 0) return false;
  WindowHandle window = HandleOf(receiver);
  // Keys that reach a widget while a dialog's or a menu's own loop runs
  // go to it directly, as such a loop dispatches them.
  if (window == 0 || !InOwnWait()) return false;
  Ready held;
  held.message = Message{Notice::kKeyDown, window, VirtualKey(event->key()), Modifiers(*event)};
  held.key.reset(event->clone());
  held.receiver = receiver;
  ready_.push_back(std::move(held));
  event->accept();
  return true;
}

void QtWindowSystem::Pump(bool wait) {
  std::size_t level = waits_.size() - 1;
  waits_[level].pumping = true;
  QCoreApplication::processEvents(wait ? QEventLoop::WaitForMoreEvents : QEventLoop::AllEvents);
  waits_[level].pumping = false;
}

bool QtWindowSystem::TakeReady(Message* message) {
  if (ready_.empty()) return false;
  Ready next = std::move(ready_.front());
  ready_.pop_front();
  *message = next.message;
  if (next.key) last_key_ = std::move(next);
  return true;
}

bool QtWindowSystem::GetMessage(Message* message, void (*idle)(void*), void* context) {
  waits_.push_back(Waiting{depth_, false, false, false});
  struct Leave {
    std::vector<Waiting>& waits;
    ~Leave() { waits.pop_back(); }
  } leave{waits_};
  auto has_news = [&] { return !ready_.empty() || waits_.back().delivered || quit_pending_; };
  for (;;) {
    if (Application::DeliveryDepth() == 0) EmptyGraveyard();
    if (TakeReady(message)) return true;
    if (waits_.back().delivered) {
      *message = Message{Notice::kPosted, 0, 0, 0};  // nothing to dispatch; the runtime looks again
      return true;
    }
    if (quit_pending_) {
      quit_pending_ = false;
      return false;
    }
    Pump(false);  // whatever Qt has pending, without waiting
    if (has_news()) continue;
    // A message posted while that pump ran (an exit forwarded to the hidden
    // owner, a deferred close) waits in Qt's queue for the next pump: the
    // queue is not empty yet, so it is no time for idle work.
    if (!posted_.empty()) continue;
    if (idle != nullptr) idle(context);
    if (idle_hook_ != nullptr) idle_hook_(idle_context_);
    if (has_news()) continue;
    Pump(true);
  }
}

bool QtWindowSystem::PeekMessage(Message* message, bool* quit) {
  if (ready_.empty() && !quit_pending_) {
    waits_.push_back(Waiting{depth_, false, false, true});
    Pump(false);
    waits_.pop_back();
  }
  if (TakeReady(message)) return true;
  if (quit_pending_) {
    quit_pending_ = false;
    if (quit != nullptr) *quit = true;
  }
  return false;
}

void QtWindowSystem::DispatchMessage(const Message& message) {
  if (message.notice == Notice::kKeyDown && last_key_.key && last_key_.message.window == message.window &&
      last_key_.message.a == message.a) {
    Ready key = std::move(last_key_);
    last_key_ = Ready{};
    Redeliver(key);
    return;
  }
  Deliver(message);
}

void QtWindowSystem::Redeliver(Ready& key) {
  if (!key.receiver || !IsWindow(key.message.window)) return;
  // Tab belongs to the runtime's tab order: when it leaves the key, the
  // widget's own focus chain does not take it over.
  int code = key.key->key();
  if (code == Qt::Key_Tab || code == Qt::Key_Backtab) return;
  ++redelivering_;
  QCoreApplication::sendEvent(key.receiver.data(), key.key.get());
  --redelivering_;
}

void QtWindowSystem::Deliver(const Message& message) {
  if (listener_ == nullptr || !IsWindow(message.window)) return;
  if (InOwnWait()) waits_.back().delivered = true;
  ++depth_;
  listener_->OnNotice(message);
  --depth_;
}

void QtWindowSystem::PostMessage(const Message& message) {
  if (!IsWindow(message.window)) return;
  std::intptr_t serial = next_serial_++;
  posted_[serial] = message;
  QCoreApplication::postEvent(postbox_.get(), new PostedEvent(serial));
}

void QtWindowSystem::PostQuit(int) {
  quit_pending_ = true;
  Wake();
}

}  // namespace platform::qt
