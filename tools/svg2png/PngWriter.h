#pragma once
#include <QString>

class QImage;

// Writes a picture as an 8-bit RGBA PNG with unfiltered rows. The program decodes its pictures at every
// start: undoing the encoder's usual filters (mostly Paeth) costs more than the whole rest of the decode,
// and these flat, gradient-filled pictures still compress to less than Qt's own writer makes of them.
bool writeFastPng(const QImage& image, const QString& path);
