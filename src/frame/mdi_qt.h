#pragma once
// MDI: the frame window. It owns the tab strip (two fixed command tabs, then one tab per tab
// window), the tab windows themselves (VentanasTab, created through a factory so the frame does
// not depend on any kind of tab), the address bar with back/forward/history, the two location
// shortcuts, the filter box and the About window. It lives from the start sequence until
// SALIR, which every way of closing it runs. Interface thread only. Tab windows reach it
// through Marco; tests drive the handlers below directly or with QTest.

#include <QIcon>
#include <QPointer>
#include <QWidget>
#include <functional>
#include <memory>
#include <vector>

#include "folder/notificaciones_qt.h"
#include "frame/marco_qt.h"
#include "operations/tareas.h"

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QMenu;
class QToolButton;
class QHBoxLayout;

namespace quirvex {

class AreaRuta;
class BotonTab;
class CajaRuta;
class FilaTabs;
class VentanaTab;
class cBusquedaRapida;
class frmAcerca;
class frmInfo;
class MDI;

// Pixels between two path buttons of the address.
inline constexpr int SEPARACION_BOTONES_RUTA = 9;

// Creates a folder tab window for the frame; the frame takes ownership.
using FabricaTabs = std::function<VentanaTab*(MDI&)>;

// Skin kinds of the tab pictures.
enum PielTab : int { PIEL_NUEVO = 1, PIEL_OPERACIONES = 2, PIEL_CARPETA = 3, PIEL_BUSQUEDA = 4 };
// Visual states of a tab.
enum EstadoTab : int { TAB_NORMAL = 0, TAB_SOBRE = 1, TAB_PULSADO = 2, TAB_ELEGIDO = 3,
                       TAB_ELEGIDO_SOBRE = 4 };

struct RegistroTab {
    QString Texto;          // as drawn, possibly shortened
    QString TextoCompleto;  // as given; the tooltip
    int Estado = TAB_NORMAL;
    VentanaTab* Ventana = nullptr;
    BotonTab* Boton = nullptr;
    QIcon Icono;
    int Piel = PIEL_CARPETA;
};

class MDI final : public QWidget, public Marco, public OyenteCambios {
public:
    MDI(FabricaTabs fabrica, bool modoDepuracion, QWidget* padre = nullptr);
    ~MDI() override;

    // The load: settings, language, fixed tabs, the first folder tab (at `carpeta`, or the
    // default folder when empty), the saved tabs. Call once.
    void MDIForm_Load(const QString& carpeta = QString());
    // Shutdown: saves the tabs, removes the wheel filter, closes the start-up window and this
    // one, and ends the process (through the function given to SetAlTerminar).
    void SALIR() override;
    void SetAlTerminar(std::function<void()> alTerminar) { alTerminar_ = std::move(alTerminar); }
    // The start-up window, closed by SALIR.
    void SetVentanaInicio(QWidget* ini, std::function<void()> permitirCerrar);
    void SetIdioma();
    frmAcerca& Acerca() { return *frmAcerca_; }

    // Tab strip.
    int ContarTabs() const;
    int AgregarTab(VentanaTab* ventana, const QString& texto, const QIcon& icono, bool fijo,
                   int piel);
    void SetTextoTab(int indice, const QString& texto, bool acortar);
    void DibujarTab(int indice, int estado, bool forzar);
    void CerrarTab(int indice);
    void IntercambiarTabs(int a, int b, bool bloquear);
    void MoverTab(int desde, int hasta);
    void ReasignarTab(int indice);
    void NuevoTabVisor(const QString& lista) override;
    void cmdNuevoTab_Click() override;
    void e_tabB_Click(int indice);
    void tabB_MouseDown(int indice, Qt::MouseButton boton);
    void tabB_MouseMove(int indice, Qt::MouseButtons botones);
    void tabB_MouseUp(int indice, Qt::MouseButton boton, QPoint punto);
    void tabB_Resize(int indice);
    void picTabs_MouseMove();
    void picTabScroll_Click(int indice);
    // Whether tab `indice` draws (and answers to) its close glyph.
    bool TieneCerrarTab(int indice) const;
    // The strip's keys: the focus onto tab `indice` (clamped to the strip), the next or the
    // previous page (Ctrl+Tab, Ctrl+PgDn / Ctrl+Shift+Tab, Ctrl+PgUp; "New Tab" is a command
    // and is skipped), and Ctrl+W, which closes the focused tab, else the one on screen, by
    // CerrarTab's rules.
    void EnfocarTab(int indice);
    void CambiarTabTeclado(int paso);
    void CerrarTabTeclado();
    void GuardarTabs();
    // The saved tabs; the first entry goes to the first folder tab when alPrimerTab is set.
    void RestaurarTabs(bool alPrimerTab = true);

    // Address bar.
    void MostrarDireccion();
    void picRuta_GotFocus();
    void picRuta_MouseMove();
    void txtRuta_GotFocus();
    void txtRuta_LostFocus();
    void txtRuta_Enter();
    void txtRuta_Escape();
    void lblRuta_Click(int indice);
    void lblAD_Click(int indice);
    void cmdBF_Click(int indice);
    // -1 neutral, 0 disabled, 1 enabled, 2 hover.
    void SetEstadoAtrasAdelante(int boton, int estado);
    void MouseOutAtrasAdelante();

    // Filter box.
    void cboFiltro_Click();
    void txtFiltro_GotFocus();
    void txtFiltro_Enter();
    void txtFiltro_LostFocus();

    // Info strip (mdi_info_qt.cpp).
    void chkInfo_Click();
    void lblInfo_Click();
    QCheckBox* chkInfo() const { return chkInfo_; }
    QLabel* lblInfo() const { return lblInfo_; }
    QWidget* picInfo() const { return picInfo_; }
    frmInfo* InfoEmbebida() const { return frmInfo_; }

    // Marco.
    bool EsTabActual(const VentanaTab* tab) const override;
    void SetEstadoAtrasAdelante(int boton, bool habilitado) override;
    void SetTextoTab(const VentanaTab* tab, const QString& texto) override;
    void SetDireccion(const QString& texto, bool editable) override;
    void SetFiltro(const QString& texto, int tipo) override;
    void CancelarBusquedaRapida() override;
    void MostrarInfo(const QString& ruta, const QString& nombre) override;
    void ActualizarRuta(const CambioRuta& cambio) override;
    void VigilarCarpeta(const std::string& anterior, const std::string& nueva) override;
    bool CargaTerminada() const override { return FrameCargado_; }
    void SetPartesRuta(const QStringList& partes) override;
    void MostrarAcerca() override;
    void NuevaBusqueda(const QString& ruta) override;
    void MostrarOpciones() override;
    void CerrarVentanaTab(const VentanaTab* tab) override;
    void MostrarEnCarpeta(const std::string& carpeta, const std::string& nombre) override;
    void AplicarIdioma() override;
    void RedibujarTabs() override;
    void RecargarPaneles() override;
    // The options window while it is open, else nullptr.
    QWidget* VentanaOpciones() const { return frmO_; }

    // For the windows and tests that look at the frame.
    const std::vector<RegistroTab>& Tabs() const { return Tabs_; }
    int TabsFijos() const { return TabsFijos_; }
    int TabSobre() const { return TabSobre_; }
    const std::vector<VentanaTab*>& VentanasTab() const { return VentanasTab_; }
    VentanaTab* TabActual() const { return activa_; }
    bool OperacionesVisibles() const { return operacionesVisibles_; }
    bool ModoDepuracion() const { return ModoDepuracion_; }
    int EstadoAtrasAdelante(int boton) const { return estadoBF_[boton]; }
    QWidget* FilaTabsWidget() const;
    QWidget* AreaTabsVisible() const { return picScrollTabs_; }
    QWidget* picRuta() const;
    QLineEdit* txtRuta() const;
    QStringList TextosRuta() const;
    const std::vector<QLabel*>& lblRuta() const { return lblRuta_; }
    QLineEdit* txtFiltro() const { return txtFiltro_; }
    QComboBox* cboFiltro() const { return cboFiltro_; }
    QToolButton* cmdBF(int i) const { return cmdBF_[i]; }
    QMenu* mnuPBF() const { return mnuPBF_; }
    QWidget* Cliente() const { return cliente_; }

    // Quick search: the box, its link and popup (made by the load), and what a chosen hit does:
    // its folder in the current folder tab's active pane, the hit selected.
    QLineEdit* txtBuscar() const { return txtBusqueda_; }
    cBusquedaRapida* BusquedaRapida() const { return busquedaRapida_; }
    void AbrirAciertoRapido(const std::string& carpeta, const std::string& nombre);

    // Paints tab `indice` on its button; called by the button's paint event.
    void PintarTab(int indice, QPainter& p) const;

protected:
    void closeEvent(QCloseEvent* e) override;
    bool eventFilter(QObject* objeto, QEvent* e) override;
    void resizeEvent(QResizeEvent* e) override;
    void changeEvent(QEvent* e) override;

private:
    class BloqueoDibujo;
    void ConstruirBarra();
    QWidget* ConstruirFilaDireccion();
    void ConstruirTira(QWidget* barra);
    void ConstruirAtajosTabs();
    void EnfocarVentanaActual();
    void UbicarTira();
    void ColocarVentana(QWidget* w);
    VentanaTab* CrearVentanaTab();
    void MostrarVentana(VentanaTab* v);
    void TextoTabProvisional(int indice);
    void ReubicarBotonesDesde(int indice);
    void ActualizarScroll();
    int IndiceTabActual() const;
    int IndiceTabEnfocado() const;
    void MostrarTabEnTira(int indice);
    bool TabElegido(int indice) const;
    bool EsCarpeta(const VentanaTab* v) const;
    int AnchoTexto(const QString& texto) const;
    QString Acortar(const QString& texto) const;
    void MostrarPartesRuta(const QStringList& partes);
    void MostrarEtiquetasRuta(bool visibles);
    bool EsBotonRuta(const QObject* objeto) const;
    void VolverAPanel(bool aceptar);
    void SalirDireccionAtras();
    void PonerFiltroDe(VentanaTab* v);
    void CrearTabsFijos();
    void SetIdiomaBarra();
    void NombrarBarra();
    void ConstruirChkInfo(QWidget* fila, QHBoxLayout* capas);
    QWidget* ConstruirPicInfo();
    void MostrarTiraInfo(bool carpeta);
    void SetIdiomaInfo();

    FabricaTabs fabrica_;
    std::function<void()> alTerminar_;
    std::function<void()> permitirCerrarIni_;
    QWidget* frmINI_ = nullptr;
    bool ModoDepuracion_ = false;
    bool FrameCargado_ = false;
    bool saliendo_ = false;
    bool filtroSuprimido_ = false;

    std::vector<RegistroTab> Tabs_;
    std::vector<BotonTab*> tabB_;
    std::vector<VentanaTab*> VentanasTab_;
    int TabsFijos_ = 0;
    int TabSobre_ = -1;
    VentanaTab* activa_ = nullptr;
    bool operacionesVisibles_ = false;
    int estadoBF_[3] = {0, 0, 1};
    QString tagRuta_;

    QWidget* picB_ = nullptr;
    QWidget* picScrollTabs_ = nullptr;
    FilaTabs* picTabs_ = nullptr;
    QToolButton* picTabScroll_[2] = {};
    AreaRuta* picRuta_ = nullptr;
    CajaRuta* txtRuta_ = nullptr;
    QLabel* imgRuta_ = nullptr;
    QHBoxLayout* capasRuta_ = nullptr;
    std::vector<QLabel*> lblRuta_;
    std::vector<QLabel*> sepRuta_;
    QToolButton* cmdBF_[3] = {};
    QMenu* mnuPBF_ = nullptr;
    QLabel* lblAD_[2] = {};
    QComboBox* cboFiltro_ = nullptr;
    QLineEdit* txtFiltro_ = nullptr;
    QLineEdit* txtBusqueda_ = nullptr;
    cBusquedaRapida* busquedaRapida_ = nullptr;
    QWidget* cliente_ = nullptr;
    QWidget* frmOperaciones_ = nullptr;
    std::unique_ptr<frmAcerca> frmAcerca_;
    QCheckBox* chkInfo_ = nullptr;
    QLabel* lblInfo_ = nullptr;
    QWidget* picInfo_ = nullptr;
    frmInfo* frmInfo_ = nullptr;  // the embedded properties window, only while ticked
    std::unique_ptr<mNotificaciones> notificaciones_;
    QPointer<QWidget> frmO_;
    // The folder tab shown last, where a search hit is opened.
    QPointer<QWidget> ultimaCarpeta_;
};

// Suspends the frame's drawing for a scope, so half-built tabs never show; nests.
class MDI::BloqueoDibujo {
public:
    explicit BloqueoDibujo(MDI& m) : m_(m), antes_(m.updatesEnabled()) {
        m_.setUpdatesEnabled(false);
    }
    ~BloqueoDibujo() {
        if (antes_) m_.setUpdatesEnabled(true);
    }
    BloqueoDibujo(const BloqueoDibujo&) = delete;
    BloqueoDibujo& operator=(const BloqueoDibujo&) = delete;

private:
    MDI& m_;
    bool antes_;
};

}  // namespace quirvex
