#include "platform/sim/window_tree.h"

#include <algorithm>

namespace platform::sim {

std::uintptr_t WindowTree::NewHandle() {
  std::uintptr_t handle = next_handle_;
  next_handle_ += 4;
  return handle;
}

WindowHandle WindowTree::Add(const CreateParams& params) {
  bool top_level = params.kind == ControlKind::kFrame || params.kind == ControlKind::kHidden;
  if (params.parent != 0 && Find(params.parent) == nullptr) return 0;
  SimWindow window;
  window.handle = NewHandle();
  window.kind = params.kind;
  window.class_name = params.class_name;
  window.text = params.text;
  window.parent = top_level ? 0 : params.parent;
  window.owner = params.owner;
  window.control_id = params.control_id;
  window.rect = params.rect;
  window.enabled = !params.disabled;
  window.tab_stop = params.tab_stop;
  window.frame = params.frame;
  window.look = params.look;
  window.state = params.frame.initial_state;
  window.topmost = params.frame.topmost;
  if (params.kind == ControlKind::kFrame && params.frame.centered) {
    window.rect.left = (kScreenWidth - window.rect.width) / 2;
    window.rect.top = (kScreenHeight - window.rect.height) / 2;
  }
  WindowHandle handle = window.handle;
  windows_[handle] = std::move(window);
  if (top_level)
    top_level_.push_back(handle);
  else
    Get(params.parent)->children.push_back(handle);
  return handle;
}

std::vector<WindowHandle> WindowTree::Subtree(WindowHandle handle) const {
  std::vector<WindowHandle> order;
  if (const SimWindow* window = Find(handle)) {
    for (WindowHandle child : window->children) {
      std::vector<WindowHandle> inner = Subtree(child);
      order.insert(order.end(), inner.begin(), inner.end());
    }
    order.push_back(handle);
  }
  return order;
}

void WindowTree::Detach(WindowHandle handle) {
  const SimWindow* window = Find(handle);
  if (window == nullptr) return;
  SimWindow* parent = window->parent != 0 ? Get(window->parent) : nullptr;
  std::vector<WindowHandle>& list = parent != nullptr ? parent->children : top_level_;
  list.erase(std::remove(list.begin(), list.end(), handle), list.end());
}

SimWindow* WindowTree::Get(WindowHandle handle) {
  auto it = windows_.find(handle);
  return it == windows_.end() ? nullptr : &it->second;
}

const SimWindow* WindowTree::Find(WindowHandle handle) const {
  auto it = windows_.find(handle);
  return it == windows_.end() ? nullptr : &it->second;
}

WindowHandle WindowTree::FrameOf(WindowHandle handle) const {
  const SimWindow* window = Find(handle);
  while (window != nullptr && window->parent != 0) window = Find(window->parent);
  return window == nullptr ? 0 : window->handle;
}

std::vector<const SimWindow*> WindowTree::Frames() const {
  std::vector<const SimWindow*> frames;
  for (WindowHandle handle : top_level_)
    if (const SimWindow* window = Find(handle); window != nullptr && window->kind == ControlKind::kFrame && window->visible)
      frames.push_back(window);
  return frames;
}

bool WindowTree::EffectivelyEnabled(WindowHandle handle) const {
  for (const SimWindow* window = Find(handle); window != nullptr; window = Find(window->parent))
    if (!window->enabled) return false;
  return Find(handle) != nullptr;
}

bool WindowTree::EffectivelyVisible(WindowHandle handle) const {
  for (const SimWindow* window = Find(handle); window != nullptr; window = Find(window->parent))
    if (!window->visible) return false;
  return Find(handle) != nullptr;
}

void WindowTree::Reparent(WindowHandle handle, WindowHandle parent) {
  SimWindow* window = Get(handle);
  SimWindow* holder = Get(parent);
  if (window == nullptr || holder == nullptr || window->parent == 0) return;
  Detach(handle);
  window->parent = parent;
  holder->children.push_back(handle);
}

void WindowTree::PlaceAfter(WindowHandle handle, WindowHandle after) {
  SimWindow* window = Get(handle);
  if (window == nullptr || window->parent == 0) return;
  std::vector<WindowHandle>& siblings = Get(window->parent)->children;
  siblings.erase(std::remove(siblings.begin(), siblings.end(), handle), siblings.end());
  auto at = std::find(siblings.begin(), siblings.end(), after);
  siblings.insert(after == 0 || at == siblings.end() ? siblings.begin() : at + 1, handle);
}

std::optional<std::uint32_t> WindowTree::ColourAt(WindowHandle handle, int x, int y) const {
  const SimWindow* window = Find(handle);
  if (window == nullptr || x < 0 || y < 0 || x >= window->rect.width || y >= window->rect.height) return std::nullopt;
  for (WindowHandle child : window->children) {  // the first is on top
    const SimWindow* control = Find(child);
    if (control == nullptr || !control->visible) continue;
    const Rect& r = control->rect;
    if (x < r.left || y < r.top || x >= r.left + r.width || y >= r.top + r.height) continue;
    return ColourAt(child, x - r.left, y - r.top);
  }
  const std::uint32_t own = window->look.background;
  if (own != kSystemColour) return own & 0xFFFFFF;
  switch (window->kind) {
    case ControlKind::kLabel: {
      // Drawn on the window's own background, whatever lies beside it.
      const SimWindow* holder = Find(window->parent);
      if (holder == nullptr) return kFaceColour;
      return holder->look.background != kSystemColour ? holder->look.background & 0xFFFFFF : kFaceColour;
    }
    case ControlKind::kEdit: return window->rules.read_only ? kFaceColour : kBoxColour;
    case ControlKind::kListView: return kBoxColour;
    default: return kFaceColour;
  }
}

}  // namespace platform::sim
