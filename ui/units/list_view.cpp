#include "ui/units/list_view.h"

#include <cstring>
#include <initializer_list>

#include "runtime/errors.h"
#include "runtime/helpers.h"
#include "runtime/services.h"
#include "ui/byte_reader.h"
#include "ui/units/control_unit.h"
#include "ui/units/unit_factories.h"
#include "ui/unit_numbers.h"

namespace ui {
namespace {

namespace P = prop::list;

struct Column {
  std::uint8_t image_on_right = 0;
  std::int32_t image = -1;
  std::int32_t alignment = 0;
  std::int32_t width = 0;
  std::string title;
};

class ListView : public ControlUnit {
 public:
  using ControlUnit::ControlUnit;

  bool Parse(const std::vector<std::uint8_t>& data) {
    if (data.empty()) return true;
    ByteReader in(data.data(), data.size());
    if (in.U32() > 1) return false;
    border_ = in.I32();
    text_colour_ = in.U32();
    text_background_ = in.U32();
    background_ = in.U32();
    for (std::int32_t* p : Flags()) *p = in.I32();
    font_ = in.CountedText();
    header_images_ = in.CountedText();
    images_ = in.CountedText();
    columns_ = in.CountedText();
    state_images_ = in.CountedText();
    rows_ = in.CountedText();
    return !in.failed();
  }

  bool Create(const CreateContext& context) {
    if (!CreateWindow(platform::ControlKind::kListView, "SysListView32", "", context, Look())) return false;
    if (view_ == 3) InsertColumns();
    FillRows(rows_);
    if (current_row_ != -1) SetCurrentRow(current_row_);
    return true;
  }

  // How the system draws it, and the styles it is created with.
  platform::ControlLook Look() const {
    platform::ControlLook look;
    look.font = font_;
    look.border = static_cast<platform::Border>(border_);
    look.text_colour = text_colour_;
    look.text_background = text_background_;
    look.background = background_;
    look.view = static_cast<platform::ListViewMode>(view_);
    look.wrap_labels = wrap_labels_ != 0;
    look.hide_header = hide_header_ != 0;
    look.clickable_header = clickable_header_ != 0;
    look.full_row_select = full_row_ != 0;
    look.grid_lines = grid_lines_ != 0;
    look.header_drag_drop = drag_drop_ != 0;
    look.hot_tracking = hot_tracking_ != 0;
    look.check_boxes = check_boxes_ != 0;
    look.label_editing = label_editing_ != 0;
    look.flat_scroll_bars = flat_scroll_ != 0;
    look.single_selection = single_selection_ != 0;
    look.always_show_selection = always_show_selection_ != 0;
    look.sort = static_cast<platform::ListSort>(sort_);
    return look;
  }

  PropertyValue GetProperty(int index) override {
    PropertyValue v;
    switch (index) {
      case P::kBorder: v.word = static_cast<std::uint32_t>(border_); break;
      case P::kTextColour: v.word = text_colour_; break;
      case P::kTextBackground: v.word = text_background_; break;
      case P::kBackground: v.word = background_; break;
      case P::kFont: v.data = font_; break;
      case P::kColumns: v.data = columns_; break;
      case P::kHeaderImages: v.data = header_images_; break;
      case P::kImages: v.data = images_; break;
      case P::kStateImages: v.data = state_images_; break;
      case P::kCurrentRow: v.word = static_cast<std::uint32_t>(System().ListFirstSelected(handle_)); break;
      case P::kInitialRows: v.data = rows_; break;
      case P::kEditedText: v.data = edit_text_; break;
      default:
        if (std::int32_t* p = FlagOf(index)) v.word = static_cast<std::uint32_t>(*p);
        break;
    }
    return v;
  }

  bool SetProperty(int index, const PropertyValue& v) override {
    auto i = static_cast<std::int32_t>(v.word);
    bool report = view_ == 3, icons = view_ == 0 || view_ == 1;
    switch (index) {
      case P::kBorder: border_ = ClampChoice(v.word, 0, 5); return Restyle();
      case P::kTextColour: text_colour_ = v.word; return Restyle();
      case P::kTextBackground: text_background_ = v.word; return Restyle();
      case P::kBackground: background_ = v.word; return Restyle();
      case P::kFont: font_ = v.data; return Restyle();
      case P::kView: view_ = ClampChoice(v.word, 0, 3); return true;
      case P::kAlignLeft: align_left_ = i; return icons;
      case P::kAutoArrange: auto_arrange_ = i; return icons;
      case P::kWrapLabels: wrap_labels_ = i; return Restyle();
      case P::kColumns: columns_ = v.data; return report;
      case P::kHideHeader: hide_header_ = i; return Restyle();
      case P::kHeaderImages: header_images_ = v.data; return false;
      case P::kClickableHeader: clickable_header_ = i; return true;
      case P::kFullRowSelect: full_row_ = i; return true;
      case P::kGridLines: grid_lines_ = i; return true;
      case P::kHeaderDragDrop: drag_drop_ = i; return true;
      case P::kImages: images_ = v.data; return false;
      case P::kStateImages: state_images_ = v.data; return false;
      case P::kHotTracking: hot_tracking_ = i; return true;
      case P::kHandCursor: hand_cursor_ = i; return hot_tracking_ != 0;
      case P::kUnderlineCold: underline_cold_ = i; return hot_tracking_ != 0;
      case P::kUnderlineHot: underline_hot_ = i; return hot_tracking_ != 0;
      case P::kLabelEditing: label_editing_ = i; return true;
      case P::kSort: sort_ = ClampChoice(v.word, 0, 2); return true;
      case P::kCheckBoxes: check_boxes_ = i; return true;
      case P::kFlatScrollBars: flat_scroll_ = i; return true;
      case P::kSingleSelection: single_selection_ = i; return true;
      case P::kCurrentRow: SetCurrentRow(i); return false;
      case P::kAlwaysShowSelection: always_show_selection_ = i; return true;
      case P::kInitialRows:
        rows_ = v.data;
        System().ListDeleteAllRows(handle_);
        FillRows(rows_);
        return false;
      case P::kEditedText: edit_text_ = v.data; return false;
      default: return false;
    }
  }

  // The current rows go into the initial-rows block, so a re-created list
  // keeps what it showed.
  std::vector<std::uint8_t> SavePropertyData() override {
    ByteWriter out;
    out.U32(1);
    out.I32(border_);
    out.U32(text_colour_);
    out.U32(text_background_);
    out.U32(background_);
    current_row_ = handle_ != 0 ? System().ListFirstSelected(handle_) : current_row_;
    for (std::int32_t* p : Flags()) out.I32(*p);
    out.CountedText(font_);
    out.CountedText(header_images_);
    out.CountedText(images_);
    out.CountedText(columns_);
    out.CountedText(state_images_);
    out.CountedText(handle_ != 0 ? CurrentRowsBlock() : rows_);
    return out.Take();
  }

  void OnNotice(const platform::Message& message) override {
    const auto row = static_cast<std::int32_t>(message.a);
    switch (message.notice) {
      case platform::Notice::kRowFocused: Raise(event::list::kCurrentRowChanged, {}); break;
      case platform::Notice::kRowActivated: Raise(event::list::kRowActivated, {}); break;
      case platform::Notice::kColumnClicked: Raise(event::list::kColumnClicked, {row}); break;
      case platform::Notice::kClicked: Raise(event::list::kClicked, {}); break;
      case platform::Notice::kRightClicked: Raise(event::list::kRightClicked, {}); break;
      case platform::Notice::kHotRow: Raise(event::list::kHotRowChanged, {row}); break;
      case platform::Notice::kLabelEditStarting:
        if (!Raise(event::list::kLabelEditStarting, {row}) && message.refused != nullptr) *message.refused = true;
        break;
      case platform::Notice::kLabelEditEnded:
        // The handler reads the new caption through the text property.
        if (message.text != nullptr) edit_text_ = *message.text;
        if (!Raise(event::list::kLabelEditEnded, {row}) && message.refused != nullptr) *message.refused = true;
        break;
      case platform::Notice::kCheckToggled:
        if (handle_ != 0 && row >= 0 && row < System().ListRowCount(handle_))
          Raise(event::list::kCheckBoxChanged, {row, System().ListRowChecked(handle_, row) ? 1 : 0});
        break;
      default: CommonNotice(message); break;
    }
  }

  // Raises one of the list's events; false only when its handler returned
  // 0 (an event that is blocked or has no handler refuses nothing).
  bool Raise(std::int32_t number, std::initializer_list<std::int32_t> args) {
    EventNotice notice;
    notice.window = window_id_;
    notice.unit = unit_id_;
    notice.event = number;
    for (std::int32_t arg : args) notice.args[notice.argc++] = arg;
    RaiseEvent(notice);
    return !(notice.has_result == 1 && notice.result == 0);
  }

  // Applies the look at once; no re-creation needed.
  bool Restyle() {
    if (handle_ != 0) System().SetLook(handle_, Look());
    return false;
  }

  void SetCurrentRow(std::int32_t row) {
    if (single_selection_ == 0 || handle_ == 0) return;
    platform::WindowSystem& system = System();
    if (row < -1) row = -1;
    if (row == -1) {
      int selected = system.ListFirstSelected(handle_);
      if (selected >= 0) system.ListSetRowState(handle_, selected, false, false);
      return;
    }
    if (row >= system.ListRowCount(handle_)) return;
    int selected = system.ListFirstSelected(handle_);
    if (selected >= 0 && selected != row) system.ListSetRowState(handle_, selected, false, false);
    system.ListSetRowState(handle_, row, true, true);
  }

 private:
  std::vector<std::int32_t*> Flags() {
    return {&view_,       &align_left_,    &auto_arrange_,   &wrap_labels_, &hide_header_,  &clickable_header_,
            &full_row_,   &grid_lines_,    &drag_drop_,      &hot_tracking_, &hand_cursor_, &underline_cold_,
            &underline_hot_, &label_editing_, &sort_,         &check_boxes_, &flat_scroll_,  &single_selection_,
            &current_row_, &always_show_selection_};
  }
  std::int32_t* FlagOf(int index) {
    static const int kIndexes[] = {P::kView,        P::kAlignLeft,     P::kAutoArrange,      P::kWrapLabels,
                                   P::kHideHeader,  P::kClickableHeader, P::kFullRowSelect,  P::kGridLines,
                                   P::kHeaderDragDrop, P::kHotTracking, P::kHandCursor,      P::kUnderlineCold,
                                   P::kUnderlineHot, P::kLabelEditing, P::kSort,            P::kCheckBoxes,
                                   P::kFlatScrollBars, P::kSingleSelection, P::kCurrentRow, P::kAlwaysShowSelection};
    std::vector<std::int32_t*> flags = Flags();
    for (std::size_t i = 0; i < flags.size(); ++i)
      if (kIndexes[i] == index) return flags[i];
    return nullptr;
  }

  void InsertColumns() {
    ByteReader in(columns_.data(), columns_.size());
    int index = 0;
    while (in.remaining() > 0) {
      Column column;
      column.image_on_right = in.U8();
      column.image = in.I32();
      column.alignment = in.I32();
      column.width = in.I32();
      column.title = in.ZeroText();
      if (in.failed()) break;
      System().ListInsertColumn(handle_, index++, column.title, column.width, column.alignment);
    }
  }

  void FillRows(const std::string& block) {
    platform::WindowSystem& system = System();
    ByteReader in(block.data(), block.size());
    int row = -1, column = 0;
    while (in.remaining() > 0) {
      std::uint8_t continues = in.U8();
      in.I32();  // image
      in.I32();  // state image
      in.I32();  // item data
      in.I32();  // indent
      std::string text = in.ZeroText();
      in.ZeroText();  // tip
      if (in.failed()) break;
      if (continues == 0 || row < 0) {
        row = system.ListInsertRow(handle_, system.ListRowCount(handle_), text);
        column = 0;
      } else {
        system.ListSetCell(handle_, row, ++column, text);
      }
    }
  }

  std::string CurrentRowsBlock() {
    platform::WindowSystem& system = System();
    ByteWriter out;
    int columns = 1;
    {
      ByteReader in(columns_.data(), columns_.size());
      int n = 0;
      while (in.remaining() > 0) {
        in.Skip(13);
        in.ZeroText();
        if (in.failed()) break;
        ++n;
      }
      if (n > columns) columns = n;
    }
    for (int row = 0; row < system.ListRowCount(handle_); ++row)
      for (int column = 0; column < columns; ++column) {
        std::vector<char> buffer(4096);
        int n = system.ListGetCell(handle_, row, column, buffer.data(), static_cast<int>(buffer.size()));
        out.U8(column == 0 ? 0 : 1);
        for (int k = 0; k < 4; ++k) out.I32(k == 0 ? -1 : 0);
        out.ZeroText(std::string(buffer.data(), static_cast<std::size_t>(n)));
        out.ZeroText("");
      }
    return std::string(out.bytes().begin(), out.bytes().end());
  }

  std::int32_t border_ = 1;
  std::uint32_t text_colour_ = 0, text_background_ = 0xFFFFFF, background_ = 0xFFFFFF;
  std::int32_t view_ = 0, align_left_ = 0, auto_arrange_ = 1, wrap_labels_ = 1, hide_header_ = 0,
               clickable_header_ = 1, full_row_ = 0, grid_lines_ = 0, drag_drop_ = 0, hot_tracking_ = 0,
               hand_cursor_ = 1, underline_cold_ = 1, underline_hot_ = 1, label_editing_ = 0, sort_ = 0,
               check_boxes_ = 0, flat_scroll_ = 0, single_selection_ = 1, current_row_ = -1,
               always_show_selection_ = 0;
  std::string font_, header_images_, images_, columns_, state_images_, rows_, edit_text_;
};

// The list view of a reference argument, through the checked lookup.
platform::WindowHandle ListOf(std::int32_t argc, rt::Value* argv) {
  if (argc < 1) rt::RuntimeError("指定窗口或窗口组件不存在或尚未载入", 0);
  auto* unit = reinterpret_cast<Unit*>(
      WindowRequest(request::kFindUnitStrict, static_cast<std::intptr_t>(argv[0].lo), static_cast<std::intptr_t>(argv[0].hi)));
  if (unit == nullptr || unit->type().create != CreateListView) rt::ReportError(11);
  return unit->handle();
}

std::int32_t IntArgument(std::int32_t argc, rt::Value* argv, int index, std::int32_t fallback) {
  if (index >= argc || argv[index].omitted()) return fallback;
  return static_cast<std::int32_t>(rt::Request(2001, reinterpret_cast<std::intptr_t>(&argv[index]), 0));
}

std::string TextArgument(std::int32_t argc, rt::Value* argv, int index) {
  if (index >= argc || argv[index].omitted() || argv[index].type != rt::type::kText || argv[index].text() == nullptr)
    return {};
  return argv[index].text();
}

}  // namespace

std::unique_ptr<Unit> CreateListView(const UnitTypeInfo& type, const CreateContext& context) {
  auto unit = std::make_unique<ListView>(type, context);
  if (context.property_data == nullptr || !unit->Parse(*context.property_data) || !unit->Create(context)) return nullptr;
  return unit;
}

void GetItemText(rt::Value* result, std::int32_t argc, rt::Value* argv) {
  platform::WindowHandle list = ListOf(argc, argv);
  std::int32_t row = IntArgument(argc, argv, 1, 0);
  std::int32_t column = IntArgument(argc, argv, 2, 0);
  // Read into 512 bytes; while the text fills the buffer, double it.
  std::vector<char> buffer(512);
  int n = System().ListGetCell(list, row, column, buffer.data(), static_cast<int>(buffer.size()));
  while (n >= static_cast<int>(buffer.size()) - 1) {
    buffer.resize(buffer.size() * 2);
    n = System().ListGetCell(list, row, column, buffer.data(), static_cast<int>(buffer.size()));
  }
  *result = rt::Value::Text(n <= 0 ? nullptr : rt::CopyTextN(buffer.data(), n));
}

void SetItemText(rt::Value*, std::int32_t argc, rt::Value* argv) {
  platform::WindowHandle list = ListOf(argc, argv);
  System().ListSetCell(list, IntArgument(argc, argv, 1, 0), IntArgument(argc, argv, 2, 0), TextArgument(argc, argv, 3));
}

void InsertItem(rt::Value* result, std::int32_t argc, rt::Value* argv) {
  platform::WindowHandle list = ListOf(argc, argv);
  platform::WindowSystem& system = System();
  std::int32_t position = IntArgument(argc, argv, 1, -1);
  if (position < 0) position = system.ListRowCount(list);
  *result = rt::Value::Int(system.ListInsertRow(list, position, TextArgument(argc, argv, 2)));
}

void DeleteItem(rt::Value*, std::int32_t argc, rt::Value* argv) {
  platform::WindowHandle list = ListOf(argc, argv);
  System().ListDeleteRow(list, IntArgument(argc, argv, 1, -1));
}

void DeleteAllItems(rt::Value*, std::int32_t argc, rt::Value* argv) { System().ListDeleteAllRows(ListOf(argc, argv)); }

}  // namespace ui
