// configcodec encode-ini IN OUT | decode-ini IN OUT | encode TEXT | decode TEXT
// The INI forms work line by line so comments, order and groups of the source survive; values of the
// encoded keys are transformed item by item (comma-separated lists stay lists).
#include "app/core/ConfigCodec.h"

#include <QCoreApplication>
#include <QFile>
#include <QSaveFile>
#include <QStringList>
#include <QTextStream>
#include <cstdio>

namespace {
QString transformLine(const QString& line, bool encode) {
    const QString trimmed = line.trimmed();
    if (trimmed.isEmpty() || trimmed.startsWith(QLatin1Char(';')) || trimmed.startsWith(QLatin1Char('#')) ||
        trimmed.startsWith(QLatin1Char('[')))
        return line;
    const int eq = line.indexOf(QLatin1Char('='));
    if (eq < 0)
        return line;
    const QString key = line.left(eq).trimmed();
    if (ConfigCodec::isPlainKey(key))
        return line;
    QStringList items = line.mid(eq + 1).trimmed().split(QLatin1Char(','));
    for (QString& item : items)
        item = encode ? ConfigCodec::encode(item.trimmed()) : ConfigCodec::decode(item.trimmed());
    return key + QLatin1Char('=') + items.join(QLatin1Char(','));
}

int convertFile(const QString& in, const QString& out, bool encode) {
    QFile source(in);
    if (!source.open(QIODevice::ReadOnly | QIODevice::Text)) {
        std::fprintf(stderr, "configcodec: cannot read %s\n", qPrintable(in));
        return 1;
    }
    QTextStream reader(&source);
    reader.setCodec("UTF-8");
    QSaveFile target(out);
    if (!target.open(QIODevice::WriteOnly | QIODevice::Text)) {
        std::fprintf(stderr, "configcodec: cannot write %s\n", qPrintable(out));
        return 1;
    }
    QTextStream writer(&target);
    writer.setCodec("UTF-8");
    while (!reader.atEnd())
        writer << transformLine(reader.readLine(), encode) << '\n';
    writer.flush();
    if (!target.commit()) {
        std::fprintf(stderr, "configcodec: cannot write %s\n", qPrintable(out));
        return 1;
    }
    return 0;
}
} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments();
    if (args.size() == 4 &&
        (args[1] == QLatin1String("encode-ini") || args[1] == QLatin1String("decode-ini")))
        return convertFile(args[2], args[3], args[1] == QLatin1String("encode-ini"));
    if (args.size() == 3 && (args[1] == QLatin1String("encode") || args[1] == QLatin1String("decode"))) {
        const QString result =
            args[1] == QLatin1String("encode") ? ConfigCodec::encode(args[2]) : ConfigCodec::decode(args[2]);
        std::printf("%s\n", result.toUtf8().constData());
        return 0;
    }
    std::fprintf(stderr,
                 "usage: configcodec encode-ini IN OUT | decode-ini IN OUT | encode TEXT | decode TEXT\n");
    return 2;
}
