#pragma once
// A font the machine has, given another family name (and, when asked, taller lines), so that a
// test can make the special font appear and measure what it changes. The name table's family
// records (name ids 1, 4, 6 and 16) are rewritten in place, never longer than the originals, so
// no offset moves; the ascender is raised in the hhea and OS/2 tables alike.

#include <QByteArray>
#include <QFile>
#include <QString>
#include <QtEndian>

namespace quirvex::prueba {

// `ascenso` in font units, 0 to keep the source's. Empty when the source cannot be read.
inline QByteArray FuenteRenombrada(const QString& origen, const QString& familia, int ascenso = 0) {
    QFile archivo(origen);
    if (!archivo.open(QIODevice::ReadOnly)) return {};
    QByteArray f = archivo.readAll();
    if (f.size() < 12) return {};
    auto u16 = [&](qsizetype p) { return qFromBigEndian<quint16>(f.constData() + p); };
    auto u32 = [&](qsizetype p) { return qFromBigEndian<quint32>(f.constData() + p); };
    auto tabla = [&](const char* etiqueta) -> qsizetype {
        for (int t = 0; t < u16(4); ++t)
            if (f.mid(12 + 16 * t, 4) == etiqueta) return u32(12 + 16 * t + 8);
        return -1;
    };
    const qsizetype nombre = tabla("name");
    if (nombre < 0) return {};
    const qsizetype textos = nombre + u16(nombre + 4);
    for (int r = 0; r < u16(nombre + 2); ++r) {
        const qsizetype reg = nombre + 6 + 12 * r;
        const quint16 plataforma = u16(reg), id = u16(reg + 6);
        if (id != 1 && id != 4 && id != 6 && id != 16) continue;
        QString valor = familia;
        if (id == 6) valor.remove(QLatin1Char(' '));  // a PostScript name has no spaces
        QByteArray texto;
        for (const QChar c : valor) {
            if (plataforma != 1) texto += '\0';  // UTF-16BE but on the Macintosh platform
            texto += static_cast<char>(c.unicode());
        }
        if (texto.size() > u16(reg + 8)) return {};
        f.replace(textos + u16(reg + 10), texto.size(), texto);
        qToBigEndian<quint16>(static_cast<quint16>(texto.size()), f.data() + reg + 8);
    }
    if (ascenso > 0) {
        const qsizetype hhea = tabla("hhea"), os2 = tabla("OS/2");
        if (hhea < 0 || os2 < 0) return {};
        qToBigEndian<qint16>(static_cast<qint16>(ascenso), f.data() + hhea + 4);
        qToBigEndian<qint16>(static_cast<qint16>(ascenso), f.data() + os2 + 68);  // sTypoAscender
        qToBigEndian<quint16>(static_cast<quint16>(ascenso), f.data() + os2 + 74);  // usWinAscent
    }
    return f;
}

}  // namespace quirvex::prueba
