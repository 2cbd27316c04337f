#pragma once
// A picture with soft edges, a colour ramp and see-through corners: what the build's picture files hold.

#include <QImage>
#include <QLinearGradient>
#include <QPainter>

inline QImage samplePicture(int width, int height) {
    QImage drawn(width, height, QImage::Format_ARGB32_Premultiplied);
    drawn.fill(Qt::transparent);
    QPainter painter(&drawn);
    painter.setRenderHint(QPainter::Antialiasing);
    QLinearGradient gradient(0, 0, width, 0);
    gradient.setColorAt(0, QColor(10, 200, 30, 40));
    gradient.setColorAt(1, QColor(250, 20, 90, 255));
    painter.setBrush(gradient);
    painter.drawRoundedRect(QRectF(3, 3, width - 7, height * 2 / 3.0), 12, 12);
    return drawn;
}
