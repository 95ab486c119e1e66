#pragma once
// frmMain: a folder tab's hosting window. It owns one to eight panes (cVisor) laid side by
// side, knows which one is active, forwards every event raised on a pane's surfaces to the
// pane named by the surface's tag, and keeps the type-ahead text shared by its panes. The
// active pane's path buttons are shown by the frame.
//
// Owned by the frame (through VentanaTab), which destroys it with deleteLater after
// PreUnload. Until the frame exists it works with MarcoNulo. User-interface thread only.

#include <QWidget>
#include <string>
#include <string_view>
#include <vector>

#include "frame/marco_qt.h"
#include "frame/ventana_tab_qt.h"
#include "operations/tareas.h"
#include "pane/busqueda_tecleada.h"
#include "pane/menus_visor.h"

namespace quirvex {

class cVisor;
class cMenusVisor;

inline constexpr int MAX_VISORES = 8;

class frmMain final : public QWidget, public VentanaTab {
    Q_OBJECT
public:
    explicit frmMain(Marco* marco = nullptr, int id = 0, QWidget* padre = nullptr);
    ~frmMain() override;

    // VentanaTab
    QWidget* Widget() override { return this; }
    QString NombreVentana() const override { return QStringLiteral("frmMain"); }
    int ID() const override { return id_; }
    int nTab() const override { return nTab_; }
    void SetnTab(int n) override { nTab_ = n; }
    cVisor* aVisor() override { return aVisor_; }
    int nVisores() const override { return static_cast<int>(Visores_.size()); }
    cVisor* GetVisor(int i) override;
    QString RutaActual() const override;
    void CargarVisores(const QString& visores) override;
    void ActualizarAtrasAdelante() override;
    void MostrarInfoAVisor() override;
    void SetIdioma() override;
    bool EditandoFiltro() const override { return editandoFiltro_; }
    void PreUnload() override;
    cContenidoVisor* GetContenidoVisor(int i) override;
    cContenidoVisor* ContenidoAVisor() override;
    void GoDefaultFolder(const QString& ruta) override;
    void SetEditandoFiltro(bool editando) override { editandoFiltro_ = editando; }
    void SetTeclasE(bool teclas) override;
    QStringList BotonesRuta() override;
    void picBR_Click(int indice) override;
    void EnfocarVisor() override;
    void MouseWheel(int distancia) override;
    void AbrirArchivo(const QString& ruta) override;
    void ActualizarRuta(const CambioRuta& cambio) override;
    void SetCopiarPegarHabilitado(bool habilitado) override;

    // Panes.
    bool AgregarVisor(const std::string& ruta);
    void CerrarVisor(int i);
    void mnuXcerrarVisor_Click();
    void SetAVisor(int i);
    // Type-ahead in the active pane: one typed character, upper case.
    void AddStrSel(const std::string& caracter);
    void Form_Resize();

    Marco& marco() { return *marco_; }
    bool EsTabActual() const;
    // The frame follows the active pane after it loaded a location.
    void VisorCargado(cVisor* visor);
    void SetMarco(Marco* marco);
    // Where the file commands report what they change: the frame's broadcast, or this
    // window's own panes while there is no frame.
    OyenteCambios* Oyente() { return &oyente_; }

    // Menus and commands (frm_main_comandos_qt.cpp). Commands act on the active pane.
    cMenusVisor& Menus() { return *menus_; }
    static bool TieneComando(std::string_view nombre);
    void EjecutarComando(std::string_view nombre);
    ContextoMenus Contexto() const;
    // The item menu (mnuPA) and the background menu (mnuPC) of the active pane, prepared
    // and shown at a global point.
    void MostrarMenuItem(const QPoint& global);
    void MostrarMenuFondo(const QPoint& global);
    // The drop menu (mnuPD): OpcionDrop, -1 cancel (also when closed without a choice),
    // 1 copy, 2 move.
    int PedirOpcionDrop(const QPoint& global);
    int OpcionDrop = -1;
    // "&Open": the current item as a double click opens it, or every selected file.
    void mnuPAabrir_Click();
    // The mouse buttons of the drag over a pane, recorded while they are held.
    Qt::MouseButtons BotonArrastre() const { return botonArrastre_; }
    void SetBotonArrastre(Qt::MouseButtons b) { botonArrastre_ = b; }

protected:
    bool eventFilter(QObject* objeto, QEvent* e) override;
    void resizeEvent(QResizeEvent* e) override;

private:
    class OyenteTab final : public OyenteCambios {
    public:
        explicit OyenteTab(frmMain& f) : f_(f) {}
        void ActualizarRuta(const CambioRuta& cambio) override;

    private:
        frmMain& f_;
    };

    cVisor* CrearVisor();
    void RenumerarVisores();
    void TeclasAlVisor();
    void PrepararMenu(std::string_view nombre);
    void LlenarHistorial(std::string_view nombre, bool atras);
    void LlenarAbrirCon();
    bool Habilitable(std::string_view nombre) const;

    Marco* marco_;
    MarcoNulo marcoNulo_;
    int id_;
    int nTab_ = 0;
    std::vector<cVisor*> Visores_;
    cVisor* aVisor_ = nullptr;
    bool PrimeraCarga = false;
    bool editandoFiltro_ = false;
    cBusquedaTecleada busqueda_;
    QSize tamanoAnterior_;
    OyenteTab oyente_{*this};
    bool copiarPegar_ = true;
    cMenusVisor* menus_;  // after copiarPegar_, which its construction reads
    Qt::MouseButtons botonArrastre_ = Qt::LeftButton;
};

// The pane index at the start of a surface's tag text, or -1.
int IndiceDeTag(const QString& tag);

}  // namespace quirvex
