#pragma once
// frmAnfitrion: a plain top-level window that hosts one folder tab (frmMain) and offers the
// frame services it needs — address box, back, forward and up buttons, the view and pane
// commands — until the tabbed frame window takes its place.

#include <QMainWindow>

#include "frame/marco_qt.h"

class QAction;
class QLineEdit;

namespace quirvex {

class frmMain;

class frmAnfitrion final : public QMainWindow, public Marco {
    Q_OBJECT
public:
    frmAnfitrion();
    frmMain* Tab() const { return tab_; }
    // Opens the folder (empty = the default start folder) in the first pane.
    void Abrir(const QString& ruta);

    // Marco
    bool EsTabActual(const VentanaTab* tab) const override;
    void SetEstadoAtrasAdelante(int boton, bool habilitado) override;
    void SetTextoTab(const VentanaTab* tab, const QString& texto) override;
    void SetDireccion(const QString& texto, bool editable) override;
    void SetFiltro(const QString&, int) override {}
    void CancelarBusquedaRapida() override {}
    void MostrarInfo(const QString&, const QString&) override {}
    void ActualizarRuta(const QString&, const QString&, const QString&, int, int) override {}
    bool CargaTerminada() const override { return cargada_; }

private:
    void CrearMenus();
    void IrHistorial(int paso);

    frmMain* tab_ = nullptr;
    QLineEdit* txtDireccion_;
    QAction* cmdAtras_;
    QAction* cmdAdelante_;
    bool cargada_ = false;
};

}  // namespace quirvex
