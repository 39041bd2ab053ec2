#include "platform/qt/application_qt.h"

#include <QFontDatabase>
#include <QLibraryInfo>
#include <QLocale>
#include <QProxyStyle>
#include <QStyleFactory>
#include <QTranslator>
#include <QWidget>

#include <cstdint>
#include <cstring>

#include "platform/qt/text_qt.h"

namespace platform::qt {
namespace {

using namespace Qt::StringLiterals;

int g_depth = 0;
Application* g_instance = nullptr;

// Fusion, the same on every Linux desktop (the templates place every
// control to the pixel, which themes with larger paddings would cut), with
// the password character each masked box names.
class Style final : public QProxyStyle {
 public:
  Style() : QProxyStyle(QStyleFactory::create(QStringLiteral("Fusion"))) {}

  int styleHint(StyleHint hint, const QStyleOption* option, const QWidget* widget,
                QStyleHintReturn* data) const override {
    if (hint == SH_LineEdit_PasswordCharacter && widget != nullptr) {
      QVariant mask = widget->property("qk_password_character");
      if (mask.isValid()) return mask.value<QChar>().unicode();
    }
    return QProxyStyle::styleHint(hint, option, widget, data);
  }
};

// Families that show Chinese, best first; the first the system has wins,
// and the others stay behind it as fallbacks for missing characters.
const QStringList& ChineseFamilies() {
  static const QStringList families = {QStringLiteral("Noto Sans CJK SC"), QStringLiteral("Source Han Sans SC"),
                                       QStringLiteral("WenQuanYi Zen Hei"), QStringLiteral("WenQuanYi Micro Hei"),
                                       QStringLiteral("Droid Sans Fallback")};
  return families;
}

// Faces of Windows that Linux systems lack; their text is shown in the
// Chinese families (a Song face in a Hei family: thin serifs at 9 points
// are what the issue of broken strokes was about).
bool IsWindowsChineseFace(const QString& face) {
  static const QStringList faces = {u"微软雅黑"_s,  u"Microsoft YaHei"_s, u"Microsoft YaHei UI"_s, u"宋体"_s,
                                    u"SimSun"_s,    u"新宋体"_s,          u"NSimSun"_s,            u"黑体"_s,
                                    u"SimHei"_s,    u"MS Shell Dlg"_s,    u"MS Shell Dlg 2"_s,     u"System"_s};
  return faces.contains(face, Qt::CaseInsensitive);
}

std::int32_t ReadI32(const unsigned char* p) {
  std::int32_t v;
  std::memcpy(&v, p, sizeof v);
  return v;
}

constexpr int kDefaultPixels = 12;  // 9 points at 96 dots per inch

}  // namespace

Application::Application(int& argc, char** argv) : QApplication(argc, argv) {
  g_instance = this;
  setQuitOnLastWindowClosed(false);  // the window runtime decides when the program ends
  auto* style = new Style;
  setStyle(style);  // the application owns it
  setPalette(style->standardPalette());
  setFont(DefaultFont());
  // Qt's own texts (an edit box's context menu) in Chinese, when installed.
  auto* translator = new QTranslator(this);
  if (translator->load(QLocale(QLocale::Chinese, QLocale::China), QStringLiteral("qtbase"), QStringLiteral("_"),
                       QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
    installTranslator(translator);
}

Application::~Application() {
  if (g_instance == this) g_instance = nullptr;
}

bool Application::notify(QObject* receiver, QEvent* event) {
  struct Depth {
    Depth() { ++g_depth; }
    ~Depth() { --g_depth; }
  } depth;
  return QApplication::notify(receiver, event);
}

int Application::DeliveryDepth() { return g_depth; }
Application* Application::Instance() { return g_instance; }

QStringList FamiliesFor(const QString& face) {
  QStringList families;
  if (!face.isEmpty() && !IsWindowsChineseFace(face) && QFontDatabase::hasFamily(face)) families << face;
  families << ChineseFamilies();
  return families;
}

QFont DefaultFont() {
  QFont font;
  font.setFamilies(FamiliesFor(QString()));
  font.setPixelSize(kDefaultPixels);
  return font;
}

QFont DescribedFont(const std::string& description) {
  constexpr std::size_t kSize = 60, kFaceOffset = 28, kFaceSize = 32;
  if (description.size() < kSize) return DefaultFont();
  const auto* p = reinterpret_cast<const unsigned char*>(description.data());
  std::int32_t height = ReadI32(p);
  std::int32_t weight = ReadI32(p + 16);
  std::size_t face_length = 0;
  while (face_length < kFaceSize && p[kFaceOffset + face_length] != 0) ++face_length;
  QString face = FromGbk(std::string(reinterpret_cast<const char*>(p + kFaceOffset), face_length));

  QFont font;
  font.setFamilies(FamiliesFor(face));
  // A negative height is the characters' own height, a positive one the
  // cell's (characters and the leading above them, about a fifth).
  int pixels = height < 0 ? -height : height > 0 ? (height * 4 + 2) / 5 : kDefaultPixels;
  font.setPixelSize(pixels < 1 ? 1 : pixels > 400 ? 400 : pixels);
  if (weight > 0) font.setWeight(static_cast<QFont::Weight>(weight < 100 ? 100 : weight > 900 ? 900 : weight));
  font.setItalic(p[20] != 0);
  font.setUnderline(p[21] != 0);
  font.setStrikeOut(p[22] != 0);
  return font;
}

}  // namespace platform::qt
