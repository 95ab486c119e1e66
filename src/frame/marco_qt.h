#pragma once
// Marco: the frame window's services that tab windows and panes call — back and forward
// buttons, the tab caption, the address box, the filter controls and the info strip. The frame
// (MDI) implements it; until a frame exists, a tab window works with MarcoNulo, which does
// nothing, so panes can be shown and tested on their own.

#include <QFont>
#include <QString>
#include <QStringList>
#include <string>

#include "folder/notificaciones.h"
#include "settings/fuente_especial_qt.h"

namespace quirvex {

class VentanaTab;

class Marco {
public:
    virtual ~Marco() = default;

    // Whether `tab` is the tab on screen.
    virtual bool EsTabActual(const VentanaTab* tab) const = 0;
    // Button 0 back, 1 forward.
    virtual void SetEstadoAtrasAdelante(int boton, bool habilitado) = 0;
    virtual void SetTextoTab(const VentanaTab* tab, const QString& texto) = 0;
    virtual void SetDireccion(const QString& texto, bool editable) = 0;
    // Puts a pane's filter into the filter box without applying it again.
    virtual void SetFiltro(const QString& texto, int tipo) = 0;
    virtual void CancelarBusquedaRapida() = 0;
    virtual void MostrarInfo(const QString& ruta, const QString& nombre) = 0;
    // Reports a change on disk (made by the program or seen by the watcher) to every tab.
    virtual void ActualizarRuta(const CambioRuta& cambio) = 0;
    // A pane moved from one folder to another ("" for none): the watches follow it.
    virtual void VigilarCarpeta(const std::string& /*anterior*/, const std::string& /*nueva*/) {}
    virtual bool CargaTerminada() const = 0;

    // The captions of the active pane's path buttons (label 0 the drive list, label k the k-th
    // folder level, already cut to its width); the frame shows one label per caption and hands
    // a click on label k back to the tab's picBR_Click(k).
    virtual void SetPartesRuta(const QStringList& /*partes*/) {}
    // The Help menu's About command of any window.
    virtual void MostrarAcerca() {}
    // The exit commands of the tab windows.
    virtual void SALIR() {}
    // The "New Tab" command, and a new tab opened behind the current one at the locations
    // separated by '\n' (a Shift double click on a folder).
    virtual void cmdNuevoTab_Click() {}
    virtual void NuevoTabVisor(const QString& /*lista*/) {}
    // A new search tab whose folder list starts with `ruta`.
    virtual void NuevaBusqueda(const QString& /*ruta*/) {}
    // The options window, over the frame.
    virtual void MostrarOpciones() {}
    // Closes the tab of a tab window (a search window's Cancel while idle).
    virtual void CerrarVentanaTab(const VentanaTab* /*tab*/) {}
    // Shows `carpeta` in the active pane of the last folder tab used, with `nombre` selected.
    virtual void MostrarEnCarpeta(const std::string& /*carpeta*/, const std::string& /*nombre*/) {}
    // After a language change: the My PC name, then every open window's texts.
    virtual void AplicarIdioma() {}
    // Every tab's caption drawn again (the close-button setting changed).
    virtual void RedibujarTabs() {}
    // Every pane of every tab lists its folder again (the hidden-names setting changed).
    virtual void RecargarPaneles() {}
};

// The font the path buttons are measured and shown in (size 10, not bold).
inline QFont FuenteBotonesRuta() { return FuenteDibujo(13); }

class MarcoNulo : public Marco {
public:
    bool EsTabActual(const VentanaTab*) const override { return true; }
    void SetEstadoAtrasAdelante(int, bool) override {}
    void SetTextoTab(const VentanaTab*, const QString&) override {}
    void SetDireccion(const QString&, bool) override {}
    void SetFiltro(const QString&, int) override {}
    void CancelarBusquedaRapida() override {}
    void MostrarInfo(const QString&, const QString&) override {}
    void ActualizarRuta(const CambioRuta&) override {}
    bool CargaTerminada() const override { return true; }
};

}  // namespace quirvex
