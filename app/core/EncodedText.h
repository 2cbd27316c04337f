#pragma once
// Texts stored in a byte-limited field of a legacy 8-bit encoding (macro names).
#include <QString>
#include <QTextBoundaryFinder>
#include <QTextCodec>

namespace EncodedText {

// The longest leading part of `text` whose encoding takes at most `maxBytes`, cut only between
// characters (grapheme clusters), so neither the field nor the device ever holds half of one.
inline QString leadingWithin(const QString& text, QTextCodec* codec, int maxBytes) {
    if (codec->fromUnicode(text).size() <= maxBytes)
        return text;
    QTextBoundaryFinder finder(QTextBoundaryFinder::Grapheme, text);
    int best = 0;
    for (int pos = finder.toNextBoundary(); pos > 0; pos = finder.toNextBoundary()) {
        if (codec->fromUnicode(text.left(pos)).size() > maxBytes)
            break;
        best = pos;
    }
    return text.left(best);
}

} // namespace EncodedText
