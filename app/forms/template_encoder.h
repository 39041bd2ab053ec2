// Serialises window descriptions into the template block format: window
// directory, then per window its two words, two texts, unit count and unit
// table of records. Every function is constexpr, so the block is produced by
// the compiler (template_block.cpp) and sits in the program as read-only data.
//
// Why constexpr and not a generator program run by the build: a host tool
// would have to be built with the build machine's compiler while the rest is
// cross-compiled for Windows, which needs a second toolchain inside one CMake
// tree. Encoding at compile time gives the same bytes from the same source
// with either compiler (both take -fexec-charset=GBK, so the literals are
// already GBK), needs no generated files, and lets static_assert check the
// sizes while compiling.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <variant>
#include <vector>

#include "app/forms/form_model.h"
#include "ui/byte_reader.h"

namespace app::forms {

using ui::ByteWriter;

namespace detail {

constexpr void EmptyBlock(ByteWriter& w) { w.U32(0); }

// A font as a counted block of 60 bytes; no font is an empty block.
constexpr void FontBlock(ByteWriter& w, const std::optional<Font>& font) {
  if (!font) return EmptyBlock(w);
  std::size_t face = ByteWriter::Length(font->face);
  if (face + 1 > kFontFaceBytes) throw "font face name does not fit its 32-byte field";
  w.U32(kFontBytes);
  w.I32(font->height);
  w.I32(font->width);
  w.I32(font->escapement);
  w.I32(font->orientation);
  w.I32(font->weight);
  for (std::uint8_t b : {font->italic, font->underline, font->strike_out, font->charset, font->out_precision,
                         font->clip_precision, font->quality, font->pitch_and_family})
    w.U8(b);
  w.Chars({font->face, face});
  w.Zeros(kFontFaceBytes - face);
}

constexpr void Encode(ByteWriter&, const DefaultProps&) {}

constexpr void Encode(ByteWriter& w, const WindowProps& p) {
  w.U32(6);  // version
  for (std::int32_t v : {p.border_style, p.picture_mode, static_cast<std::int32_t>(p.background), p.maximise_box,
                         p.minimise_box, p.control_box, p.position, p.movable, p.sound_repeat, p.enter_moves_focus,
                         p.esc_closes, p.f1_help, p.help_context, p.in_task_bar, p.drag_by_client, p.shape,
                         p.topmost, p.reserved_logical})
    w.I32(v);
  w.CountedText(p.class_name);
  EmptyBlock(w);  // background picture
  EmptyBlock(w);  // icon
  EmptyBlock(w);  // background sound
  w.CountedText(p.caption);
  w.CountedText(p.help_file);
}

constexpr void Encode(ByteWriter& w, const EditBoxProps& p) {
  w.U32(2);  // version
  w.I32(p.border);
  w.U32(p.text_colour);
  w.U32(p.background);
  for (std::int32_t v : {p.hide_selection, p.max_length, p.multi_line, p.scroll_bars, p.alignment, p.input_mode})
    w.I32(v);
  w.U16(p.password_char);
  for (std::int32_t v :
       {p.case_conversion, p.spin_style, p.spin_min, p.spin_max, p.selection_start, p.selection_length})
    w.I32(v);
  FontBlock(w, p.font);
  w.CountedText(p.content);
  w.CountedText("");  // property 27
  w.CountedText("");  // property 28
}

constexpr void Encode(ByteWriter& w, const LabelProps& p) {
  w.U32(2);  // version
  w.I32(p.text_effect);
  w.I32(p.prop11);
  w.I32(p.border);
  for (std::uint32_t v : {p.colour12, p.colour13, p.colour14, p.text_colour, p.background}) w.U32(v);
  w.I32(p.choice19);
  w.I32(p.choice20);
  for (std::uint32_t v : {p.colour21, p.colour22, p.colour23}) w.U32(v);
  w.I32(p.h_align);
  w.I32(p.v_align);
  w.I32(p.word_wrap);
  FontBlock(w, p.font);
  EmptyBlock(w);  // background picture
  w.CountedText(p.caption);
  w.CountedText("");  // property 27
  w.CountedText("");  // property 28
}

constexpr void Encode(ByteWriter& w, const ButtonProps& p) {
  w.U32(1);  // version
  w.I32(p.type);
  w.I32(p.h_align);
  w.I32(p.v_align);
  EmptyBlock(w);  // picture
  FontBlock(w, p.font);
  w.CountedText(p.caption);
}

constexpr void Encode(ByteWriter& w, const ListViewProps& p) {
  w.U32(1);  // version
  w.I32(p.border);
  w.U32(p.text_colour);
  w.U32(p.text_background);
  w.U32(p.background);
  for (std::int32_t v : {p.view, p.align_left, p.auto_arrange, p.wrap_labels, p.hide_header, p.clickable_header,
                         p.full_row_select, p.grid_lines, p.header_drag_drop, p.hot_tracking, p.hand_cursor,
                         p.underline_cold, p.underline_hot, p.label_editing, p.auto_sort, p.check_boxes,
                         p.flat_scroll_bars, p.single_selection, p.current_row, p.always_show_selection})
    w.I32(v);
  FontBlock(w, p.font);
  EmptyBlock(w);  // header image list
  EmptyBlock(w);  // image list
  std::size_t columns = w.BeginCounted();
  for (const Column& c : p.columns) {
    w.U8(c.image_on_right);
    w.I32(c.image);
    w.I32(c.alignment);
    w.I32(c.width);
    w.ZeroText(c.title);
  }
  w.EndCounted(columns);
  EmptyBlock(w);  // state image list
  EmptyBlock(w);  // initial rows
}

// The unit type a property data layout belongs to.
constexpr bool PropsFitKind(const Props& props, Kind kind) {
  switch (props.index()) {
    case 0: return kind != Kind::kMenuItem;  // empty data suits every unit type
    case 1: return kind == Kind::kWindow;
    case 2: return kind == Kind::kEditBox;
    case 3: return kind == Kind::kLabel;
    case 4: return kind == Kind::kButton;
    case 5: return kind == Kind::kListView;
  }
  return false;
}

}  // namespace detail

// One unit record, without its length word.
constexpr void EncodeUnitRecord(ByteWriter& w, const Unit& u) {
  if (u.kind == Kind::kMenuItem) throw "a menu item is described as a MenuItem";
  if (!detail::PropsFitKind(u.props, u.kind)) throw "property data of another unit type";
  w.U32(static_cast<std::uint32_t>(u.kind));
  w.U32(0);    // handler source: none
  w.Zeros(16);
  w.ZeroText(u.name);
  w.ZeroText("");  // second name
  // Geometry block: object slot, left, top, width, height, cursor slot,
  // container (0 = placed on the window).
  for (std::int32_t v : {0, u.rect.left, u.rect.top, u.rect.width, u.rect.height, 0, 0}) w.I32(v);
  w.U32(0);          // no children
  detail::EmptyBlock(w);  // mouse pointer: the default arrow
  w.ZeroText(u.tag);
  w.U32(0);
  w.U32(u.flags);
  w.U32(0);
  w.U32(static_cast<std::uint32_t>(u.events.size()));
  for (const Binding& b : u.events) {
    w.I32(b.event);
    w.I32(b.handler);
  }
  w.Zeros(20);
  std::size_t props = w.BeginCounted();
  std::visit([&w](const auto& p) { detail::Encode(w, p); }, u.props);
  w.EndCounted(props);
}

// One menu item record, without its length word. Menu items carry no
// property data.
constexpr void EncodeMenuItemRecord(ByteWriter& w, const MenuItem& m) {
  w.U32(static_cast<std::uint32_t>(Kind::kMenuItem));
  w.U32(0);  // handler source: none
  w.Zeros(16);
  w.ZeroText("");  // name
  w.ZeroText("");  // second name
  w.U32(m.shortcut);
  w.I32(m.level);
  w.U32(m.flags);
  w.ZeroText(m.caption);
  w.I32(m.handler);
  w.Zeros(16);
}

// The unit table: ids, offsets (from the first byte after the offsets), then
// each record as a length word and its bytes.
constexpr void EncodeUnitTable(ByteWriter& w, const Window& window) {
  std::size_t n = window.record_count();
  w.U32(window.self.id);
  for (const MenuItem& m : window.menu) w.U32(m.id);
  for (const Unit& u : window.units) w.U32(u.id);
  std::size_t offsets = w.size();
  w.Zeros(4 * n);
  std::size_t records = w.size();
  std::size_t index = 0;
  auto record = [&](auto&& encode) {
    w.PatchU32(offsets + 4 * index++, static_cast<std::uint32_t>(w.size() - records));
    std::size_t at = w.BeginCounted();
    encode();
    w.EndCounted(at);
  };
  record([&] { EncodeUnitRecord(w, window.self); });
  for (const MenuItem& m : window.menu) record([&] { EncodeMenuItemRecord(w, m); });
  for (const Unit& u : window.units) record([&] { EncodeUnitRecord(w, u); });
}

constexpr void EncodeWindow(ByteWriter& w, const Window& window) {
  w.U32(window.word1);
  w.U32(window.word2);
  w.CountedText("");
  w.CountedText("");
  w.U32(static_cast<std::uint32_t>(window.record_count()));
  std::size_t table = w.BeginCounted();
  EncodeUnitTable(w, window);
  w.EndCounted(table);
}

// The whole block: directory (window ids, then one zero slot per window),
// then the windows in directory order.
constexpr std::vector<std::uint8_t> EncodeTemplateBlock(std::span<const Window* const> windows) {
  ByteWriter w;
  std::size_t directory = w.BeginCounted();
  for (const Window* window : windows) w.U32(window->id);
  w.Zeros(4 * windows.size());
  w.EndCounted(directory);
  for (const Window* window : windows) EncodeWindow(w, *window);
  return w.bytes();
}

}  // namespace app::forms
