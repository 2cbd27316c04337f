// svg2png SOURCE_DIR OUTPUT_DIR [--pixels REL.svg]...: renders SOURCE_DIR/**/x.svg to OUTPUT_DIR/**/x.png at
// the SVG's own size; the pictures named after --pixels (relative to SOURCE_DIR) also to x.pixels, the form
// the program maps without decoding.
// svg2png FILE.svg FILE.png SIZE: renders one SVG to a SIZE x SIZE picture (the icon theme's sizes).
#include <QDir>
#include <QDirIterator>
#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <QSet>
#include <QSvgRenderer>
#include <cstdio>

#include "PngWriter.h"
#include "app/ui/PixelFile.h"

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
    QSet<QString> pixels;
    bool usage = argc < 3;
    for (int i = 3; i < argc && !usage; i += 2) {
        usage = i + 1 >= argc || qstrcmp(argv[i], "--pixels") != 0;
        if (!usage)
            pixels.insert(QDir::cleanPath(QString::fromLocal8Bit(argv[i + 1])));
    }
    if (usage) {
        std::fprintf(stderr, "usage: svg2png SOURCE_DIR OUTPUT_DIR [--pixels REL.svg]... | "
                             "svg2png FILE.svg FILE.png SIZE\n");
        return 2;
    }
    const QDir source(QString::fromLocal8Bit(argv[1]));
    const QString output = QString::fromLocal8Bit(argv[2]);
    int failures = 0;
    QDirIterator it(source.absolutePath(), {QStringLiteral("*.svg")}, QDir::Files,
                    QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString svg = it.next();
        const QString rel = source.relativeFilePath(svg);
        QString target = output + QLatin1Char('/') + rel;
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
        if (!writeFastPng(image, target) ||
            (pixels.remove(rel) && !PixelFile::write(image, PixelFile::besidePng(target)))) {
            std::fprintf(stderr, "svg2png: cannot write %s\n", qPrintable(target));
            ++failures;
        }
    }
    // A name that matched no picture is a mistake in the build's list, not something to pass over.
    for (const QString& rel : qAsConst(pixels)) {
        std::fprintf(stderr, "svg2png: no picture %s for --pixels\n", qPrintable(rel));
        ++failures;
    }
    return failures == 0 ? 0 : 1;
}
