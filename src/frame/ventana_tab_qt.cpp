#include "frame/ventana_tab_qt.h"

#include <QFile>
#include <QStringList>
#include <QWidget>

#include "folder/contenido_visor.h"
#include "frame/direccion.h"
#include "pane/seleccion_visor.h"
#include "pane/visor_qt.h"
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

QStringList VentanaTab::BotonesRuta() {
    QStringList botones{QString::fromStdString(TextoMiPC())};
    cContenidoVisor* c = ContenidoAVisor();
    if (!c || c->EnMiPC() || c->EnRed()) return botones;
    for (const std::string& p : PartesDeRuta(c->RutaActual))
        botones << QFile::decodeName(QByteArray::fromStdString(p));
    return botones;
}

void VentanaTab::picBR_Click(int indice) {
    cContenidoVisor* c = ContenidoAVisor();
    if (!c || indice < 0) return;
    if (indice == 0) {
        c->CargarContenido(TextoMiPC(), true);
        return;
    }
    const std::string destino = RutaDeParte(c->RutaActual, indice - 1);
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
