// The default of "Special Font" as the program itself decides it: nothing installed by the test.

#include <QFile>
#include <QFontDatabase>
#include <QTemporaryDir>
#include <QtEndian>

#include "frame/arranque_qt.h"
#include "frame/tab_falsa_qt.h"
#include "support/fakes.h"

namespace quirvex::prueba {
namespace {

// A copy of a font the machine has, its family renamed: the name table's family records
// (name ids 1, 4 and 16) are rewritten in place, shorter than the originals.
QString FuenteRenombrada(const QString& carpeta, const QString& familia) {
    QFile origen(QStringLiteral("/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf"));
    if (!origen.open(QIODevice::ReadOnly)) return {};
    QByteArray f = origen.readAll();
    auto u16 = [&](qsizetype p) { return qFromBigEndian<quint16>(f.constData() + p); };
    auto u32 = [&](qsizetype p) { return qFromBigEndian<quint32>(f.constData() + p); };
    qsizetype nombre = -1;
    for (int t = 0; t < u16(4); ++t)
        if (f.mid(12 + 16 * t, 4) == "name") nombre = u32(12 + 16 * t + 8);
    if (nombre < 0) return {};
    const qsizetype textos = nombre + u16(nombre + 4);
    for (int r = 0; r < u16(nombre + 2); ++r) {
        const qsizetype reg = nombre + 6 + 12 * r;
        const quint16 plataforma = u16(reg), id = u16(reg + 6);
        if (id != 1 && id != 4 && id != 16) continue;
        QByteArray texto;
        for (const QChar c : familia) {
            if (plataforma != 1) texto += '\0';  // UTF-16BE but on the Macintosh platform
            texto += static_cast<char>(c.unicode());
        }
        if (texto.size() > u16(reg + 8)) return {};
        f.replace(textos + u16(reg + 10), texto.size(), texto);
        qToBigEndian<quint16>(static_cast<quint16>(texto.size()), f.data() + reg + 8);
    }
    const QString ruta = carpeta + QStringLiteral("/renombrada.ttf");
    QFile destino(ruta);
    if (!destino.open(QIODevice::WriteOnly) || destino.write(f) != f.size()) return {};
    return ruta;
}

using SondaFuenteEspecial = MarcoTest;

TEST_F(SondaFuenteEspecial, TheProgramItselfTellsTheDefaultsWhetherTheFontIsInstalled) {
    SetSondaFuenteEspecial(nullptr);  // as a fresh run: only the program may install a probe
    QTemporaryDir carpeta;
    const int id = QFontDatabase::addApplicationFont(
        FuenteRenombrada(carpeta.path(), QStringLiteral("Segoe UI")));
    ASSERT_NE(id, -1);
    ASSERT_TRUE(QFontDatabase::applicationFontFamilies(id).contains(QStringLiteral("Segoe UI")));

    PrepararNucleo();  // reads the empty store: every setting takes its default
    DialogosGrabados dialogos;
    EXPECT_EQ(Opciones().SpecialFont, 1);

    QFontDatabase::removeApplicationFont(id);
    OpcionesPorDefecto();
    EXPECT_EQ(Opciones().SpecialFont, 0);
    SetSondaFuenteEspecial(nullptr);
}

}  // namespace
}  // namespace quirvex::prueba
