// The Qt application the Linux desktop runs in. Besides QApplication's own
// work it counts how deeply events are being delivered (widgets the program
// destroys are deleted only when none is, so no widget goes while one of
// its own handlers runs), draws the password character each edit box asks
// for, speaks Chinese in Qt's own texts (context menus), and gives the
// program its fonts: the templates' faces mapped to the system's families,
// Chinese falling back to a CJK family.
#pragma once

#include <QApplication>
#include <QFont>

#include <string>

namespace platform::qt {

class Application final : public QApplication {
 public:
  // argc must stay alive as long as the application (QApplication keeps it).
  Application(int& argc, char** argv);
  ~Application() override;

  bool notify(QObject* receiver, QEvent* event) override;

  // How many event deliveries are running now; 0 between events.
  static int DeliveryDepth();
  static Application* Instance();
};

// A font from the 60-byte font description of the templates (height,
// width, escapement, orientation, weight, italic, underline, strike-out,
// character set, precision and quality bytes, 32-byte face name in GBK).
// Faces of Windows map to families the system has; every font falls back
// to a family that shows Chinese. Empty or malformed: the default font.
QFont DescribedFont(const std::string& description);
// The font of units without one: 9 points (12 pixels) in a face that shows
// Chinese.
QFont DefaultFont();
// The families tried, in order, for a face name (UTF-8 in, as Qt takes them).
QStringList FamiliesFor(const QString& face);

}  // namespace platform::qt
