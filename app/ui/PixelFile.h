#pragma once
#include <QImage>
#include <QString>

// A picture as the raster engine draws it: "ZFPIXEL1", width and height (32-bit little-endian), then the
// rows of premultiplied ARGB pixels (32-bit little-endian each), nothing else. A large picture shown before
// the first paint is mapped from this form instead of decoded from its PNG, which costs more than the rest
// of the device list's start. The build writes it beside the PNG the style sheets name.
namespace PixelFile {

// The picture mapped read-only from the file; a null image if the file is missing, not of this form, or
// of a length other than its header gives (the caller then uses the PNG).
QImage map(const QString& path);

// Writes the picture atomically; false if it is empty or the file cannot be written.
bool write(const QImage& image, const QString& path);

// The pixel file kept beside a PNG: "x.png" -> "x.pixels".
QString besidePng(const QString& png);

} // namespace PixelFile
