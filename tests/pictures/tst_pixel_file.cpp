#include "SamplePicture.h"
#include "app/ui/PixelFile.h"

#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

class TestPixelFile : public QObject {
    Q_OBJECT
private slots:
    // Soft edges and see-through corners: mapped back, the same premultiplied pixels, drawn the same.
    void writtenPicturesMapToTheSamePixels() {
        QTemporaryDir dir;
        const QImage drawn = samplePicture(37, 23);
        const QString path = dir.filePath(QStringLiteral("p.pixels"));
        for (const QImage& image : {drawn, drawn.convertToFormat(QImage::Format_ARGB32)}) {
            QVERIFY(PixelFile::write(image, path));
            QFile file(path);
            QCOMPARE(file.size(), 16 + 37 * 23 * 4);
            const QImage back = PixelFile::map(path);
            QCOMPARE(back.format(), QImage::Format_ARGB32_Premultiplied);
            QCOMPARE(back, drawn);
        }
        QCOMPARE(PixelFile::besidePng(QStringLiteral("/a/Dialog/BackGround2.png")),
                 QStringLiteral("/a/Dialog/BackGround2.pixels"));
    }

    // Each refused file gives a null image, so the caller draws the PNG instead.
    void brokenFilesAreRefused() {
        QTemporaryDir dir;
        QImage image(4, 3, QImage::Format_ARGB32_Premultiplied);
        image.fill(Qt::red);
        const QString good = dir.filePath(QStringLiteral("good.pixels"));
        QVERIFY(PixelFile::write(image, good));
        QFile file(good);
        QVERIFY(file.open(QIODevice::ReadOnly));
        const QByteArray bytes = file.readAll();
        const auto refused = [&](QByteArray data) {
            const QString path = dir.filePath(QStringLiteral("bad.pixels"));
            QFile out(path);
            return out.open(QIODevice::WriteOnly | QIODevice::Truncate) && out.write(data) == data.size() &&
                   (out.close(), PixelFile::map(path).isNull());
        };
        QVERIFY(refused(bytes.left(bytes.size() - 1)));                                     // short
        QVERIFY(refused(bytes + 'x'));                                                      // long
        QVERIFY(refused(bytes.left(10)));                                                   // no whole header
        QVERIFY(refused(QByteArray(bytes).replace(0, 8, "ZFPIXEL2")));                      // another form
        QVERIFY(refused(QByteArray(bytes).replace(8, 4, "\0\0\0\0", 4)));                   // no width
        QVERIFY(refused(QByteArray(bytes).replace(8, 8, "\xff\xff\xff\xff\x01\0\0\0", 8))); // huge
        QVERIFY(PixelFile::map(dir.filePath(QStringLiteral("missing.pixels"))).isNull());
        QVERIFY(!PixelFile::write(QImage(), dir.filePath(QStringLiteral("empty.pixels"))));
        QVERIFY(!PixelFile::write(image, dir.filePath(QStringLiteral("no/folder/p.pixels"))));
    }
};

QTEST_GUILESS_MAIN(TestPixelFile)
#include "tst_pixel_file.moc"
