// Menu bars and popup menus from the seam's menu entries. A chosen command
// reaches the runtime as kCommand (menu bars) or as TrackPopupMenu's result.
#include <QAction>
#include <QMenu>
#include <QMenuBar>

#include "platform/qt/native_qt.h"
#include "platform/qt/text_qt.h"
#include "platform/qt/window_system_qt.h"

namespace platform::qt {
namespace {

// Adds the entries to a menu or menu bar; every command action carries its
// id. A shortcut's name stays after the tab of the caption, as it is shown;
// the key itself is the runtime's accelerator, not the widget's.
template <typename Menu>
void AddEntries(Menu* menu, const std::vector<MenuEntry>& entries) {
  for (const MenuEntry& entry : entries) {
    if (!entry.children.empty()) {
      QMenu* sub = menu->addMenu(FromGbk(entry.caption));
      sub->setEnabled(!entry.greyed);
      AddEntries(sub, entry.children);
    } else if (entry.caption == "-") {
      menu->addSeparator();
    } else {
      QAction* action = menu->addAction(FromGbk(entry.caption));
      action->setData(entry.command);
      action->setEnabled(!entry.greyed);
      if (entry.checked) {
        action->setCheckable(true);
        action->setChecked(true);
      }
    }
  }
}

}  // namespace

MenuHandle QtWindowSystem::CreateMenuBar(const std::vector<MenuEntry>& entries) {
  MenuHandle handle = next_menu_++;
  menus_[handle] = entries;
  return handle;
}

void QtWindowSystem::SetMenuBar(WindowHandle window, MenuHandle menu) {
  Native* native = Get(window);
  if (native == nullptr || native->kind != ControlKind::kFrame || !native->widget) return;
  delete native->menu_bar.data();
  native->menu_bar = nullptr;
  native->menu = 0;
  auto it = menus_.find(menu);
  if (it != menus_.end()) {
    auto* bar = new QMenuBar(native->widget.data());
    bar->setNativeMenuBar(false);  // drawn in the window, where the template left room
    AddEntries(bar, it->second);
    QWidget* frame = native->widget.data();
    QObject::connect(bar, &QMenuBar::triggered, frame, [this, frame](QAction* action) {
      if (action->data().isValid()) Notify(Notice::kCommand, frame, action->data().toInt());
    });
    bar->show();
    native->menu_bar = bar;
    native->menu = menu;
  }
  LayOutFrame(*native);
}

void QtWindowSystem::DestroyMenu(MenuHandle menu) { menus_.erase(menu); }

int QtWindowSystem::TrackPopupMenu(WindowHandle owner, const std::vector<MenuEntry>& entries, int x, int y) {
  QWidget* window = WidgetOf(owner);
  if (window == nullptr || entries.empty()) return 0;
  QMenu popup(window);
  AddEntries(&popup, entries);
  QAction* chosen = nullptr;
  {
    ForeignLoop loop;
    chosen = popup.exec(QPoint(x, y));
  }
  return chosen != nullptr && chosen->data().isValid() ? chosen->data().toInt() : 0;
}

}  // namespace platform::qt
