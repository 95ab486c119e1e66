#pragma once
// cBusquedaRapida: the frame's quick search — the box txtBuscar, the server watch timer tSrv,
// the link to the index server and the popup frmBuscarRapido. Owned by the frame (MDI) and
// living as long as it; interface thread only.
//
// The link never waits on the server: its greeting, answers and the room to write are taken as
// the socket's notifiers report them, and a server that does not keep up within
// cEnlaceIndice::kPlazoMs is dropped until a watch tick finds it again.

#include <QObject>
#include <functional>
#include <memory>
#include <string>

#include "search/enlace_indice.h"

class QLineEdit;
class QTimer;
class QWidget;

namespace quirvex {

class frmBuscarRapido;
class NotificadoresEnlace;

class cBusquedaRapida final : public QObject {
public:
    struct Enganches {
        // The current tab's "editing text" mark, when the current tab is a folder tab.
        std::function<void(bool)> editandoFiltro;
        // Opens a hit: its folder (ending with '/') and name.
        std::function<void(const std::string&, const std::string&)> abrir;
    };

    // escuchar: whether the server's messages reach the frame (not in debug mode).
    cBusquedaRapida(QWidget* marco, QLineEdit* txtBuscar, Enganches enganches, bool escuchar,
                    std::string rutaEnlace = RutaEnlaceIndice());
    ~cBusquedaRapida() override;

    void tSrv_Timer();
    void txtBuscar_Change();
    void txtBuscar_GotFocus();
    void txtBuscar_LostFocus();
    void CancelarBusquedaRapida();
    // The box's placeholder and tooltip: what the server is doing when it is not ready, else the
    // box's usual word (in the current language).
    void MostrarEstado();
    // Start-up's step for a server found before the frame loaded.
    void RegistrarServidor(std::int64_t servidor);

    cEnlaceIndice& Enlace() { return enlace_; }
    QTimer* tSrv() const { return tSrv_; }
    frmBuscarRapido* Popup() const { return popup_; }
    bool PopupVisible() const;

    static constexpr const char* kMapaNoCargado = "El mapa no esta cargado.";

protected:
    // The box's keys: Down and Up choose a hit, Enter opens it, Escape closes the popup and a
    // second Escape clears the box.
    bool eventFilter(QObject* objeto, QEvent* e) override;

private:
    // Whether the key is the box's to take now; when `hacer`, it is also acted on.
    bool Tecla(int tecla, bool hacer);
    void CrearPopup();
    void ColocarPopup();
    void SeguirConexion();
    void Resultados(std::int64_t popup, const ResultadosIndice& r);

    QWidget* marco_;
    QLineEdit* txt_;
    Enganches enganches_;
    bool escuchar_;
    cEnlaceIndice enlace_;
    QTimer* tSrv_;
    frmBuscarRapido* popup_ = nullptr;  // a child of the frame
    NotificadoresEnlace* notificadores_ = nullptr;
};

}  // namespace quirvex
