#pragma once
#include <QString>

class QImage;

// Writes a picture as an 8-bit RGBA PNG whose rows use only the filters that are cheap to undo (none,
// sub, up). The program decodes its pictures at every start, and the encoder's usual choice (mostly
// Paeth) costs about three times as much to decode for files of about the same size.
bool writeFastPng(const QImage& image, const QString& path);
