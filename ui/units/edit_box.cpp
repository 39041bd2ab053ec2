// The edit box unit on the system edit control.
#include <algorithm>
#include <climits>
#include <cstdlib>

#include "runtime/state.h"
#include "ui/byte_reader.h"
#include "ui/units/control_unit.h"
#include "ui/units/unit_factories.h"
#include "ui/unit_numbers.h"

namespace ui {
namespace {

namespace P = prop::edit;

// Decimal value of a text as typed: leading blanks, a sign, digits; anything
// else ends the number (no digits: 0). Saturates instead of overflowing.
std::int64_t ParseDecimal(const std::string& text) {
  std::size_t i = 0;
  while (i < text.size() && (text[i] == ' ' || text[i] == '\t')) ++i;
  bool negative = false;
  if (i < text.size() && (text[i] == '-' || text[i] == '+')) negative = text[i++] == '-';
  std::int64_t value = 0;
  for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i) {
    if (value > (INT64_MAX - 9) / 10) {
      value = INT64_MAX;
      break;
    }
    value = value * 10 + (text[i] - '0');
  }
  return negative ? -value : value;
}

class EditBox : public ControlUnit {
 public:
  using ControlUnit::ControlUnit;

  bool Parse(const std::vector<std::uint8_t>& data) {
    if (data.empty()) return true;
    ByteReader in(data.data(), data.size());
    std::uint32_t version = in.U32();
    if (version > 2) return false;
    border_ = in.I32();
    text_colour_ = in.U32();
    background_ = in.U32();
    hide_selection_ = in.I32();
    max_length_ = in.I32();
    multi_line_ = in.I32();
    scroll_bars_ = in.I32();
    alignment_ = in.I32();
    input_mode_ = in.I32();
    password_char_ = in.U16();
    case_mode_ = in.I32();
    spin_style_ = in.I32();
    spin_min_ = in.I32();
    spin_max_ = in.I32();
    selection_start_ = in.I32();
    selection_length_ = in.I32();
    font_ = in.CountedText();
    content_ = in.CountedText();
    if (version >= 2) {
      text27_ = in.CountedText();
      text28_ = in.CountedText();
    }
    if (max_length_ < 0) max_length_ = 0;
    return !in.failed();
  }

  bool Create(const CreateContext& context) {
    CreateContext adjusted = context;
    adjusted.rect.height = std::max(adjusted.rect.height, LeastHeight());
    if (!CreateWindow(platform::ControlKind::kEdit, "EDIT", content_, adjusted, Look())) return false;
    System().SetEditRules(handle_, Rules());
    Select(selection_start_, selection_length_);
    System().SetEditSpin(handle_, SpinControl());
    return true;
  }

  // A single-line box is at least one line of its font and the two edges
  // tall, so that its text is never cut; a multi-line box may be smaller.
  int LeastHeight() const {
    if (multi_line_ != 0) return 0;
    platform::WindowSystem& system = System();
    return system.FontLineHeight(font_) + 2 * system.EdgeHeight();
  }

  // After a new font: a single-line box grows to fit it (it never shrinks).
  void GrowToFont() {
    platform::Rect rect = System().GetRect(handle_);
    const int least = LeastHeight();
    if (rect.height >= least) return;
    rect.height = least;
    System().SetRect(handle_, rect);
  }

  // Spin styles 1 and 2 give a single-line box a spin control over the
  // range of properties 22 and 23, the smaller value as its lower bound.
  platform::EditSpin SpinControl() const {
    platform::EditSpin spin;
    spin.present = (spin_style_ == 1 || spin_style_ == 2) && multi_line_ == 0;
    spin.low = std::min(spin_min_, spin_max_);
    spin.high = std::max(spin_min_, spin_max_);
    return spin;
  }

  platform::EditRules Rules() const {
    platform::EditRules rules;
    rules.max_bytes = max_length_;
    rules.case_mode = case_mode_;
    rules.read_only = input_mode_ == 1;
    rules.password = input_mode_ == 2;
    rules.password_char = static_cast<char>(password_char_ & 0xFF);
    rules.multi_line = multi_line_ != 0;
    rules.input_method = !rt::IsSecretEditBox(window_id(), unit_id());
    return rules;
  }

  // How the system draws it.
  platform::ControlLook Look() const {
    platform::ControlLook look;
    look.font = font_;
    look.border = static_cast<platform::Border>(border_);
    look.text_colour = text_colour_;
    look.background = background_;
    look.horizontal_align = alignment_;
    look.multi_line = multi_line_ != 0;
    look.scroll_bars = static_cast<platform::ScrollBars>(scroll_bars_);
    look.hide_selection = hide_selection_ != 0;
    return look;
  }

  std::string Content() const { return handle_ != 0 ? System().GetText(handle_) : content_; }

  PropertyValue GetProperty(int index) override {
    PropertyValue v;
    auto word = [&](std::int32_t x) { v.word = static_cast<std::uint32_t>(x); };
    switch (index) {
      case P::kContent: v.data = Content(); break;
      case P::kBorder: word(border_); break;
      case P::kTextColour: v.word = text_colour_; break;
      case P::kBackground: v.word = background_; break;
      case P::kFont: v.data = font_; break;
      case P::kHideSelection: word(hide_selection_); break;
      case P::kMaxLength: word(max_length_); break;
      case P::kMultiLine: word(multi_line_); break;
      case P::kScrollBars: word(scroll_bars_); break;
      case P::kAlignment: word(alignment_); break;
      case P::kInputMode: word(input_mode_); break;
      case P::kPasswordChar: v.data = std::string(1, static_cast<char>(password_char_ & 0xFF)); break;
      case P::kCaseConversion: word(case_mode_); break;
      case P::kSpinStyle: word(spin_style_); break;
      case P::kSpinMinimum: word(spin_min_); break;
      case P::kSpinMaximum: word(spin_max_); break;
      case P::kSelectionStart: word(Selection().start); break;
      case P::kSelectionLength: word(Selection().length); break;
      case P::kSelectedText: v.data = SelectedText(); break;
      case P::kText27: v.data = text27_; break;
      case P::kText28: v.data = text28_; break;
      default: break;
    }
    return v;
  }

  bool SetProperty(int index, const PropertyValue& v) override {
    auto i = static_cast<std::int32_t>(v.word);
    platform::WindowSystem& system = System();
    switch (index) {
      case P::kContent: SetContent(v.data); return false;
      case P::kBorder: border_ = ClampChoice(v.word, 0, 5); break;
      case P::kTextColour: text_colour_ = v.word; break;
      case P::kBackground: background_ = v.word; break;
      case P::kFont: font_ = v.data; break;
      case P::kHideSelection: {
        bool changed = hide_selection_ != i;
        hide_selection_ = i;
        return changed;
      }
      case P::kMaxLength: max_length_ = i < 0 ? 0 : i; break;
      case P::kMultiLine: {
        bool changed = multi_line_ != i;
        multi_line_ = i;
        return changed;
      }
      case P::kScrollBars: scroll_bars_ = ClampChoice(v.word, 0, 3); break;
      case P::kAlignment: alignment_ = ClampChoice(v.word, 0, 2); break;
      case P::kInputMode: input_mode_ = ClampChoice(v.word, 0, 11); break;
      case P::kPasswordChar: password_char_ = v.data.empty() ? 0 : static_cast<unsigned char>(v.data[0]); break;
      case P::kCaseConversion: case_mode_ = ClampChoice(v.word, 0, 2); break;
      case P::kSpinStyle: spin_style_ = ClampChoice(v.word, 0, 2); break;
      case P::kSpinMinimum: spin_min_ = i; break;
      case P::kSpinMaximum: spin_max_ = i; break;
      case P::kSelectionStart: Select(i, Selection().length); return false;
      case P::kSelectionLength: Select(Selection().start, i); return false;
      case P::kSelectedText: ReplaceSelection(v.data); return false;
      case P::kText27: text27_ = v.data; break;
      case P::kText28: text28_ = v.data; break;
      default: break;
    }
    if (handle_ != 0) {
      system.SetEditRules(handle_, Rules());
      if (index == P::kSpinStyle || index == P::kSpinMinimum || index == P::kSpinMaximum)
        system.SetEditSpin(handle_, SpinControl());
      if (index == P::kBorder || index == P::kTextColour || index == P::kBackground || index == P::kFont || index == P::kAlignment) system.SetLook(handle_, Look());
      if (index == P::kFont) GrowToFont();
    }
    return false;
  }

  std::vector<std::uint8_t> SavePropertyData() override {
    ByteWriter out;
    out.U32(2);
    out.I32(border_);
    out.U32(text_colour_);
    out.U32(background_);
    for (std::int32_t v : {hide_selection_, max_length_, multi_line_, scroll_bars_, alignment_, input_mode_})
      out.I32(v);
    out.U16(password_char_);
    const Range selection = Selection();
    for (std::int32_t v : {case_mode_, spin_style_, spin_min_, spin_max_, selection.start, selection.length})
      out.I32(v);
    out.CountedText(font_);
    out.CountedText(Content());
    out.CountedText(text27_);
    out.CountedText(text28_);
    return out.Take();
  }

  void OnNotice(const platform::Message& message) override {
    switch (message.notice) {
      case platform::Notice::kTextChanged: RaiseSimple(window_id_, unit_id_, event::edit::kContentChanged); break;
      case platform::Notice::kGotFocus: RaiseSimple(window_id_, unit_id_, event::common::kGotFocus); break;
      case platform::Notice::kLostFocus: {
        UnitId window = window_id_, unit = unit_id_;
        RewriteNumber();  // may run handlers; raise the focus event by ids only
        RaiseSimple(window, unit, event::common::kLostFocus);
        break;
      }
      case platform::Notice::kSpin: Spin(message.a > 0 ? 1 : -1); break;
      default: break;
    }
  }

 private:
  // Store, set the text without a change notice, then one content-changed event.
  // Then selects `length` bytes from `start` (by default the caret at the
  // start, as after any new text); the event comes last, as its handler may
  // destroy this unit.
  void SetContent(const std::string& text, int start = 0, int length = 0) {
    content_ = text;
    if (handle_ != 0) {
      System().SetText(handle_, text);
      System().SetEditSelection(handle_, start, length);
    }
    RaiseSimple(window_id_, unit_id_, event::edit::kContentChanged);
  }

  // Numeric input modes rewrite the text as its clamped number on focus loss.
  void RewriteNumber() {
    if (input_mode_ < 5 || input_mode_ > 7 || handle_ == 0) return;
    std::int64_t value = ParseDecimal(System().GetText(handle_));
    std::int64_t low = input_mode_ == 5 ? 0 : input_mode_ == 6 ? -32768 : INT32_MIN;
    std::int64_t high = input_mode_ == 5 ? 255 : input_mode_ == 6 ? 32767 : INT32_MAX;
    value = value < low ? low : (value > high ? high : value);
    std::string text = std::to_string(value);
    if (text != System().GetText(handle_)) SetContent(text);
  }

  void Spin(int step) {
    if (spin_style_ == 2) {
      EventNotice notice;
      notice.window = window_id_;
      notice.unit = unit_id_;
      notice.event = event::edit::kSpinPressed;
      notice.argc = 1;
      notice.args[0] = step;
      RaiseEvent(notice);
      return;
    }
    if (spin_style_ != 1 || handle_ == 0) return;
    const UnitId window = window_id_, unit = unit_id_;
    System().SetFocus(handle_);
    // Taking the focus runs the focus handlers, which may unload the window
    // or re-create this box: go on with the box as it is now, if any.
    WindowObject* loaded = Registry().FindLoaded(window);
    auto* box = loaded != nullptr ? dynamic_cast<EditBox*>(loaded->FindUnit(unit)) : nullptr;
    if (box != nullptr) box->Step(step);
  }

  // Moves the box's number by one; a number that would leave the range
  // continues at its other end. The new number is all selected.
  void Step(int step) {
    if (handle_ == 0) return;
    const platform::EditSpin range = SpinControl();
    // Any number beyond the 32-bit range is out of the spin's range too;
    // clamped first so the step cannot overflow.
    std::int64_t value = std::clamp<std::int64_t>(ParseDecimal(System().GetText(handle_)), INT32_MIN, INT32_MAX) + step;
    if (value > range.high) value = range.low;
    if (value < range.low) value = range.high;
    const std::string number = std::to_string(value);
    SetContent(number, 0, static_cast<int>(number.size()));
  }

  struct Range {
    std::int32_t start = 0, length = 0;
  };

  // The control's selection in bytes of its text.
  Range Selection() const {
    Range range{selection_start_, selection_length_};
    if (handle_ != 0) System().GetEditSelection(handle_, &range.start, &range.length);
    return range;
  }

  // Selects `length` bytes from `start`: a start of -1 is the end of the
  // text, a length of -1 runs to the end; the control keeps both within the
  // text and on whole characters.
  void Select(std::int32_t start, std::int32_t length) {
    const auto size = static_cast<std::int32_t>(Content().size());
    const std::int32_t from = start < 0 ? size : std::min(start, size);
    const std::int32_t count = length < 0 ? size - from : std::min(length, size - from);
    selection_start_ = from;
    selection_length_ = count;
    if (handle_ != 0) System().SetEditSelection(handle_, from, count);
  }

  std::string SelectedText() const {
    const Range range = Selection();
    const std::string text = Content();
    const std::size_t start = std::min<std::size_t>(static_cast<std::size_t>(std::max(range.start, 0)), text.size());
    return text.substr(start, static_cast<std::size_t>(std::max(range.length, 0)));
  }

  // Replaces the selection, leaving the caret after the new text as typing does.
  void ReplaceSelection(const std::string& with) {
    const Range range = Selection();
    std::string text = Content();
    const std::size_t start = std::min<std::size_t>(static_cast<std::size_t>(std::max(range.start, 0)), text.size());
    text.replace(start, static_cast<std::size_t>(std::max(range.length, 0)), with);
    SetContent(text, static_cast<int>(start + with.size()));
  }

  std::int32_t border_ = 1;
  std::uint32_t text_colour_ = 0x000000, background_ = 0xFFFFFF;
  std::int32_t hide_selection_ = 1, max_length_ = 0, multi_line_ = 0, scroll_bars_ = 0, alignment_ = 0,
               input_mode_ = 0;
  std::uint16_t password_char_ = '*';
  std::int32_t case_mode_ = 0, spin_style_ = 0, spin_min_ = 0, spin_max_ = 100, selection_start_ = 0,
               selection_length_ = 0;
  std::string font_, content_, text27_, text28_;
};

}  // namespace

std::unique_ptr<Unit> CreateEditBox(const UnitTypeInfo& type, const CreateContext& context) {
  auto unit = std::make_unique<EditBox>(type, context);
  if (context.property_data == nullptr || !unit->Parse(*context.property_data) || !unit->Create(context))
    return nullptr;
  return unit;
}

}  // namespace ui
