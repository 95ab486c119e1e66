#include "frame/ventana_tab_qt.h"

#include <QFile>
#include <QStringList>
#include <QWidget>

#include "folder/contenido_visor.h"
#include "frame/direccion.h"
#include "pane/seleccion_visor.h"
#include "pane/visor_qt.h"
#include "platform/smb.h"
#include "settings/idioma.h"

namespace quirvex {

int SiguienteIdTab() {
    static int ultimo = 0;
    return ++ultimo;
}

cContenidoVisor* VentanaTab::GetContenidoVisor(int) { return nullptr; }

cContenidoVisor* VentanaTab::ContenidoAVisor() { return nullptr; }

void VentanaTab::GoDefaultFolder(const QString& ruta) {
    if (cContenidoVisor* c = GetContenidoVisor(0))
        c->GoDefaultFolder(QFile::encodeName(ruta).toStdString());
}

void VentanaTab::SetEditandoFiltro(bool) {}

void VentanaTab::SetTeclasE(bool) {}

void VentanaTab::SetCopiarPegarHabilitado(bool) {}

void VentanaTab::AplicarFiltro(const QString& texto, int tipo) {
    cContenidoVisor* c = ContenidoAVisor();
    if (!c) return;
    c->txtFiltro = texto.toStdString();
    c->cboFiltro = tipo;
    c->CargarContenido(std::string(), true);
}

// A share's buttons start at the network location, then its host and the share: read as a
// local path, "//host/share" would offer "/" and a local "/host".
QStringList VentanaTab::BotonesRuta() {
    cContenidoVisor* c = ContenidoAVisor();
    if (c && (c->EnRed() || c->EnRecursoRed())) {
        QStringList botones{QString::fromUtf8(TEXTO_RED)};
        for (const std::string& p : PartesRutaRed(c->RutaActual))
            botones << QFile::decodeName(QByteArray::fromStdString(p));
        return botones;
    }
    QStringList botones{QString::fromStdString(TextoMiPC())};
    if (!c || c->EnMiPC()) return botones;
    for (const std::string& p : PartesDeRuta(c->RutaActual))
        botones << QFile::decodeName(QByteArray::fromStdString(p));
    return botones;
}

void VentanaTab::picBR_Click(int indice) {
    cContenidoVisor* c = ContenidoAVisor();
    if (!c || indice < 0) return;
    const bool red = c->EnRed() || c->EnRecursoRed();
    if (indice == 0) {
        c->CargarContenido(red ? std::string(TEXTO_RED) : TextoMiPC(), true);
        return;
    }
    const std::string destino = red ? RutaRedDeParte(c->RutaActual, indice - 1)
                                    : RutaDeParte(c->RutaActual, indice - 1);
    if (!destino.empty()) c->CargarContenido(destino, true);
}

QIcon VentanaTab::CurrentIcon() { return {}; }

void VentanaTab::EnfocarVisor() {
    if (QWidget* w = Widget()) w->setFocus(Qt::OtherFocusReason);
}

void VentanaTab::MouseWheel(int) {}

void VentanaTab::AbrirArchivo(const QString&) {}

void VentanaTab::ActualizarRuta(const CambioRuta&) {}

void VentanaTab::MostrarItem(const std::string& carpeta, const std::string& nombre) {
    cVisor* v = aVisor();
    const CargaEnEspera espera;  // the item is selected in what the load shows
    if (!v || !v->CargarContenido(carpeta)) return;
    const std::int64_t i = v->Contenido().GetIndexItem(nombre);
    if (i < 0 || i >= v->nItems()) return;
    v->Seleccion().SELECCIONAR(static_cast<int>(i), SEL_EXCLUSIVA, true);
    v->HacerVisible(static_cast<int>(i));
    v->Dibujar();
}

void VentanaTab::RenombrarMiPC() {
    const std::string& anterior = TextoMiPCAnterior();
    if (anterior.empty() || anterior == TextoMiPC()) return;
    for (int k = 0; k < nVisores(); ++k) {
        cContenidoVisor* c = GetContenidoVisor(k);
        if (!c || c->RutaActual != anterior) continue;
        // The list itself is the same; only its name changed.
        c->CargarContenido(TextoMiPC(), false);
    }
}

}  // namespace quirvex
