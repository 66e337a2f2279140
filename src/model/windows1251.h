#pragma once

#include <QByteArray>
#include <QChar>
#include <QString>

// The Windows-1251 (Cyrillic) code page, which the export files are written in. A character
// the code page lacks becomes "?".
QByteArray EncodeWindows1251(const QString& text);
char EncodeWindows1251(QChar c);
QString DecodeWindows1251(const QByteArray& bytes);
