#pragma once
#include <QString>

// Reversible encoding of Config.ini values: the text goes through a character substitution of ours
// (letters rotated by 13, digits by 5; its own inverse), then UTF-8, then Base64.
namespace ConfigCodec {
QString encode(const QString& plain);
// Undecodable input (not Base64) gives an empty text.
QString decode(const QString& encoded);
QString substitute(const QString& text);
// Keys whose values are stored as plain text.
bool isPlainKey(const QString& key);
} // namespace ConfigCodec
