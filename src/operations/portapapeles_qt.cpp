#include "operations/portapapeles_qt.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QMimeData>
#include <string_view>

#include "operations/lista_uris.h"
#include "operations/rutas_operacion.h"
#include "platform/dialogos.h"
#include "platform/unidades.h"
#include "settings/idioma.h"

namespace quirvex {
namespace {

const QString FORMATO_URIS = QStringLiteral("text/uri-list");
const QString FORMATO_COPIADOS = QStringLiteral("x-special/gnome-copied-files");

QByteArray Bytes(const std::string& s) { return QByteArray(s.data(), static_cast<qsizetype>(s.size())); }
// A view of the bytes, not a copy: a clipboard list may be many megabytes.
std::string_view Vista(const QByteArray& b) {
    return std::string_view(b.constData(), static_cast<std::size_t>(b.size()));
}

// The stop sign when the list was being written; no picture when it was being read.
void AvisarPortapapeles(IconoMensaje icono) {
    DialogosSistema().Mensaje(TEXTO_ERROR_PORTAPAPELES, Texto(General, 0), Botones::Aceptar, icono);
}

bool EsUnidad(const std::string& ruta) {
    const std::string r = SinBarraFinal(ruta);
    if (r == "/" || r.empty()) return true;
    for (const Volumen& v : UnidadesSistema().Listar())
        if (SinBarraFinal(v.puntoMontaje) == r) return true;
    return false;
}

QClipboard* Portapapeles() {
    return qobject_cast<QGuiApplication*>(QCoreApplication::instance()) ? QGuiApplication::clipboard()
                                                                       : nullptr;
}

}  // namespace

QMimeData* CrearDatosArchivos(const std::vector<std::string>& rutas, bool cortar) {
    auto* datos = new QMimeData;
    datos->setData(FORMATO_URIS, Bytes(TextoListaUris(rutas)));
    datos->setData(FORMATO_COPIADOS, Bytes(TextoArchivosCopiados(rutas, cortar)));
    return datos;
}

ListaPortapapeles LeerDatosArchivos(const QMimeData* datos) {
    ListaPortapapeles lista;
    if (!datos) return lista;
    if (datos->hasFormat(FORMATO_COPIADOS)) {
        const QByteArray copiados = datos->data(FORMATO_COPIADOS);
        if (RutasDeArchivosCopiados(Vista(copiados), lista.rutas, lista.cortar) && !lista.rutas.empty())
            return lista;
    }
    lista = {};
    if (datos->hasFormat(FORMATO_URIS)) {
        const QByteArray uris = datos->data(FORMATO_URIS);
        lista.rutas = RutasDeListaUris(Vista(uris));
        if (!lista.rutas.empty()) return lista;
    }
    if (datos->hasText()) {
        const QByteArray texto = datos->text().toUtf8();
        RutasDeTextoPlano(Vista(texto), lista.rutas);
    }
    return lista;
}

bool PonerEnPortapapeles(const std::vector<std::string>& rutas, bool cortar) {
    for (const std::string& r : rutas) {
        if (EsUnidad(r)) {
            DialogosSistema().Mensaje(Texto(General, 43), Texto(General, 0), Botones::Aceptar,
                                      IconoMensaje::Ninguno);
            return false;
        }
    }
    QClipboard* cb = Portapapeles();
    if (!cb) {
        AvisarPortapapeles(IconoMensaje::Stop);
        return false;
    }
    cb->setMimeData(CrearDatosArchivos(rutas, cortar));
    // A platform that refused the data leaves something else (or nothing) there.
    const QMimeData* puesto = cb->mimeData();
    if (!puesto || !puesto->hasFormat(FORMATO_URIS)) {
        AvisarPortapapeles(IconoMensaje::Stop);
        return false;
    }
    return true;
}

ListaPortapapeles LeerPortapapeles() {
    QClipboard* cb = Portapapeles();
    if (!cb) {
        AvisarPortapapeles(IconoMensaje::Ninguno);
        return {};
    }
    return LeerDatosArchivos(cb->mimeData());
}

}  // namespace quirvex
