#include "PngWriter.h"
#include "SamplePicture.h"

#include <QFile>
#include <QImage>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QtEndian>
#include <QtTest>

namespace {

// Every row's filter byte, read back from the file's one zlib stream.
QList<int> rowFilters(const QByteArray& png, int height, int stride) {
    QByteArray idat;
    for (int at = 8; at + 12 <= png.size();) {
        const quint32 length = qFromBigEndian<quint32>(png.constData() + at);
        if (png.mid(at + 4, 4) == "IDAT")
            idat += png.mid(at + 8, int(length));
        at += 12 + int(length);
    }
    QByteArray sized(4, '\0');
    qToBigEndian<quint32>(quint32((stride + 1) * height), sized.data());
    const QByteArray raw = qUncompress(sized + idat);
    QList<int> filters;
    for (int y = 0; y < height && y * (stride + 1) < raw.size(); ++y)
        filters << int(uchar(raw[y * (stride + 1)]));
    return filters;
}

} // namespace

class TestPngWriter : public QObject {
    Q_OBJECT
private slots:
    // Drawn pictures with soft edges, flat areas, noise and see-through parts: decoded, the same pixels;
    // no row is filtered, since undoing filters is the costly part of decoding.
    void writtenPicturesDecodeToTheSamePixels() {
        QTemporaryDir dir;
        QImage drawn = samplePicture(97, 61);
        QRandomGenerator random(15);
        for (int y = 45; y < 61; ++y)
            for (int x = 0; x < 97; ++x)
                drawn.setPixel(x, y, random.generate());
        QImage unpremultiplied = drawn.convertToFormat(QImage::Format_ARGB32);
        for (int y = 45; y < 61; ++y) // straight alpha, so the premultiplied source holds valid pixels
            for (int x = 0; x < 97; ++x)
                unpremultiplied.setPixel(x, y, random.generate());

        for (const QImage& image : {drawn, unpremultiplied, QImage(1, 1, QImage::Format_RGB32)}) {
            const QString path = dir.filePath(QStringLiteral("p.png"));
            QVERIFY(writeFastPng(image, path));
            const QImage back(path);
            QCOMPARE(back.size(), image.size());
            QCOMPARE(back.convertToFormat(QImage::Format_ARGB32),
                     image.convertToFormat(QImage::Format_ARGB32));
            QFile file(path);
            QVERIFY(file.open(QIODevice::ReadOnly));
            const QList<int> filters = rowFilters(file.readAll(), image.height(), image.width() * 4);
            QCOMPARE(filters.size(), image.height());
            for (int f : filters)
                QVERIFY2(f == 0, qPrintable(QStringLiteral("filter %1").arg(f)));
        }
    }

    void nothingToWriteOrNowhereToWriteFails() {
        QTemporaryDir dir;
        QVERIFY(!writeFastPng(QImage(), dir.filePath(QStringLiteral("empty.png"))));
        QVERIFY(!QFile::exists(dir.filePath(QStringLiteral("empty.png"))));
        QImage image(4, 4, QImage::Format_ARGB32);
        image.fill(Qt::red);
        QVERIFY(!writeFastPng(image, dir.filePath(QStringLiteral("missing/folder/p.png"))));
    }
};

QTEST_GUILESS_MAIN(TestPngWriter)
#include "tst_png_writer.moc"
