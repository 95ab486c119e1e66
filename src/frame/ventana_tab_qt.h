#pragma once
// VentanaTab: a tab's window as the frame sees it — a folder tab (frmMain, with its panes) or a
// search tab (frmBuscar). The frame talks to the current tab only through these members, so a
// new kind of tab needs no change in the frame. Owned by the frame; destroyed with deleteLater.
//
// The members below the first group have working defaults that act on the active pane's
// content, so a tab window overrides only what it does differently (menus, drawn path buttons).

#include <QIcon>
#include <QString>

#include "folder/notificaciones.h"

class QWidget;

namespace quirvex {

class cVisor;
class cContenidoVisor;

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

    // The content (location, filter, history) of pane i, or of the active pane; nullptr when
    // there is none (a search tab).
    virtual cContenidoVisor* GetContenidoVisor(int i);
    virtual cContenidoVisor* ContenidoAVisor();
    // Points the first pane at `ruta`, or at the default folder when it cannot be reached.
    virtual void GoDefaultFolder(const QString& ruta);
    // No type-ahead in the panes while the frame's address or filter box has the focus.
    virtual void SetEditandoFiltro(bool editando);
    virtual void SetTeclasE(bool teclas);
    // The Edit menu's Copy and Paste, disabled while the address box takes Ctrl+C and Ctrl+V.
    virtual void SetCopiarPegarHabilitado(bool habilitado);
    // The filter box's text and kind, entered by the user, for the active pane.
    virtual void AplicarFiltro(const QString& texto, int tipo);
    // The captions of the path buttons for the active pane's location: label 0 names the
    // drive list, label k the k-th folder level. The default shows every level whole.
    virtual QStringList BotonesRuta();
    // A click on path button `indice`: 0 shows the drive list, k the k-th folder level.
    virtual void picBR_Click(int indice);
    virtual QIcon CurrentIcon();
    // Gives the keyboard focus to the active pane's surface.
    virtual void EnfocarVisor();
    // The mouse wheel turned anywhere over the frame (distance as the wheel reports it).
    virtual void MouseWheel(int distancia);
    // An existing file entered in the address box, to open with its program.
    virtual void AbrirArchivo(const QString& ruta);
    // A change made by the program, passed on by the frame to every tab window.
    virtual void ActualizarRuta(const CambioRuta& cambio);
    // The active pane goes to `carpeta` and selects the entry `nombre` (a search hit).
    virtual void MostrarItem(const std::string& carpeta, const std::string& nombre);
    // Panes that show the My PC list under its old name take the name of the new language.
    virtual void RenombrarMiPC();
};

// A fresh identity for each tab window created in this run.
int SiguienteIdTab();

}  // namespace quirvex
