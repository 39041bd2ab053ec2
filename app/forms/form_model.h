// The vocabulary in which the three windows are described: windows, units,
// menu items and the property data of each unit type. Everything here is a
// literal type so that the descriptions are compile-time data and the
// template encoder (template_encoder.h) can turn them into bytes while the
// program is being compiled.
//
// Member defaults are the values a unit type stores when the description
// does not say otherwise, so a description lists only what differs.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <initializer_list>
#include <optional>
#include <span>
#include <variant>

#include "ui/unit_numbers.h"  // the event numbers the forms bind

namespace app::forms {

// Type codes of the unit types the forms use.
enum class Kind : std::uint32_t {
  kWindow = 0x00010001,
  kMenuItem = 0x00010003,
  kEditBox = 0x00010005,
  kLabel = 0x0001000A,
  kButton = 0x0001000B,
  kListView = 0x00020004,
};

// Unit flags.
inline constexpr std::uint32_t kVisible = 1u << 0;
inline constexpr std::uint32_t kDisabled = 1u << 1;
inline constexpr std::uint32_t kTabStop = 1u << 2;

// Menu item flags.
inline constexpr std::uint32_t kMenuHidden = 1u << 0;
inline constexpr std::uint32_t kMenuDisabled = 1u << 1;
inline constexpr std::uint32_t kMenuChecked = 1u << 2;

// System colours: "use the system's default".
inline constexpr std::uint32_t kSystemColour = 0xFF000000;

struct Rect {
  std::int32_t left = 0;
  std::int32_t top = 0;
  std::int32_t width = 0;
  std::int32_t height = 0;
};

struct Binding {
  std::int32_t event = 0;
  std::int32_t handler = 0;  // index into the handler table (app/handlers.h)
};

// A short list of event bindings, written as {{event, handler}, ...}.
class Bindings {
 public:
  static constexpr std::size_t kCapacity = 4;
  constexpr Bindings() = default;
  constexpr Bindings(std::initializer_list<Binding> list) {
    for (const Binding& b : list) {
      if (count_ == kCapacity) throw "too many event bindings for one unit";
      items_[count_++] = b;
    }
  }
  constexpr std::size_t size() const { return count_; }
  constexpr const Binding* begin() const { return items_.data(); }
  constexpr const Binding* end() const { return items_.data() + count_; }

 private:
  std::array<Binding, kCapacity> items_{};
  std::size_t count_ = 0;
};

// A font: the 60-byte description the unit types keep.
struct Font {
  const char* face = "";
  std::int32_t height = 0;
  std::int32_t width = 0;
  std::int32_t escapement = 0;
  std::int32_t orientation = 0;
  std::int32_t weight = 400;
  std::uint8_t italic = 0;
  std::uint8_t underline = 0;
  std::uint8_t strike_out = 0;
  std::uint8_t charset = 134;  // GB2312
  std::uint8_t out_precision = 3;
  std::uint8_t clip_precision = 2;
  std::uint8_t quality = 1;
  std::uint8_t pitch_and_family = 0x22;
};
inline constexpr std::size_t kFontBytes = 60;
inline constexpr std::size_t kFontFaceBytes = 32;

// Window property data (version 6).
struct WindowProps {
  const char* caption = "";
  std::int32_t border_style = 2;  // 2 fixed, 4 fixed tool window
  std::int32_t picture_mode = 1;
  std::uint32_t background = kSystemColour;
  std::int32_t maximise_box = 0;
  std::int32_t minimise_box = 1;
  std::int32_t control_box = 1;
  std::int32_t position = 1;  // centred on the screen
  std::int32_t movable = 1;
  std::int32_t sound_repeat = 0;
  std::int32_t enter_moves_focus = 0;
  std::int32_t esc_closes = 1;
  std::int32_t f1_help = 0;
  std::int32_t help_context = 0;
  std::int32_t in_task_bar = 1;
  std::int32_t drag_by_client = 0;
  std::int32_t shape = 0;
  std::int32_t topmost = 0;
  std::int32_t reserved_logical = 0;
  const char* class_name = "";  // empty: the default window class
  const char* help_file = "";
};

// Edit box property data (version 2).
struct EditBoxProps {
  std::int32_t border = 1;
  std::uint32_t text_colour = 0x000000;
  std::uint32_t background = 0xFFFFFF;
  std::int32_t hide_selection = 1;
  std::int32_t max_length = 0;  // bytes; 0 = no limit
  std::int32_t multi_line = 0;
  std::int32_t scroll_bars = 0;  // 2 = vertical
  std::int32_t alignment = 0;
  std::int32_t input_mode = 0;
  std::uint16_t password_char = '*';
  std::int32_t case_conversion = 0;
  std::int32_t spin_style = 0;
  std::int32_t spin_min = 0;
  std::int32_t spin_max = 100;
  std::int32_t selection_start = 0;
  std::int32_t selection_length = 0;
  std::optional<Font> font{};  // none: the default GUI font
  const char* content = "";
};

enum Align : std::int32_t { kLeft = 0, kCentre = 1, kRight = 2 };

// Label property data (version 2).
struct LabelProps {
  const char* caption = "";
  std::int32_t h_align = kLeft;
  std::int32_t v_align = kCentre;
  std::int32_t word_wrap = 0;
  std::int32_t text_effect = 0;
  std::int32_t prop11 = 8;
  std::int32_t border = 0;
  std::uint32_t colour12 = 0x808080;
  std::uint32_t colour13 = 0xFFFFFF;
  std::uint32_t colour14 = 0x808080;
  std::uint32_t text_colour = 0x000000;
  std::uint32_t background = kSystemColour;
  std::int32_t choice19 = 1;
  std::int32_t choice20 = 0;
  std::uint32_t colour21 = 0x808080;
  std::uint32_t colour22 = 0xFFFFFF;
  std::uint32_t colour23 = 0x808080;
  std::optional<Font> font{};
};

// Button property data (version 1).
struct ButtonProps {
  const char* caption = "按钮";
  std::int32_t type = 0;  // 0 normal, 1 default button
  std::int32_t h_align = kCentre;
  std::int32_t v_align = kCentre;
  std::optional<Font> font{};
};

struct Column {
  const char* title = "";
  std::int32_t width = 0;
  std::int32_t alignment = kLeft;
  std::int32_t image = -1;
  std::uint8_t image_on_right = 0;
};

// List view property data (version 1).
struct ListViewProps {
  std::span<const Column> columns{};
  std::optional<Font> font{};
  std::int32_t border = 1;
  std::uint32_t text_colour = 0x000000;
  std::uint32_t text_background = 0xFFFFFF;
  std::uint32_t background = 0xFFFFFF;
  std::int32_t view = 0;  // 3 = report
  std::int32_t align_left = 0;
  std::int32_t auto_arrange = 1;
  std::int32_t wrap_labels = 1;
  std::int32_t hide_header = 0;
  std::int32_t clickable_header = 1;
  std::int32_t full_row_select = 0;
  std::int32_t grid_lines = 0;
  std::int32_t header_drag_drop = 0;
  std::int32_t hot_tracking = 0;
  std::int32_t hand_cursor = 1;
  std::int32_t underline_cold = 1;
  std::int32_t underline_hot = 1;
  std::int32_t label_editing = 0;
  std::int32_t auto_sort = 0;
  std::int32_t check_boxes = 0;
  std::int32_t flat_scroll_bars = 0;
  std::int32_t single_selection = 1;
  std::int32_t current_row = -1;
  std::int32_t always_show_selection = 0;
};

// Empty property data: every unit-specific property keeps its type's default.
struct DefaultProps {};

using Props = std::variant<DefaultProps, WindowProps, EditBoxProps, LabelProps, ButtonProps, ListViewProps>;

// Every record of a window that is not a menu item: the window's own unit
// (record 0) and its units.
struct Unit {
  std::uint32_t id = 0;
  Kind kind = Kind::kWindow;
  const char* name = "";
  Rect rect{};
  std::uint32_t flags = kVisible;
  const char* tag = "";
  Bindings events{};
  Props props{};
};

struct MenuItem {
  std::uint32_t id = 0;
  const char* caption = "";
  std::int32_t level = 0;
  std::uint32_t flags = 0;
  std::int32_t handler = -1;  // the item's Selected handler; -1 none
  std::uint32_t shortcut = 0;
};

// One window: its own unit, then its menu (menu order), then its units, in
// the order of the unit table.
struct Window {
  std::uint32_t id = 0;
  std::uint32_t word1 = 0;
  std::uint32_t word2 = 0;
  Unit self{};
  std::span<const MenuItem> menu{};
  std::span<const Unit> units{};

  constexpr std::size_t record_count() const { return 1 + menu.size() + units.size(); }
};

}  // namespace app::forms
