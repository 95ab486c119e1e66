#include "settings/traduccion_qt.h"

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QTranslator>

#include "settings/idioma.h"
#include "settings/opciones.h"

namespace quirvex {
namespace {

QString g_carpeta;

QTranslator*& Instalada() {
    static QTranslator* t = nullptr;
    return t;
}

// Qt names its translations by ISO code; the built-in languages by their primary ids.
QString CodigoQt(int idPrimario) {
    switch (idPrimario) {
        case 10: return QStringLiteral("es");
        default: return {};
    }
}

}  // namespace

void SetCarpetaTraduccionesQt(const QString& carpeta) { g_carpeta = carpeta; }

bool AplicarTraduccionQt() {
    auto* app = QCoreApplication::instance();
    if (!app) return false;
    const auto& idiomas = IdiomasIncorporados();
    const int indice = Opciones().Language;
    const QString codigo = indice >= 0 && indice < static_cast<int>(idiomas.size())
                               ? CodigoQt(idiomas[static_cast<size_t>(indice)].idPrimario)
                               : QString();
    QTranslator*& actual = Instalada();
    if (actual) {
        QCoreApplication::removeTranslator(actual);
        delete actual;
        actual = nullptr;
    }
    if (codigo.isEmpty()) return true;
    auto* t = new QTranslator(app);
    const QString carpeta = g_carpeta.isEmpty() ? QLibraryInfo::path(QLibraryInfo::TranslationsPath) : g_carpeta;
    if (!t->load(QStringLiteral("qtbase_") + codigo, carpeta)) {
        delete t;
        return false;
    }
    QCoreApplication::installTranslator(t);
    actual = t;
    return true;
}

}  // namespace quirvex
