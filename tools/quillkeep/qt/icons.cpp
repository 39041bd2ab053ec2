#include "tools/quillkeep/qt/icons.h"

#include <QBuffer>
#include <QByteArray>
#include <QImageReader>

#include "tools/quillkeep/qt/icon_data.h"  // generated: kNotebookIcon, kPasswordKeyIcon

namespace quillkeep_qt {
namespace {

// Every picture of an .ico file, so each size is drawn from its own.
QIcon FromIco(const unsigned char* bytes, std::size_t size) {
  QByteArray data = QByteArray::fromRawData(reinterpret_cast<const char*>(bytes), static_cast<qsizetype>(size));
  QBuffer buffer(&data);
  buffer.open(QIODevice::ReadOnly);
  QImageReader reader(&buffer, QByteArrayLiteral("ico"));
  QIcon icon;
  for (int i = 0; i < reader.imageCount() || i == 0; ++i) {
    if (i > 0 && !reader.jumpToNextImage()) break;
    QImage image = reader.read();
    if (!image.isNull()) icon.addPixmap(QPixmap::fromImage(image));
  }
  return icon;
}

}  // namespace

QIcon NotebookIcon() { return FromIco(kNotebookIcon, sizeof kNotebookIcon); }
QIcon PasswordKeyIcon() { return FromIco(kPasswordKeyIcon, sizeof kPasswordKeyIcon); }

}  // namespace quillkeep_qt
