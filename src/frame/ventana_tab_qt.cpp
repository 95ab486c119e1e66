#include "frame/ventana_tab_qt.h"

#include <QFile>
#include <QStringList>
#include <QWidget>

#include "folder/contenido_visor.h"
#include "frame/direccion.h"
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

}  // namespace quirvex
