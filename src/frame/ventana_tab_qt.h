#pragma once
// VentanaTab: a tab's window as the frame sees it — a folder tab (frmMain, with its panes) or a
// search tab (frmBuscar). The frame talks to the current tab only through these members, so a
// new kind of tab needs no change in the frame. Owned by the frame; destroyed with deleteLater.

#include <QString>

class QWidget;

namespace quirvex {

class cVisor;

class VentanaTab {
public:
    virtual ~VentanaTab() = default;

    virtual QWidget* Widget() = 0;
    // "frmMain" for a folder tab, "frmBuscar" for a search tab.
    virtual QString NombreVentana() const = 0;
    virtual int ID() const = 0;
    virtual int nTab() const = 0;
    virtual void SetnTab(int n) = 0;

    // Panes; a search tab has none (nVisores 0, aVisor nullptr).
    virtual cVisor* aVisor() = 0;
    virtual int nVisores() const = 0;
    virtual cVisor* GetVisor(int i) = 0;
    virtual QString RutaActual() const = 0;
    // Restores the panes from locations separated by '\n'.
    virtual void CargarVisores(const QString& visores) = 0;

    virtual void ActualizarAtrasAdelante() = 0;
    virtual void MostrarInfoAVisor() = 0;
    virtual void SetIdioma() = 0;
    virtual bool EditandoFiltro() const = 0;
    virtual void PreUnload() = 0;
};

}  // namespace quirvex
