#include "ui/font.h"

#include <cmath>
#include <cstring>

#include "platform/coding.h"
#include "runtime/helpers.h"

namespace ui {
namespace {

constexpr std::size_t kHeight = 0, kEscapement = 8, kOrientation = 12, kWeight = 16, kItalic = 20,
                      kUnderline = 21, kStrikeOut = 22, kCharSet = 23, kFace = 28, kFaceSize = 32;
constexpr const char* kFallbackFace = "宋体";

std::int32_t GetI32(const std::string& font, std::size_t at) { return platform::GetI32(font.data() + at); }
void SetI32(std::string& font, std::size_t at, std::int32_t v) { platform::PutI32(font.data() + at, v); }

std::string Normalised(const std::string& font) {
  if (font.size() == kFontSize) return font;
  return DefaultFontData();
}

void SetFace(std::string& font, const std::string& face) {
  std::string name = face.empty() || face.size() >= kFaceSize ? std::string(kFallbackFace) : face;
  std::memset(font.data() + kFace, 0, kFaceSize);
  std::memcpy(font.data() + kFace, name.data(), name.size());
}

}  // namespace

std::string DefaultFontData() {
  std::string font(kFontSize, '\0');
  SetI32(font, kHeight, -12);
  SetI32(font, kWeight, 400);
  font[kCharSet] = static_cast<char>(134);  // GB2312 character set
  SetFace(font, kFallbackFace);
  return font;
}

rt::Value ReadFontPart(const std::string& stored, std::int32_t sub_index) {
  std::string font = Normalised(stored);
  switch (sub_index) {
    case 0: return rt::Value::Int(GetI32(font, kEscapement));
    case 1: return rt::Value::Bool(GetI32(font, kWeight) >= 700);
    case 2: return rt::Value::Bool(font[kItalic] != 0);
    case 3: return rt::Value::Bool(font[kStrikeOut] != 0);
    case 4: return rt::Value::Bool(font[kUnderline] != 0);
    case 5: {
      std::int32_t height = GetI32(font, kHeight);
      return rt::Value::Int(static_cast<std::int32_t>(std::lround(std::abs(height) * 72.0 / 96.0)));
    }
    case 6: {
      std::size_t n = strnlen(font.data() + kFace, kFaceSize);
      return rt::Value::Text(n == 0 ? nullptr : rt::CopyTextN(font.data() + kFace, static_cast<std::int64_t>(n)));
    }
    default:
      return rt::Value::Pointer(rt::MakeBytes(font.data(), static_cast<std::int64_t>(font.size())), rt::type::kBytes);
  }
}

std::string WriteFontPart(const std::string& stored, std::int32_t sub_index, std::uint32_t lo, std::uint32_t hi) {
  std::string font = Normalised(stored);
  rt::Value value{lo, hi, 0};
  switch (sub_index) {
    case 0: {
      std::int32_t angle = static_cast<std::int32_t>(lo) % 3600;
      SetI32(font, kEscapement, angle);
      SetI32(font, kOrientation, angle);
      break;
    }
    case 1: SetI32(font, kWeight, lo != 0 ? 700 : 400); break;
    case 2: font[kItalic] = lo != 0 ? 1 : 0; break;
    case 3: font[kStrikeOut] = lo != 0 ? 1 : 0; break;
    case 4: font[kUnderline] = lo != 0 ? 1 : 0; break;
    case 5: {
      auto points = static_cast<std::int32_t>(lo);
      SetI32(font, kHeight, -static_cast<std::int32_t>(std::lround(std::abs(points) * 96.0 / 72.0)));
      break;
    }
    case 6: SetFace(font, value.text() == nullptr ? std::string() : std::string(value.text())); break;
    default: {
      void* block = value.pointer();
      if (block != nullptr && rt::BytesLength(block) == static_cast<std::int32_t>(kFontSize)) {
        font.assign(reinterpret_cast<const char*>(rt::BytesData(block)), kFontSize);
        std::string face(font.data() + kFace, strnlen(font.data() + kFace, kFaceSize));
        if (face.empty() || face.size() >= kFaceSize) SetFace(font, face);
      }
      break;
    }
  }
  return font;
}

}  // namespace ui
