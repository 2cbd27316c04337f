// svg2png SOURCE_DIR OUTPUT_DIR: renders SOURCE_DIR/**/x.svg to OUTPUT_DIR/**/x.png at the SVG's own size.
// svg2png FILE.svg FILE.png SIZE: renders one SVG to a SIZE x SIZE picture (the icon theme's sizes).
#include <QDir>
#include <QDirIterator>
#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <QSvgRenderer>
#include <cstdio>

#include "PngWriter.h"

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    if (argc == 4) {
        const int size = QString::fromLocal8Bit(argv[3]).toInt();
        QSvgRenderer renderer(QString::fromLocal8Bit(argv[1]));
        if (size <= 0 || !renderer.isValid()) {
            std::fprintf(stderr, "svg2png: cannot render %s at %s\n", argv[1], argv[3]);
            return 1;
        }
        QImage image(size, size, QImage::Format_ARGB32_Premultiplied);
        image.fill(Qt::transparent);
        QPainter painter(&image);
        renderer.render(&painter);
        painter.end();
        const QString target = QString::fromLocal8Bit(argv[2]);
        QDir().mkpath(QFileInfo(target).absolutePath());
        return writeFastPng(image, target) ? 0 : 1;
    }
    if (argc != 3) {
        std::fprintf(stderr, "usage: svg2png SOURCE_DIR OUTPUT_DIR | svg2png FILE.svg FILE.png SIZE\n");
        return 2;
    }
    const QDir source(QString::fromLocal8Bit(argv[1]));
    const QString output = QString::fromLocal8Bit(argv[2]);
    int failures = 0;
    QDirIterator it(source.absolutePath(), {QStringLiteral("*.svg")}, QDir::Files,
                    QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString svg = it.next();
        QString target = output + QLatin1Char('/') + source.relativeFilePath(svg);
        target.chop(4);
        target += QStringLiteral(".png");
        QSvgRenderer renderer(svg);
        if (!renderer.isValid()) {
            std::fprintf(stderr, "svg2png: cannot read %s\n", qPrintable(svg));
            ++failures;
            continue;
        }
        QImage image(renderer.defaultSize(), QImage::Format_ARGB32_Premultiplied);
        image.fill(Qt::transparent);
        QPainter painter(&image);
        renderer.render(&painter);
        painter.end();
        QDir().mkpath(QFileInfo(target).absolutePath());
        if (!writeFastPng(image, target)) {
            std::fprintf(stderr, "svg2png: cannot write %s\n", qPrintable(target));
            ++failures;
        }
    }
    return failures == 0 ? 0 : 1;
}
