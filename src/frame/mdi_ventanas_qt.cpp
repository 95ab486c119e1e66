// The frame's services for the search tabs and the options window: opening a search tab,
// showing a hit in a folder tab, the options window and the language and tab-caption changes
// it applies to every open window.

#include <QFile>

#include "folder/contenido_visor.h"
#include "frame/frm_acerca_qt.h"
#include "frame/mdi_qt.h"
#include "frame/tabs_guardados.h"
#include "frame/ventana_tab_qt.h"
#include "operations/frm_operaciones_qt.h"
#include "pane/visor_qt.h"
#include "platform/dialogos.h"
#include "search/frm_buscar_qt.h"
#include "settings/frm_opciones_qt.h"
#include "settings/idioma.h"

namespace quirvex {

void MDI::NuevaBusqueda(const QString& ruta) {
    // Folder and search tabs together never pass the limit the message names.
    if (ContarTabs() >= MAX_VENTANAS_TAB) {
        DialogosSistema().Mensaje(TextoN(General, 9, MAX_VENTANAS_TAB), Texto(General, 0),
                                  Botones::Aceptar, IconoMensaje::Informacion);
        return;
    }
    BloqueoDibujo bloqueo(*this);
    auto* f = new frmBuscar(*this, SiguienteIdTab(), cliente_);
    f->hide();
    VentanasTab_.push_back(f);
    if (!ruta.isEmpty()) {
        std::string carpeta = QFile::encodeName(ruta).toStdString();
        if (carpeta.back() != '/') carpeta.push_back('/');
        f->AgregarCarpeta(carpeta);
    }
    const int n = AgregarTab(f, QStringLiteral("."), f->CurrentIcon(), false, PIEL_BUSQUEDA);
    f->SetIdioma();
    e_tabB_Click(n);
}

void MDI::CerrarVentanaTab(const VentanaTab* tab) {
    if (!tab) return;
    const int i = tab->nTab();
    if (i >= 0 && i < static_cast<int>(Tabs_.size()) && Tabs_[static_cast<size_t>(i)].Ventana == tab)
        CerrarTab(i);
}

void MDI::MostrarEnCarpeta(const std::string& carpeta, const std::string& nombre) {
    VentanaTab* destino = nullptr;
    for (const RegistroTab& r : Tabs_)
        if (EsCarpeta(r.Ventana) && (!destino || r.Ventana->Widget() == ultimaCarpeta_))
            destino = r.Ventana;
    if (!destino) {
        cmdNuevoTab_Click();
        if (!EsCarpeta(activa_)) return;
        destino = activa_;
    }
    e_tabB_Click(destino->nTab());
    destino->MostrarItem(carpeta, nombre);
}

void MDI::MostrarOpciones() {
    if (!frmO_) {
        auto* o = new frmO(this, this);
        o->setAttribute(Qt::WA_DeleteOnClose);
        frmO_ = o;
    }
    frmO_->setWindowModality(Qt::ApplicationModal);
    frmO_->show();
    frmO_->raise();
    frmO_->activateWindow();
}

void MDI::AplicarIdioma() {
    AplicarTextoMiPC();
    for (VentanaTab* v : VentanasTab_)
        if (v) v->RenombrarMiPC();
    SetIdioma();
    if (auto* o = dynamic_cast<frmOperaciones*>(frmOperaciones_)) o->SetIdioma();
}

void MDI::RecargarPaneles() {
    for (VentanaTab* v : VentanasTab_) {
        if (!v) continue;
        for (int i = 0; i < v->nVisores(); ++i) {
            cVisor* visor = v->GetVisor(i);
            // A pane whose listing is on its way takes the new options when it comes.
            if (!visor || visor->Contenido().EnMiPC() || visor->Contenido().EnRed() ||
                !visor->Contenido().CargaRedEnCurso().empty())
                continue;
            visor->Contenido().CargarContenido(std::string(), true);
        }
    }
}

void MDI::RedibujarTabs() {
    for (int i = 0; i < static_cast<int>(Tabs_.size()); ++i)
        SetTextoTab(i, Tabs_[static_cast<size_t>(i)].TextoCompleto, true);
}

}  // namespace quirvex
