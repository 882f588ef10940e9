#include "widgets/gif_picture.h"

#include <cstring>

#include "platform/dialogs.h"
#include "platform/text.h"

namespace lumenda::ui {

RgbPicture RgbOf(const QImage& image) {
  const QImage rgb = image.convertToFormat(QImage::Format_RGB888);
  RgbPicture picture{rgb.width(), rgb.height(), {}};
  const auto rowBytes = static_cast<std::size_t>(rgb.width()) * 3;
  picture.rgb.resize(rowBytes * static_cast<std::size_t>(rgb.height()));
  for (int y = 0; y < rgb.height(); ++y)
    std::memcpy(picture.rgb.data() + rowBytes * static_cast<std::size_t>(y), rgb.constScanLine(y),
                rowBytes);
  return picture;
}

Status SaveWidgetAsGif(QWidget& widget, const QString& path) {
  return WriteGif(S(path), RgbOf(widget.grab().toImage()));
}

QString SavePictureAs(QWidget& widget, const QString& folder) {
  const QString path =
      Dialogs().SaveFile(FileChoice{QStringLiteral("Guardar como"), folder, QString(),
                                    QStringLiteral("Imágenes gif (*.gif)"), QStringLiteral("gif")});
  if (path.isEmpty()) return {};
  const Status saved = SaveWidgetAsGif(widget, path);
  if (!saved.ok()) {
    Dialogs().Error(Q(saved.message));
    return {};
  }
  return path;
}

}  // namespace lumenda::ui
