// Windows and controls: creation, geometry, visibility, focus and
// activation, texts, edit rules, looks and list views. The message loop is
// in message_loop_qt.cpp, menus in menus_qt.cpp.
#include "platform/qt/window_system_qt.h"

#include <QApplication>
#include <QCursor>
#include <QFontMetrics>
#include <QGuiApplication>
#include <QHeaderView>
#include <QKeyEvent>
#include <QMenuBar>
#include <QPushButton>
#include <QScreen>
#include <QTextCursor>
#include <QWindow>

#include <algorithm>
#include <cstring>

#include "platform/qt/application_qt.h"
#include "platform/qt/edit_qt.h"
#include "platform/qt/native_qt.h"
#include "platform/qt/text_qt.h"
#include "platform/qt/widgets_qt.h"

namespace platform::qt {
namespace {

// The frame and title bar sizes of the system the templates were drawn on.
constexpr int kFixedFrame = 3, kSizingFrame = 4, kCaption = 19, kSmallCaption = 15, kClientEdge = 2;

Qt::Alignment HorizontalAlignment(int alignment) {
  return alignment == 1 ? Qt::AlignHCenter : alignment == 2 ? Qt::AlignRight : Qt::AlignLeft;
}

QRect QRectOf(const Rect& r) { return QRect(r.left, r.top, std::max(r.width, 0), std::max(r.height, 0)); }

QChar MaskCharacter(char c) {
  auto byte = static_cast<unsigned char>(c);
  return byte >= 0x21 && byte < 0x7F ? QChar(static_cast<char16_t>(byte)) : QChar(u'*');
}

}  // namespace

NonClient FrameDecorations(const FrameStyle& style) {
  if (!style.framed) return {};
  int border = style.sizing ? kSizingFrame : kFixedFrame;
  if (style.sunken_client) border += kClientEdge;
  int caption = style.title_bar ? (style.tool_window ? kSmallCaption : kCaption) : 0;
  return NonClient{border, border + caption, border, border};
}

QtWindowSystem* QtWindowSystem::instance_ = nullptr;

QtWindowSystem* QtWindowSystem::Instance() { return instance_; }

QtWindowSystem& NativeWindowSystem() {
  static QtWindowSystem system;
  return system;
}

QtWindowSystem::Native* QtWindowSystem::Get(WindowHandle window) {
  auto it = windows_.find(window);
  return it == windows_.end() ? nullptr : it->second.get();
}

const QtWindowSystem::Native* QtWindowSystem::Find(WindowHandle window) const {
  auto it = windows_.find(window);
  return it == windows_.end() ? nullptr : it->second.get();
}

QWidget* QtWindowSystem::WidgetOf(WindowHandle window) const {
  const Native* native = Find(window);
  return native != nullptr ? native->widget.data() : nullptr;
}

QWidget* QtWindowSystem::ClientWidgetOf(WindowHandle window) {
  Native* native = Get(window);
  return native != nullptr ? ClientOf(*native) : nullptr;
}

WindowHandle QtWindowSystem::HandleOf(const QObject* object) const {
  for (; object != nullptr; object = object->parent()) {
    auto it = by_widget_.find(object);
    if (it != by_widget_.end()) return it->second;
  }
  return 0;
}

std::optional<ControlKind> QtWindowSystem::KindOf(WindowHandle window) const {
  const Native* native = Find(window);
  return native != nullptr ? std::optional<ControlKind>(native->kind) : std::nullopt;
}

WindowHandle QtWindowSystem::Add(Native native) {
  WindowHandle handle = next_handle_++;
  native.handle = handle;
  if (native.widget) by_widget_[native.widget.data()] = handle;
  windows_[handle] = std::make_unique<Native>(std::move(native));
  return handle;
}

QWidget* QtWindowSystem::ClientOf(Native& native) {
  if (native.kind == ControlKind::kFrame) return native.client.data();
  return native.widget.data();
}

QWidget* QtWindowSystem::ClientAreaOf(WindowHandle frame) const {
  const Native* native = Find(frame);
  return native != nullptr && native->kind == ControlKind::kFrame ? native->client.data() : nullptr;
}

bool QtWindowSystem::DragsByClientArea(const QWidget* frame) const {
  const Native* native = Find(HandleOf(frame));
  return native != nullptr && native->kind == ControlKind::kFrame && native->widget == frame &&
         native->frame.drag_by_client;
}

// ---------------------------------------------------------------- creation

WindowHandle QtWindowSystem::Create(const CreateParams& params) {
  Native native;
  native.kind = params.kind;
  QWidget* made = nullptr;
  switch (params.kind) {
    case ControlKind::kHidden:
      // Never shown; it owns windows and takes posted messages.
      made = new QWidget;
      break;
    case ControlKind::kFrame:
      if (params.owner != 0 && !IsWindow(params.owner)) return 0;
      made = CreateFrame(params, native);
      break;
    default: {
      Native* parent = Get(params.parent);
      if (parent == nullptr || parent->kind == ControlKind::kHidden) return 0;
      made = CreateControl(params, native, ClientOf(*parent));
      native.parent = params.parent;
      break;
    }
  }
  if (made == nullptr) return 0;
  native.widget = made;
  if (params.disabled) made->setEnabled(false);
  return Add(std::move(native));
}

QWidget* QtWindowSystem::CreateFrame(const CreateParams& params, Native& native) {
  auto* frame = new FrameWidget(*this);
  frame->setWindowTitle(FromGbk(params.text));
  frame->setFont(DefaultFont());
  native.frame = params.frame;
  native.pending_state = params.frame.initial_state;
  native.owner = params.owner;
  native.outer = params.rect;
  auto* client = new ClientWidget(frame);
  client->SetBackground(params.look.background);
  native.client = client;
  native.widget = frame;
  ApplyFrameFlags(native);
  if (params.frame.centered) {
    QScreen* screen = QGuiApplication::primaryScreen();
    QRect area = screen != nullptr ? screen->availableGeometry() : QRect(0, 0, 1024, 768);
    native.outer.left = area.left() + (area.width() - native.outer.width) / 2;
    native.outer.top = area.top() + (area.height() - native.outer.height) / 2;
  }
  frame->move(native.outer.left, native.outer.top);
  LayOutFrame(native);
  return frame;
}

QWidget* QtWindowSystem::CreateControl(const CreateParams& params, Native& native, QWidget* parent) {
  QWidget* control = nullptr;
  const ControlLook& look = params.look;
  switch (params.kind) {
    case ControlKind::kEdit: {
      if (look.multi_line) {
        auto* edit = new TextEdit(parent);
        edit->SetText(FromGbk(params.text));
        edit->setLineWrapMode(look.scroll_bars == ScrollBars::kHorizontal || look.scroll_bars == ScrollBars::kBoth ? QPlainTextEdit::NoWrap
                                                                             : QPlainTextEdit::WidgetWidth);
        edit->setVerticalScrollBarPolicy(look.scroll_bars >= ScrollBars::kVertical ? Qt::ScrollBarAlwaysOn : Qt::ScrollBarAlwaysOff);
        edit->setHorizontalScrollBarPolicy(look.scroll_bars == ScrollBars::kHorizontal || look.scroll_bars == ScrollBars::kBoth ? Qt::ScrollBarAlwaysOn
                                                                                          : Qt::ScrollBarAlwaysOff);
        edit->on_refused = [this] { Refused(); };
        QObject::connect(edit, &QPlainTextEdit::textChanged, edit, [this, edit] {
          if (suppress_text_change_ == 0) Notify(Notice::kTextChanged, edit);
        });
        control = edit;
      } else {
        auto* edit = new LineEdit(parent);
        edit->setText(FromGbk(params.text));
        edit->on_refused = [this] { Refused(); };
        QObject::connect(edit, &QLineEdit::textChanged, edit, [this, edit] {
          if (suppress_text_change_ == 0) Notify(Notice::kTextChanged, edit);
        });
        control = edit;
      }
      control->setFocusPolicy(Qt::StrongFocus);
      break;
    }
    case ControlKind::kLabel: {
      auto* label = new LabelWidget(parent);
      label->SetText(FromGbk(params.text));
      control = label;
      break;
    }
    case ControlKind::kButton: {
      auto* button = new QPushButton(FromGbk(params.text), parent);
      button->setAutoDefault(false);
      button->setFocusPolicy(Qt::StrongFocus);
      QObject::connect(button, &QPushButton::clicked, button, [this, button] { Notify(Notice::kClicked, button); });
      control = button;
      break;
    }
    case ControlKind::kListView:
      control = new ListWidget(*this, parent, look);
      break;
    default:
      return nullptr;
  }
  native.look = look;
  native.widget = control;
  // Made hidden, as the system makes controls; the runtime shows them.
  control->setVisible(false);
  control->setGeometry(QRectOf(params.rect));
  ApplyLook(native);
  return control;
}

void QtWindowSystem::ApplyFrameFlags(Native& native) {
  QWidget* frame = native.widget.data();
  const FrameStyle& style = native.frame;
  Qt::WindowFlags flags = style.tool_window ? Qt::Tool : Qt::Window;
  flags |= Qt::CustomizeWindowHint;
  if (!style.framed) {
    flags |= Qt::FramelessWindowHint;
  } else {
    if (style.title_bar) flags |= Qt::WindowTitleHint;
    if (style.title_bar && style.system_menu) flags |= Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint;
    if (style.minimize_box) flags |= Qt::WindowMinimizeButtonHint;
    if (style.maximize_box) flags |= Qt::WindowMaximizeButtonHint;
  }
  if (style.topmost) flags |= Qt::WindowStaysOnTopHint;
  if (frame->windowFlags() == flags) return;
  bool visible = frame->isVisible();
  frame->setWindowFlags(flags);  // hides a shown window
  if (visible) frame->show();
}

void QtWindowSystem::LayOutFrame(Native& native) {
  auto* frame = native.widget.data();
  if (frame == nullptr) return;
  NonClient around = FrameDecorations(native.frame);
  QSize inner(std::max(native.outer.width - around.left - around.right, 1),
              std::max(native.outer.height - around.top - around.bottom, 1));
  if (native.frame.sizing) {
    frame->setMinimumSize(1, 1);
    frame->setMaximumSize(QWIDGETSIZE_MAX, QWIDGETSIZE_MAX);
    frame->resize(inner);
  } else {
    frame->setFixedSize(inner);
  }
  int menu_height = 0;
  if (native.menu_bar) {
    menu_height = native.menu_bar->sizeHint().height();
    native.menu_bar->setGeometry(0, 0, inner.width(), menu_height);
  }
  // The outer size stays what the template says; a menu bar takes its room
  // from the client area.
  native.client->setGeometry(0, menu_height, inner.width(), std::max(inner.height() - menu_height, 0));
}

// ---------------------------------------------------------------- spin controls

namespace {
constexpr int kSpinWidth = 16;
}  // namespace

void QtWindowSystem::SetEditSpin(WindowHandle edit, const EditSpin& spin) {
  Native* native = Get(edit);
  if (native == nullptr || native->kind != ControlKind::kEdit || !native->widget) return;
  if (!spin.present) {
    DropSpin(*native);
    return;
  }
  if (native->spin) return;  // the range is the program's: the control only reports presses
  QWidget* box = native->widget.data();
  auto* made = new SpinWidget(*this, box);
  made->setEnabled(!box->testAttribute(Qt::WA_ForceDisabled));
  made->setVisible(!box->isHidden());
  native->spin = made;
  PlaceSpin(*native);
}

void QtWindowSystem::PlaceSpin(Native& edit) {
  if (!edit.spin || !edit.widget) return;
  const QRect box = edit.widget->geometry();
  edit.spin->setGeometry(box.right() + 1, box.top(), kSpinWidth, box.height());
}

void QtWindowSystem::DropSpin(Native& edit) {
  if (!edit.spin) return;
  // Deleted with the box's widgets, once no event is being delivered (the
  // press being handled may be what destroys the box).
  edit.spin->hide();
  graveyard_.push_back(edit.spin);
  edit.spin = nullptr;
}

// ---------------------------------------------------------------- destruction

void QtWindowSystem::Destroy(WindowHandle window) {
  if (!IsWindow(window)) return;
  // Hiding the focused unit would hand the focus on to the next unit of the
  // same window, which is going too, and run its handlers while its window
  // is being destroyed: the focus leaves the window first.
  if (QWidget* widget = WidgetOf(window)) {
    QWidget* focus = QApplication::focusWidget();
    if (focus != nullptr && (focus == widget || widget->isAncestorOf(focus))) focus->clearFocus();
  }
  DestroyTree(window);
}

void QtWindowSystem::DestroyTree(WindowHandle window) {
  // Children and owned windows go first, as the system destroys them.
  std::vector<WindowHandle> dependants;
  for (const auto& [handle, native] : windows_)
    if (native->parent == window || native->owner == window) dependants.push_back(handle);
  for (WindowHandle handle : dependants)
    if (IsWindow(handle)) DestroyTree(handle);
  auto it = windows_.find(window);
  if (it == windows_.end()) return;
  std::unique_ptr<Native> native = std::move(it->second);
  windows_.erase(it);
  DropSpin(*native);
  if (native->widget) {
    by_widget_.erase(native->widget.data());
    // Deleted once no event is being delivered (a button may be destroyed
    // by its own click); until then it is hidden and no longer reports.
    native->widget->hide();
    graveyard_.push_back(native->widget);
  }
  if (active_ == window) active_ = 0;
  if (last_key_.message.window == window) last_key_ = Ready{};
  if (listener_ != nullptr) {
    ++depth_;
    listener_->OnNotice(Message{Notice::kDestroyed, window, 0, 0});
    --depth_;
  }
}

void QtWindowSystem::EmptyGraveyard() {
  std::vector<QPointer<QWidget>> dead;
  dead.swap(graveyard_);
  for (QPointer<QWidget>& widget : dead) {
    if (!widget) continue;
    // Without the Application nothing counts event deliveries: Qt's own
    // deferred deletion is the safe way then.
    if (Application::Instance() != nullptr) {
      delete widget.data();
    } else {
      widget->deleteLater();
    }
  }
}

bool QtWindowSystem::IsWindow(WindowHandle window) { return window != 0 && Find(window) != nullptr; }

// ---------------------------------------------------------------- texts and geometry

void QtWindowSystem::SetText(WindowHandle window, const std::string& text) {
  Native* native = Get(window);
  if (native == nullptr || !native->widget) return;
  QString shown = FromGbk(text);
  QWidget* widget = native->widget.data();
  ++suppress_text_change_;
  switch (native->kind) {
    case ControlKind::kFrame: widget->setWindowTitle(shown); break;
    case ControlKind::kEdit:
      if (auto* line = qobject_cast<QLineEdit*>(widget)) {
        line->setText(shown);
        line->setCursorPosition(0);  // a new text puts the caret at its start, as on every desktop
      }
      if (auto* multi = qobject_cast<QPlainTextEdit*>(widget)) static_cast<TextEdit*>(multi)->SetText(shown);
      break;
    case ControlKind::kLabel: static_cast<LabelWidget*>(widget)->SetText(shown); break;
    case ControlKind::kButton: static_cast<QPushButton*>(widget)->setText(shown); break;
    default: break;
  }
  --suppress_text_change_;
  shown.fill(u' ');
}

std::string QtWindowSystem::GetText(WindowHandle window) {
  Native* native = Get(window);
  if (native == nullptr || !native->widget) return std::string();
  QWidget* widget = native->widget.data();
  QString text;
  switch (native->kind) {
    case ControlKind::kFrame: text = widget->windowTitle(); break;
    case ControlKind::kEdit:
      if (auto* line = qobject_cast<QLineEdit*>(widget)) text = line->text();
      if (auto* multi = qobject_cast<QPlainTextEdit*>(widget)) text = static_cast<TextEdit*>(multi)->Text();
      break;
    case ControlKind::kLabel: text = static_cast<LabelWidget*>(widget)->text(); break;
    case ControlKind::kButton: text = static_cast<QPushButton*>(widget)->text(); break;
    default: break;
  }
  std::string gbk = ToGbk(text);
  text.fill(u' ');
  return gbk;
}

void QtWindowSystem::SetRect(WindowHandle window, const Rect& rect) {
  Native* native = Get(window);
  if (native == nullptr || !native->widget || native->kind == ControlKind::kHidden) return;
  if (native->kind == ControlKind::kFrame) {
    native->outer = rect;
    native->widget->move(rect.left, rect.top);
    LayOutFrame(*native);
    return;
  }
  native->widget->setGeometry(QRectOf(rect));
  PlaceSpin(*native);
}

Rect QtWindowSystem::GetRect(WindowHandle window) {
  const Native* native = Find(window);
  if (native == nullptr || !native->widget) return Rect{};
  const QWidget* widget = native->widget.data();
  if (native->kind == ControlKind::kHidden) return Rect{};
  if (native->kind == ControlKind::kFrame) {
    NonClient around = FrameDecorations(native->frame);
    QPoint at = widget->pos();
    return Rect{at.x(), at.y(), widget->width() + around.left + around.right,
                widget->height() + around.top + around.bottom};
  }
  QRect r = widget->geometry();
  return Rect{r.x(), r.y(), r.width(), r.height()};
}

// ---------------------------------------------------------------- visibility and state

void QtWindowSystem::Show(WindowHandle window, bool visible, bool activate) {
  Native* native = Get(window);
  if (native == nullptr || !native->widget || native->kind == ControlKind::kHidden) return;
  QWidget* widget = native->widget.data();
  if (native->spin) native->spin->setVisible(visible);
  if (!visible) {
    widget->hide();
    if (active_ == window) active_ = 0;
    return;
  }
  if (native->kind != ControlKind::kFrame) {
    widget->show();
    return;
  }
  // Shown without taking the activation unless asked to.
  widget->setAttribute(Qt::WA_ShowWithoutActivating, !activate);
  if (!native->shown_once) {
    native->shown_once = true;
    KeepAboveOwner(*native);
    if (native->pending_state == ShowState::kMinimized) {
      widget->showMinimized();
      return;
    }
    if (native->pending_state == ShowState::kMaximized) {
      widget->showMaximized();
    } else {
      widget->show();
    }
  } else {
    widget->show();
  }
  if (activate) Activate(window);
}

void QtWindowSystem::KeepAboveOwner(Native& native) {
  // An owned window stays above its owner, as owned windows do on Windows;
  // one owned by the hidden owner (a modal window) stays above the window
  // that was active when it came, so clicking the disabled window behind
  // does not bury it.
  WindowHandle over = KindOf(native.owner) == ControlKind::kFrame ? native.owner : active_;
  QWidget* below = over != native.handle ? WidgetOf(over) : nullptr;
  if (below == nullptr || !below->isVisible()) return;
  native.widget->winId();  // the system window, to tell the window manager
  if (QWindow* window = native.widget->windowHandle()) window->setTransientParent(below->windowHandle());
}

void QtWindowSystem::SetShowState(WindowHandle window, ShowState state) {
  Native* native = Get(window);
  if (native == nullptr || native->kind != ControlKind::kFrame || !native->widget) return;
  QWidget* widget = native->widget.data();
  if (!widget->isVisible()) {
    native->pending_state = state;
    native->shown_once = false;
    return;
  }
  if (state == ShowState::kMinimized) widget->showMinimized();
  if (state == ShowState::kMaximized) widget->showMaximized();
  if (state == ShowState::kNormal) widget->showNormal();
}

ShowState QtWindowSystem::GetShowState(WindowHandle window) {
  const Native* native = Find(window);
  if (native == nullptr || !native->widget) return ShowState::kNormal;
  const QWidget* widget = native->widget.data();
  if (native->kind == ControlKind::kFrame && !widget->isVisible() && !native->shown_once) return native->pending_state;
  if (widget->isMinimized()) return ShowState::kMinimized;
  if (widget->isMaximized()) return ShowState::kMaximized;
  return ShowState::kNormal;
}

bool QtWindowSystem::IsVisible(WindowHandle window) {
  const Native* native = Find(window);
  return native != nullptr && native->widget && native->kind != ControlKind::kHidden && native->widget->isVisible();
}

void QtWindowSystem::Enable(WindowHandle window, bool enabled) {
  Native* native = Get(window);
  if (native == nullptr || !native->widget) return;
  native->widget->setEnabled(enabled);
  if (native->spin) native->spin->setEnabled(enabled);
}

bool QtWindowSystem::IsEnabled(WindowHandle window) {
  // The window's own state, not its parents'.
  const Native* native = Find(window);
  return native != nullptr && native->widget && !native->widget->testAttribute(Qt::WA_ForceDisabled);
}

void QtWindowSystem::SetParent(WindowHandle window, WindowHandle parent) {
  Native* native = Get(window);
  Native* holder = Get(parent);
  if (native == nullptr || holder == nullptr || !native->widget) return;
  if (native->kind == ControlKind::kFrame || native->kind == ControlKind::kHidden || holder->kind == ControlKind::kHidden)
    return;
  QWidget* widget = native->widget.data();
  bool shown = !widget->isHidden();
  QRect at = widget->geometry();
  widget->setParent(ClientOf(*holder));
  widget->setGeometry(at);
  if (shown) widget->show();  // a new parent hides a widget; the system keeps it as it was
  native->parent = parent;
  if (native->spin) {
    native->spin->setParent(widget->parentWidget());
    PlaceSpin(*native);
    native->spin->setVisible(shown);
  }
}

WindowHandle QtWindowSystem::GetParent(WindowHandle window) {
  const Native* native = Find(window);
  return native != nullptr ? native->parent : 0;
}

WindowHandle QtWindowSystem::GetOwner(WindowHandle window) {
  const Native* native = Find(window);
  return native != nullptr ? native->owner : 0;
}

void QtWindowSystem::PlaceAfter(WindowHandle window, WindowHandle after) {
  Native* native = Get(window);
  if (native == nullptr || !native->widget || native->kind == ControlKind::kFrame) return;
  if (after == 0) {
    native->widget->raise();
  } else if (QWidget* above = WidgetOf(after); above != nullptr && above->parent() == native->widget->parent()) {
    native->widget->stackUnder(above);
  }
}

void QtWindowSystem::SetFrameStyle(WindowHandle window, const FrameStyle& style) {
  Native* native = Get(window);
  if (native == nullptr || native->kind != ControlKind::kFrame) return;
  native->outer = GetRect(window);  // the outer rectangle stays
  native->frame = style;
  ApplyFrameFlags(*native);
  LayOutFrame(*native);
}

void QtWindowSystem::SetTopmost(WindowHandle window, bool topmost) {
  Native* native = Get(window);
  if (native == nullptr || native->kind != ControlKind::kFrame) return;
  native->frame.topmost = topmost;
  ApplyFrameFlags(*native);
}

bool QtWindowSystem::IsTopmost(WindowHandle window) {
  const Native* native = Find(window);
  return native != nullptr && native->kind == ControlKind::kFrame && native->frame.topmost;
}

// ---------------------------------------------------------------- focus and activation

void QtWindowSystem::SetFocus(WindowHandle window) {
  if (window == 0) {
    if (QWidget* focus = QApplication::focusWidget(); focus != nullptr && HandleOf(focus) != 0) focus->clearFocus();
    return;
  }
  Native* native = Get(window);
  if (native == nullptr || !native->widget || native->kind == ControlKind::kHidden) return;
  native->widget->setFocus(Qt::OtherFocusReason);
}

WindowHandle QtWindowSystem::GetFocus() {
  // The focus of the active window, even while the window manager has not
  // yet told Qt of the activation the program asked for.
  if (const Native* active = Find(active_); active != nullptr && active->widget) {
    QWidget* focus = active->widget->focusWidget();
    WindowHandle handle = focus != nullptr ? HandleOf(focus) : 0;
    return handle != 0 ? handle : active_;
  }
  return HandleOf(QApplication::focusWidget());
}

void QtWindowSystem::Activate(WindowHandle window) {
  Native* native = Get(window);
  if (native == nullptr || native->kind != ControlKind::kFrame || !native->widget) return;
  // Offscreen there is no stacking to change (the platform says so on
  // every call).
  static const bool stacks = QGuiApplication::platformName() != QStringLiteral("offscreen");
  if (stacks) native->widget->raise();
  native->widget->activateWindow();
  active_ = window;
}

WindowHandle QtWindowSystem::GetActive() { return IsWindow(active_) ? active_ : 0; }

void QtWindowSystem::CursorPosition(int* x, int* y) {
  QPoint at = context_point_ ? *context_point_ : QCursor::pos();
  *x = at.x();
  *y = at.y();
}

void QtWindowSystem::ScreenSize(int* width, int* height) {
  QScreen* screen = QGuiApplication::primaryScreen();
  QRect area = screen != nullptr ? screen->geometry() : QRect(0, 0, 1024, 768);
  *width = area.width();
  *height = area.height();
}

int QtWindowSystem::FontLineHeight(const std::string& font) {
  return QFontMetrics(DescribedFont(font)).height();
}

// ---------------------------------------------------------------- controls

void QtWindowSystem::SetEditRules(WindowHandle window, const EditRules& rules) {
  Native* native = Get(window);
  if (native == nullptr || native->kind != ControlKind::kEdit || !native->widget) return;
  native->rules = rules;
  EditBoxRules box;
  box.max_bytes = rules.max_bytes;
  box.insert.multi_line = rules.multi_line;
  box.insert.case_mode = rules.case_mode;
  if (rules.digits_only) box.insert.accepts = [](char32_t c) { return c == U'-' || (c >= U'0' && c <= U'9'); };
  box.input_method = rules.input_method;
  QWidget* widget = native->widget.data();
  if (auto* line = qobject_cast<QLineEdit*>(widget)) {
    auto* edit = static_cast<LineEdit*>(line);
    edit->setReadOnly(rules.read_only);
    edit->SetEchoPassword(rules.password, MaskCharacter(rules.password_char));
    box.insert.multi_line = false;
    edit->SetRules(box);
  } else if (auto* multi = qobject_cast<QPlainTextEdit*>(widget)) {
    auto* edit = static_cast<TextEdit*>(multi);
    edit->setReadOnly(rules.read_only);
    box.insert.multi_line = true;
    edit->SetRules(box);
  }
  ApplyLook(*native);  // read-only boxes are drawn on the window colour
}

namespace {

// The index into an edit widget's text (line breaks as "\n") of a GBK byte
// offset (a line break counting two), rounded down to a character's start.
int WidgetIndexOf(QStringView text, int offset) {
  qsizetype at = 0;
  int bytes = 0;
  while (at < text.size()) {
    const qsizetype units = text[at].isHighSurrogate() && at + 1 < text.size() ? 2 : 1;
    const int width = GbkLength(text.mid(at, units));
    if (bytes + width > offset) break;
    bytes += width;
    at += units;
  }
  return static_cast<int>(at);
}

}  // namespace

void QtWindowSystem::SetEditSelection(WindowHandle window, int start, int length) {
  Native* native = Get(window);
  if (native == nullptr || native->kind != ControlKind::kEdit || !native->widget) return;
  QWidget* widget = native->widget.data();
  if (auto* line = qobject_cast<QLineEdit*>(widget)) {
    const QString text = line->text();
    const int from = WidgetIndexOf(text, std::max(start, 0));
    const int to = from + WidgetIndexOf(QStringView(text).mid(from), std::max(length, 0));
    line->setSelection(from, to - from);
  } else if (auto* multi = qobject_cast<QPlainTextEdit*>(widget)) {
    const QString text = multi->toPlainText();
    const int from = WidgetIndexOf(text, std::max(start, 0));
    const int to = from + WidgetIndexOf(QStringView(text).mid(from), std::max(length, 0));
    QTextCursor cursor = multi->textCursor();
    cursor.setPosition(from);
    cursor.setPosition(to, QTextCursor::KeepAnchor);
    multi->setTextCursor(cursor);
    multi->ensureCursorVisible();
  }
}

void QtWindowSystem::GetEditSelection(WindowHandle window, int* start, int* length) {
  *start = *length = 0;
  Native* native = Get(window);
  if (native == nullptr || native->kind != ControlKind::kEdit || !native->widget) return;
  QWidget* widget = native->widget.data();
  QString text;
  int from = 0, to = 0;
  if (auto* line = qobject_cast<QLineEdit*>(widget)) {
    text = line->text();
    from = line->hasSelectedText() ? line->selectionStart() : line->cursorPosition();
    to = line->hasSelectedText() ? line->selectionEnd() : from;
  } else if (auto* multi = qobject_cast<QPlainTextEdit*>(widget)) {
    text = multi->toPlainText();
    from = multi->textCursor().selectionStart();
    to = multi->textCursor().selectionEnd();
  }
  *start = GbkLength(QStringView(text).left(from));
  *length = GbkLength(QStringView(text).mid(from, to - from));
  text.fill(u' ');  // may be a password
}

void QtWindowSystem::SetDefaultButton(WindowHandle window, bool is_default) {
  Native* native = Get(window);
  if (native == nullptr || native->kind != ControlKind::kButton || !native->widget) return;
  static_cast<QPushButton*>(native->widget.data())->setDefault(is_default);
}

void QtWindowSystem::SetLook(WindowHandle window, const ControlLook& look) {
  Native* native = Get(window);
  if (native == nullptr || native->kind == ControlKind::kHidden) return;
  if (native->kind == ControlKind::kFrame) {
    native->look.background = look.background;
    if (native->client) static_cast<ClientWidget*>(native->client.data())->SetBackground(look.background);
    return;
  }
  native->look = look;
  ApplyLook(*native);
}

void QtWindowSystem::ApplyLook(Native& native) {
  QWidget* widget = native.widget.data();
  if (widget == nullptr) return;
  const ControlLook& look = native.look;
  widget->setFont(look.font.empty() ? DefaultFont() : DescribedFont(look.font));
  switch (native.kind) {
    case ControlKind::kLabel: static_cast<LabelWidget*>(widget)->SetLook(look); break;
    case ControlKind::kListView: static_cast<ListWidget*>(widget)->SetLook(look); break;
    case ControlKind::kButton: {
      QPalette colours = QApplication::palette(widget);
      if (look.text_colour != kSystemColour) colours.setColor(QPalette::ButtonText, ColourOf(look.text_colour));
      widget->setPalette(colours);
      break;
    }
    case ControlKind::kEdit: {
      QPalette colours = QApplication::palette(widget);
      if (look.text_colour != kSystemColour) colours.setColor(QPalette::Text, ColourOf(look.text_colour));
      if (native.rules.read_only) {
        colours.setColor(QPalette::Base, colours.color(QPalette::Window));
      } else if (look.background != kSystemColour) {
        colours.setColor(QPalette::Base, ColourOf(look.background));
      }
      widget->setPalette(colours);
      if (auto* line = qobject_cast<QLineEdit*>(widget)) {
        line->setFrame(look.border != Border::kNone);
        line->setAlignment(HorizontalAlignment(look.horizontal_align) | Qt::AlignVCenter);
      } else if (auto* multi = qobject_cast<QPlainTextEdit*>(widget)) {
        multi->setFrameShape(look.border == Border::kNone ? QFrame::NoFrame : QFrame::StyledPanel);
      }
      break;
    }
    default: break;
  }
}

// ---------------------------------------------------------------- list views

namespace {

ListWidget* ListOf(QWidget* widget) { return static_cast<ListWidget*>(widget); }

}  // namespace

void QtWindowSystem::ListInsertColumn(WindowHandle window, int index, const std::string& title, int width,
                                      int alignment) {
  Native* native = Get(window);
  if (native == nullptr || native->kind != ControlKind::kListView || !native->widget) return;
  ListWidget* list = ListOf(native->widget.data());
  int at = std::clamp(index, 0, list->columnCount());
  list->insertColumn(at);
  auto* header = new QTableWidgetItem(FromGbk(title));
  header->setTextAlignment(HorizontalAlignment(alignment) | Qt::AlignVCenter);
  list->setHorizontalHeaderItem(at, header);
  list->setColumnWidth(at, std::max(width, 0));
  native->column_alignment.insert(native->column_alignment.begin() + std::min<std::size_t>(at, native->column_alignment.size()),
                                  alignment);
}

int QtWindowSystem::ListInsertRow(WindowHandle window, int position, const std::string& caption) {
  Native* native = Get(window);
  if (native == nullptr || native->kind != ControlKind::kListView || !native->widget) return -1;
  ListWidget* list = ListOf(native->widget.data());
  int at = std::clamp(position, 0, list->rowCount());
  list->insertRow(at);
  if (list->columnCount() > 0) {
    auto* cell = new QTableWidgetItem(FromGbk(caption));
    cell->setTextAlignment(Qt::AlignLeft | Qt::AlignVCenter);  // the first column is always left-aligned
    if (list->check_boxes()) cell->setCheckState(Qt::Unchecked);  // set before it is in the list: no toggle
    list->setItem(at, 0, cell);
  }
  return at;
}

bool QtWindowSystem::ListDeleteRow(WindowHandle window, int row) {
  Native* native = Get(window);
  if (native == nullptr || native->kind != ControlKind::kListView || !native->widget) return false;
  ListWidget* list = ListOf(native->widget.data());
  if (row < 0 || row >= list->rowCount()) return false;
  // The row's selection and focus go with it; no neighbour takes them over.
  QItemSelectionModel* selection = list->selectionModel();
  if (selection->currentIndex().row() == row) selection->setCurrentIndex(QModelIndex(), QItemSelectionModel::NoUpdate);
  selection->select(list->model()->index(row, 0), QItemSelectionModel::Deselect | QItemSelectionModel::Rows);
  list->removeRow(row);
  return true;
}

void QtWindowSystem::ListDeleteAllRows(WindowHandle window) {
  Native* native = Get(window);
  if (native != nullptr && native->kind == ControlKind::kListView && native->widget)
    ListOf(native->widget.data())->setRowCount(0);
}

int QtWindowSystem::ListRowCount(WindowHandle window) {
  Native* native = Get(window);
  if (native == nullptr || native->kind != ControlKind::kListView || !native->widget) return 0;
  return ListOf(native->widget.data())->rowCount();
}

bool QtWindowSystem::ListSetCell(WindowHandle window, int row, int column, const std::string& text) {
  Native* native = Get(window);
  if (native == nullptr || native->kind != ControlKind::kListView || !native->widget) return false;
  ListWidget* list = ListOf(native->widget.data());
  if (row < 0 || column < 0 || row >= list->rowCount() || column >= list->columnCount()) return false;
  QTableWidgetItem* cell = list->item(row, column);
  if (cell == nullptr) {
    cell = new QTableWidgetItem;
    int alignment = column > 0 && static_cast<std::size_t>(column) < native->column_alignment.size()
                        ? native->column_alignment[static_cast<std::size_t>(column)]
                        : 0;
    cell->setTextAlignment(HorizontalAlignment(alignment) | Qt::AlignVCenter);
    list->setItem(row, column, cell);
  }
  cell->setText(FromGbk(text));
  return true;
}

int QtWindowSystem::ListGetCell(WindowHandle window, int row, int column, char* buffer, int capacity) {
  if (capacity <= 0) return 0;
  buffer[0] = '\0';
  Native* native = Get(window);
  if (native == nullptr || native->kind != ControlKind::kListView || !native->widget) return 0;
  ListWidget* list = ListOf(native->widget.data());
  if (row < 0 || column < 0 || row >= list->rowCount() || column >= list->columnCount()) return 0;
  QTableWidgetItem* cell = list->item(row, column);
  if (cell == nullptr) return 0;
  std::string text = ToGbk(cell->text());
  int n = std::min(static_cast<int>(text.size()), capacity - 1);
  std::memcpy(buffer, text.data(), static_cast<std::size_t>(n));
  buffer[n] = '\0';
  std::fill(text.begin(), text.end(), '\0');
  return n;
}

void QtWindowSystem::ListSetRowState(WindowHandle window, int row, bool selected, bool focused) {
  Native* native = Get(window);
  if (native == nullptr || native->kind != ControlKind::kListView || !native->widget) return;
  ListWidget* list = ListOf(native->widget.data());
  if (row < 0 || row >= list->rowCount()) return;
  QModelIndex index = list->model()->index(row, 0);
  QItemSelectionModel* selection = list->selectionModel();
  selection->select(index, (selected ? QItemSelectionModel::Select : QItemSelectionModel::Deselect) |
                               QItemSelectionModel::Rows);
  if (focused) {
    selection->setCurrentIndex(index, QItemSelectionModel::NoUpdate);
    list->scrollTo(index);
  } else if (selection->currentIndex().row() == row) {
    selection->setCurrentIndex(QModelIndex(), QItemSelectionModel::NoUpdate);
  }
}

int QtWindowSystem::ListFirstSelected(WindowHandle window) {
  Native* native = Get(window);
  if (native == nullptr || native->kind != ControlKind::kListView || !native->widget) return -1;
  return ListOf(native->widget.data())->FirstSelectedRow();
}

bool QtWindowSystem::ListRowChecked(WindowHandle window, int row) {
  Native* native = Get(window);
  if (native == nullptr || native->kind != ControlKind::kListView || !native->widget) return false;
  ListWidget* list = ListOf(native->widget.data());
  if (!list->check_boxes() || row < 0 || row >= list->rowCount()) return false;
  const QTableWidgetItem* cell = list->item(row, 0);
  return cell != nullptr && cell->checkState() == Qt::Checked;
}

// ---------------------------------------------------------------- notices

void QtWindowSystem::Notify(Notice notice, const QWidget* widget, std::intptr_t a, std::intptr_t b) {
  auto it = by_widget_.find(widget);
  if (it != by_widget_.end()) Deliver(Message{notice, it->second, a, b});
}

bool QtWindowSystem::Ask(Notice notice, const QWidget* widget, std::intptr_t a, const std::string* text) {
  bool refused = false;
  auto it = by_widget_.find(widget);
  if (it != by_widget_.end()) Deliver(Message{notice, it->second, a, 0, text, &refused});
  return refused;
}

void QtWindowSystem::Post(Notice notice, const QWidget* widget, std::intptr_t a) {
  auto it = by_widget_.find(widget);
  if (it != by_widget_.end()) PostMessage(Message{notice, it->second, a, 0});
}

void QtWindowSystem::NotifyAt(Notice notice, const QWidget* widget, QPoint global) {
  std::optional<QPoint> before = context_point_;
  context_point_ = global;
  Notify(notice, widget);
  context_point_ = before;
}

void QtWindowSystem::Refused() {
  ++refusals_;
  QApplication::beep();
}

QtWindowSystem::ForeignLoop::ForeignLoop() {
  if (instance_ != nullptr) ++instance_->depth_;
}

QtWindowSystem::ForeignLoop::~ForeignLoop() {
  if (instance_ != nullptr) --instance_->depth_;
}

}  // namespace platform::qt
