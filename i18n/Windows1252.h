#pragma once
// The desktop platform's 8-bit code page, Windows-1252: Latin-1 with printable
// characters (€ „ “ ” – — … ™ and others) in place of the controls 0x80 .. 0x9F.
// The five bytes the code page leaves undefined stand for the control of the same
// number, as the platform reads them, so that every byte round-trips.
#include <QByteArray>
#include <QString>

QString DecodeWindows1252(QByteArrayView bytes);
// Characters the code page cannot hold become '?', as the platform writes them.
QByteArray EncodeWindows1252(QStringView text);
