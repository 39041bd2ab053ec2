#include "platform/win32/gdi_support.h"

#include <cstring>
#include <map>

#include "platform/win32/wide_text.h"

namespace platform::win32 {
namespace {

int CALLBACK NoteFound(const LOGFONTW*, const TEXTMETRICW*, DWORD, LPARAM found) {
  *reinterpret_cast<bool*>(found) = true;
  return 0;  // one is enough
}

struct FaceChoice {
  std::wstring preferred;  // the best-ranked family seen so far
  int rank = 1000;
};

// Families that show Chinese well at small sizes rank first; after them any
// outline family, and bitmap-only or vertical variants last.
int CALLBACK RankFace(const LOGFONTW* font, const TEXTMETRICW*, DWORD type, LPARAM out) {
  auto* choice = reinterpret_cast<FaceChoice*>(out);
  static const wchar_t* const kPreferred[] = {L"\u5FAE\u8F6F\u96C5\u9ED1", L"Microsoft YaHei", L"Microsoft YaHei UI",
                                              L"\u5B8B\u4F53", L"SimSun", L"NSimSun", L"WenQuanYi Zen Hei",
                                              L"Noto Sans CJK SC", L"Droid Sans Fallback"};
  std::wstring face = font->lfFaceName;
  if (face.empty() || face[0] == L'@') return 1;
  int rank = 500;
  for (int i = 0; i < static_cast<int>(sizeof kPreferred / sizeof kPreferred[0]); ++i)
    if (face == kPreferred[i]) rank = i;
  if (rank == 500 && ((type & TRUETYPE_FONTTYPE) == 0 || face.find(L"Sharp") != std::wstring::npos)) rank = 900;
  if (rank < choice->rank) {
    choice->rank = rank;
    choice->preferred = face;
  }
  return 1;
}

bool Enumerate(const std::wstring& face, BYTE charset) {
  if (face.size() >= LF_FACESIZE) return false;
  LOGFONTW query{};
  query.lfCharSet = charset;
  wcscpy_s(query.lfFaceName, face.c_str());
  bool found = false;
  HDC screen = ::GetDC(nullptr);
  ::EnumFontFamiliesExW(screen, &query, NoteFound, reinterpret_cast<LPARAM>(&found), 0);
  ::ReleaseDC(nullptr, screen);
  return found;
}

// A face that shows Chinese: the given one when it can, else the first
// installed family with the GB2312 character set.
std::wstring ChineseCapableFace(const std::wstring& face) {
  if (Enumerate(face, GB2312_CHARSET)) return face;
  static const std::wstring fallback = [] {
    FaceChoice choice;
    LOGFONTW query{};
    query.lfCharSet = GB2312_CHARSET;
    HDC screen = ::GetDC(nullptr);
    ::EnumFontFamiliesExW(screen, &query, RankFace, reinterpret_cast<LPARAM>(&choice), 0);
    ::ReleaseDC(nullptr, screen);
    return choice.preferred;
  }();
  return fallback.empty() ? face : fallback;
}

std::wstring DefaultGuiFace() {
  LOGFONTW font{};
  ::GetObjectW(::GetStockObject(DEFAULT_GUI_FONT), sizeof font, &font);
  return font.lfFaceName;
}

std::int32_t ReadI32(const unsigned char* p) {
  std::int32_t v;
  std::memcpy(&v, p, sizeof v);
  return v;
}

}  // namespace

int ScreenDpi() {
  static const int dpi = [] {
    HDC screen = ::GetDC(nullptr);
    int value = ::GetDeviceCaps(screen, LOGPIXELSY);
    ::ReleaseDC(nullptr, screen);
    return value > 0 ? value : 96;
  }();
  return dpi;
}

int WindowDpi(HWND window) {
  // Looked up at run time: user32 has it from Windows 10 1607 on.
  using GetDpiForWindowFn = UINT(WINAPI*)(HWND);
  static const auto get_dpi = reinterpret_cast<GetDpiForWindowFn>(
      reinterpret_cast<void*>(::GetProcAddress(::GetModuleHandleW(L"user32.dll"), "GetDpiForWindow")));
  UINT dpi = get_dpi != nullptr && window != nullptr ? get_dpi(window) : 0;
  return dpi > 0 ? static_cast<int>(dpi) : ScreenDpi();
}

int ScaleToDpi(int pixels, int dpi) { return ::MulDiv(pixels, dpi, 96); }
int ScaleFromDpi(int pixels, int dpi) { return ::MulDiv(pixels, 96, dpi > 0 ? dpi : 96); }
int ScaleToScreen(int pixels) { return ScaleToDpi(pixels, ScreenDpi()); }
int ScaleFromScreen(int pixels) { return ScaleFromDpi(pixels, ScreenDpi()); }

HCURSOR ArrowCursor() { return ::LoadCursorW(nullptr, MAKEINTRESOURCEW(32512)); }  // IDC_ARROW

bool FaceInstalled(const std::wstring& face) { return !face.empty() && Enumerate(face, DEFAULT_CHARSET); }

HFONT CreateDescribedFont(const std::string& description, int dpi) {
  constexpr std::size_t kSize = 60, kFaceOffset = 28, kFaceSize = 32;
  if (description.size() < kSize) return nullptr;
  const auto* p = reinterpret_cast<const unsigned char*>(description.data());
  LOGFONTW font{};
  font.lfHeight = ScaleToDpi(ReadI32(p), dpi);
  font.lfWidth = ScaleToDpi(ReadI32(p + 4), dpi);
  font.lfEscapement = ReadI32(p + 8);
  font.lfOrientation = ReadI32(p + 12);
  font.lfWeight = ReadI32(p + 16);
  font.lfItalic = p[20];
  font.lfUnderline = p[21];
  font.lfStrikeOut = p[22];
  font.lfCharSet = p[23];
  font.lfOutPrecision = p[24];
  font.lfClipPrecision = p[25];
  font.lfQuality = p[26];
  font.lfPitchAndFamily = p[27];
  std::size_t face_length = 0;
  while (face_length < kFaceSize && p[kFaceOffset + face_length] != 0) ++face_length;
  std::wstring face = WidenGbk(std::string(reinterpret_cast<const char*>(p + kFaceOffset), face_length));
  if (!FaceInstalled(face)) face = DefaultGuiFace();
  face = ChineseCapableFace(face);
  if (face.size() >= LF_FACESIZE) return nullptr;
  wcscpy_s(font.lfFaceName, face.c_str());
  if (font.lfCharSet == ANSI_CHARSET) font.lfCharSet = DEFAULT_CHARSET;  // let the face pick its Chinese glyphs
  return ::CreateFontIndirectW(&font);
}

HFONT DefaultGuiFont(int dpi) {
  static std::map<int, HFONT> made_for;  // the window system's thread only
  HFONT& font = made_for[dpi];
  if (font == nullptr) {
    LOGFONTW description{};
    ::GetObjectW(::GetStockObject(DEFAULT_GUI_FONT), sizeof description, &description);
    description.lfHeight = -::MulDiv(9, dpi, 72);
    description.lfWidth = 0;
    description.lfCharSet = DEFAULT_CHARSET;
    std::wstring face = ChineseCapableFace(description.lfFaceName);
    if (face.size() < LF_FACESIZE) wcscpy_s(description.lfFaceName, face.c_str());
    HFONT made = ::CreateFontIndirectW(&description);
    font = made != nullptr ? made : static_cast<HFONT>(::GetStockObject(DEFAULT_GUI_FONT));
  }
  return font;
}

}  // namespace platform::win32
