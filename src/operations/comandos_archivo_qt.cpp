#include "operations/comandos_archivo_qt.h"

#include <QApplication>
#include <QPointer>

#include "folder/contenido_visor.h"
#include "operations/frm_renombrar_qt.h"
#include "platform/etiquetas_udisks_qt.h"

namespace quirvex {
namespace {

// Runs the dialog and gives the focus back to whoever had it.
bool Ejecutar(frmRenombrar& dialogo) {
    QPointer<QWidget> foco = QApplication::focusWidget();
    const bool hecho = dialogo.exec() == QDialog::Accepted;
    if (foco) foco->setFocus();
    return hecho;
}

}  // namespace

bool MostrarRenombrar(QWidget* padre, const cContenidoVisor& visor, std::int64_t itemActual,
                      OyenteCambios* oyente) {
    if (itemActual < 0 || static_cast<std::size_t>(itemActual) >= visor.Items.size()) return false;
    if (visor.EnMiPC()) InstalarEtiquetasUdisks();
    frmRenombrar dialogo(padre);
    dialogo.PrepararRenombrar(visor, itemActual, oyente);
    return Ejecutar(dialogo);
}

bool MostrarArchivoNuevo(QWidget* padre, const std::string& carpeta, OyenteCambios* oyente) {
    if (carpeta.empty()) return false;
    frmRenombrar dialogo(padre);
    dialogo.PrepararArchivoNuevo(carpeta, oyente);
    return Ejecutar(dialogo);
}

}  // namespace quirvex
