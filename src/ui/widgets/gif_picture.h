// "Guardar como..." of the chart pages: what a widget shows, as a GIF file.
#pragma once

#include <QImage>
#include <QString>
#include <QWidget>

#include "image/gif_writer.h"

namespace lumenda::ui {

// The RGB triplets of an image (any format).
RgbPicture RgbOf(const QImage& image);

// Writes what `widget` shows (children included) to `path` as GIF.
Status SaveWidgetAsGif(QWidget& widget, const QString& path);

// Asks for a file name (filter "Imágenes gif (*.gif)") and saves the widget's
// picture there; a failure is shown in an error box. Returns the path
// written, empty when cancelled or failed.
QString SavePictureAs(QWidget& widget, const QString& folder = {});

}  // namespace lumenda::ui
