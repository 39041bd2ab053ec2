// The label (the runtime's own "_VL_Label" window) and the button unit.
#include "ui/byte_reader.h"
#include "ui/units/control_unit.h"
#include "ui/units/unit_factories.h"
#include "ui/unit_numbers.h"

namespace ui {
namespace {

namespace L = prop::label;
namespace B = prop::button;

// The label's word-sized properties, in the order its property data keeps them.
constexpr std::int32_t kLabelWords[] = {L::kTextEffect, L::kInteger11,   L::kBorder,     L::kColour12,
                                        L::kColour13,   L::kColour14,    L::kTextColour, L::kBackground,
                                        L::kChoice19,   L::kChoice20,    L::kColour21,   L::kColour22,
                                        L::kColour23,   L::kHorizontalAlign, L::kVerticalAlign, L::kWordWrap};

class Label : public ControlUnit {
 public:
  using ControlUnit::ControlUnit;

  bool Parse(const std::vector<std::uint8_t>& data) {
    if (data.empty()) return true;
    ByteReader in(data.data(), data.size());
    std::uint32_t version = in.U32();
    if (version > 2) return false;
    for (std::int32_t index : kLabelWords) words_[index] = in.U32();
    font_ = in.CountedText();
    picture_ = in.CountedText();
    caption_ = in.CountedText();
    if (version >= 2) {
      text27_ = in.CountedText();
      text28_ = in.CountedText();
    }
    return !in.failed();
  }

  PropertyValue GetProperty(int index) override {
    PropertyValue v;
    switch (index) {
      case L::kCaption: v.data = handle_ != 0 ? System().GetText(handle_) : caption_; break;
      case L::kFont: v.data = font_; break;
      case L::kBackgroundPicture: v.data = picture_; break;
      case L::kText27: v.data = text27_; break;
      case L::kText28: v.data = text28_; break;
      default:
        if (index >= L::kTextEffect && index <= L::kVerticalAlign) v.word = words_[index];
        break;
    }
    return v;
  }

  bool SetProperty(int index, const PropertyValue& v) override {
    switch (index) {
      case L::kCaption:
        caption_ = v.data;
        System().SetText(handle_, caption_);
        break;
      case L::kFont: font_ = v.data; break;
      case L::kBackgroundPicture: picture_ = v.data; break;
      case L::kText27: text27_ = v.data; break;
      case L::kText28: text28_ = v.data; break;
      case L::kTextEffect: words_[L::kTextEffect] = static_cast<std::uint32_t>(ClampChoice(v.word, 0, 3)); break;
      case L::kBorder: words_[L::kBorder] = static_cast<std::uint32_t>(ClampChoice(v.word, 0, 5)); break;
      case L::kHorizontalAlign:
      case L::kVerticalAlign: words_[index] = static_cast<std::uint32_t>(ClampChoice(v.word, 0, 2)); break;
      default:
        if (index >= L::kTextEffect && index <= L::kVerticalAlign) words_[index] = v.word;
        break;
    }
    if (handle_ != 0 && index != L::kCaption) System().SetLook(handle_, Look());
    return false;  // every write only repaints
  }

  std::vector<std::uint8_t> SavePropertyData() override {
    ByteWriter out;
    out.U32(2);
    for (std::int32_t index : kLabelWords) out.U32(words_[index]);
    for (const std::string* text : {&font_, &picture_, &caption_, &text27_, &text28_}) out.CountedText(*text);
    return out.Take();
  }

  void OnNotice(const platform::Message& message) override { CommonNotice(message); }

  bool CreateLabelWindow(const CreateContext& context) {
    return CreateWindow(platform::ControlKind::kLabel, "_VL_Label", caption_, context, Look());
  }

  platform::ControlLook Look() const {
    platform::ControlLook look;
    look.font = font_;
    look.text_effect = static_cast<int>(words_[L::kTextEffect]);
    look.border = static_cast<platform::Border>(words_[L::kBorder]);
    look.text_colour = words_[L::kTextColour];
    look.background = words_[L::kBackground];
    look.horizontal_align = static_cast<int>(words_[L::kHorizontalAlign]);
    look.word_wrap = words_[L::kWordWrap] != 0;
    look.vertical_align = static_cast<int>(words_[L::kVerticalAlign]);
    return look;
  }

  std::string caption_;

 private:
  // Integer properties 9..26 by index; the label's own defaults.
  std::uint32_t words_[L::kVerticalAlign + 1] = {0, 0, 0, 0, 0, 0, 0, 0, 0,
                              /*9*/ 0, /*10*/ 0, /*11*/ 8, /*12*/ 0x808080, /*13*/ 0xFFFFFF, /*14*/ 0x808080,
                              /*15*/ 0, /*16*/ 0x000000, /*17*/ 0xFF000000, /*18*/ 0, /*19*/ 1, /*20*/ 0,
                              /*21*/ 0x808080, /*22*/ 0xFFFFFF, /*23*/ 0x808080, /*24*/ 0, /*25*/ 0, /*26*/ 1};
  std::string font_, picture_, text27_, text28_;
};

class Button : public ControlUnit {
 public:
  using ControlUnit::ControlUnit;

  bool Parse(const std::vector<std::uint8_t>& data) {
    if (data.empty()) return true;
    ByteReader in(data.data(), data.size());
    std::uint32_t version = in.U32();
    if (version > 1) return false;
    kind_ = in.I32();
    horizontal_ = in.I32();
    vertical_ = in.I32();
    picture_ = in.CountedText();
    font_ = in.CountedText();
    caption_ = in.CountedText();
    return !in.failed();
  }

  bool IsDefaultButton() const override { return kind_ == 1; }

  platform::ControlLook Look() const {
    platform::ControlLook look;
    look.font = font_;
    look.horizontal_align = horizontal_;
    look.vertical_align = vertical_;
    return look;
  }

  PropertyValue GetProperty(int index) override {
    PropertyValue v;
    switch (index) {
      case B::kPicture: v.data = picture_; break;
      case B::kType: v.word = static_cast<std::uint32_t>(kind_); break;
      case B::kCaption: v.data = handle_ != 0 ? System().GetText(handle_) : caption_; break;
      case B::kHorizontalAlign: v.word = static_cast<std::uint32_t>(horizontal_); break;
      case B::kVerticalAlign: v.word = static_cast<std::uint32_t>(vertical_); break;
      case B::kFont: v.data = font_; break;
      default: break;
    }
    return v;
  }

  bool SetProperty(int index, const PropertyValue& v) override {
    switch (index) {
      case B::kPicture: picture_ = v.data; break;
      case B::kType:
        kind_ = ClampChoice(v.word, 0, 1);
        System().SetDefaultButton(handle_, kind_ == 1);
        break;
      case B::kCaption:
        caption_ = v.data;
        System().SetText(handle_, caption_);
        break;
      case B::kHorizontalAlign: horizontal_ = ClampChoice(v.word, 0, 2); break;
      case B::kVerticalAlign: vertical_ = ClampChoice(v.word, 0, 2); break;
      case B::kFont: font_ = v.data; break;
      default: break;
    }
    if (handle_ != 0 && (index == B::kHorizontalAlign || index == B::kVerticalAlign || index == B::kFont)) System().SetLook(handle_, Look());
    return false;
  }

  std::vector<std::uint8_t> SavePropertyData() override {
    ByteWriter out;
    out.U32(1);
    out.I32(kind_);
    out.I32(horizontal_);
    out.I32(vertical_);
    out.CountedText(picture_);
    out.CountedText(font_);
    out.CountedText(caption_);
    return out.Take();
  }

  void OnNotice(const platform::Message& message) override {
    if (message.notice == platform::Notice::kClicked) {
      RaiseSimple(window_id_, unit_id_, event::button::kClicked);  // last use of `this`: the handler may destroy it
      return;
    }
    CommonNotice(message);
  }

  bool CreateButtonWindow(const CreateContext& context) {
    if (!CreateWindow(platform::ControlKind::kButton, "BUTTON", caption_, context, Look())) return false;
    if (kind_ == 1) System().SetDefaultButton(handle_, true);
    return true;
  }

  std::int32_t kind_ = 0, horizontal_ = 1, vertical_ = 1;
  std::string picture_, font_, caption_ = "按钮";
};

}  // namespace

std::unique_ptr<Unit> CreateLabel(const UnitTypeInfo& type, const CreateContext& context) {
  auto unit = std::make_unique<Label>(type, context);
  if (context.property_data == nullptr || !unit->Parse(*context.property_data)) return nullptr;
  // Labels show "&" as it is; the desktop draws the text unchanged.
  if (!unit->CreateLabelWindow(context)) return nullptr;
  return unit;
}

std::unique_ptr<Unit> CreateButton(const UnitTypeInfo& type, const CreateContext& context) {
  auto unit = std::make_unique<Button>(type, context);
  if (context.property_data == nullptr || !unit->Parse(*context.property_data)) return nullptr;
  if (!unit->CreateButtonWindow(context)) return nullptr;
  return unit;
}

}  // namespace ui
