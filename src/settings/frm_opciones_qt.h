#pragma once
// frmO: the options window. Shows the settings record in its controls, marks itself modified
// on any change, and on Apply stores the controls back (AplicarOpciones), applies what takes
// effect at once (language in every open window, tab captions, interface font) and saves.
// Opened by the frame (Ctrl+O) over itself; it may also stand alone with no frame (marco null),
// then only its own texts follow a language change.

#include <QDialog>
#include <QPointer>
#include <QProgressDialog>
#include <array>
#include <memory>
#include <string>

#include "settings/opciones_ventana.h"

class QButtonGroup;
class QCheckBox;
class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QPushButton;
class QRadioButton;
class QStackedWidget;
class QTabBar;

namespace quirvex {

class Marco;
class cDescarga;
enum class ResultadoFuente;

class frmO final : public QDialog {
public:
    explicit frmO(Marco* marco, QWidget* padre = nullptr);
    ~frmO() override;

    void SetIdioma();
    void CargarEnVentana();
    ValoresOpciones LeerVentana() const;
    bool Modificado() const { return modificado_; }

    void cmdAplicar_Click();
    void cmdAceptar_Click();
    void cmdCancelar_Click();
    void cmdDborrar_Click();
    void cmdSetDefaultFolder_Click();
    void cmdInstalarFuente_Click();
    void Tabs_Click(int indice);

    // Controls, for the tests that drive them.
    QTabBar* Tabs() const { return Tabs_; }
    QWidget* pic(int i) const;
    QCheckBox* chkHdesktopIni() const { return chkHdesktopIni_; }
    QCheckBox* chkResTabs() const { return chkResTabs_; }
    QCheckBox* chkOcultos() const { return chkOcultos_; }
    QCheckBox* chkPapelera() const { return chkPapelera_; }
    QCheckBox* chkDhistorial() const { return chkDhistorial_; }
    QCheckBox* chkDauto() const { return chkDauto_; }
    QCheckBox* chkP() const { return chkP_; }
    QRadioButton* optPpos(int i) const { return optPpos_[static_cast<size_t>(i)]; }
    QLineEdit* txtPmaxW() const { return txtPmaxW_; }
    QCheckBox* chkPcerrar() const { return chkPcerrar_; }
    QCheckBox* chkSomitir() const { return chkSomitir_; }
    QRadioButton* optSestilo(int i) const { return optSestilo_[static_cast<size_t>(i)]; }
    QCheckBox* chkNfuente() const { return chkNfuente_; }
    QRadioButton* optDcarpeta(int i) const { return optDcarpeta_[static_cast<size_t>(i)]; }
    QLineEdit* txtDefaultFolder() const { return txtDefaultFolder_; }
    QComboBox* cboDefaultView() const { return cboDefaultView_; }
    QRadioButton* optIdioma(int i) const { return optIdioma_[static_cast<size_t>(i)]; }
    QComboBox* cboIdioma() const { return cboIdioma_; }
    QLineEdit* txtIruta() const { return txtIruta_; }
    QListWidget* lstPrevia() const { return lstPrevia_; }
    QListWidget* lstCargar() const { return lstCargar_; }
    QCheckBox* chkADflecha() const { return chkADflecha_; }
    QCheckBox* chkADflechaT() const { return chkADflechaT_; }
    QCheckBox* chkADicono() const { return chkADicono_; }
    QCheckBox* chkVPlimite(int i) const { return chkVPlimite_[static_cast<size_t>(i)]; }
    QLineEdit* txtImgMax(int i) const { return txtImgMax_[static_cast<size_t>(i)]; }
    QPushButton* cmdAceptar() const { return cmdAceptar_; }
    QPushButton* cmdAplicar() const { return cmdAplicar_; }
    QPushButton* cmdCancelar() const { return cmdCancelar_; }
    QPushButton* cmdDborrar() const { return cmdDborrar_; }
    QPushButton* cmdInstalarFuente() const { return cmdInstalarFuente_; }
    QLineEdit* txtDireccionFuente() const { return txtDireccionFuente_; }
    QPushButton* cmdSetDefaultFolder() const { return cmdSetDefaultFolder_; }
    // The special font's download while it runs (the window answers meanwhile), and its dialog.
    bool DescargandoFuente() const;
    QProgressDialog* dlgDescarga() const { return dlgDescarga_; }
    QPushButton* cmdSetSelector() const { return cmdSetSelector_; }

private:
    void Construir();
    void DescargarFuenteAparte(const std::string& direccion, const std::string& destino);
    void CancelarDescargaFuente();
    void CerrarDialogoDescarga();
    void FuenteTerminada(ResultadoFuente r);
    QWidget* PaginaExplorador();
    QWidget* PaginaTabs();
    QWidget* PaginaVisor();
    QWidget* PaginaIconos();
    QWidget* PaginaSeleccion();
    QWidget* PaginaOtros();
    void Conectar();
    void ConstruirAtajosPaginas();
    void NombrarControles();
    void PonerValores(const ValoresOpciones& v);
    void SetModificado(bool modificado);
    void Cambio();
    void optDcarpeta_Click(int indice);
    void chkP_Click();
    EfectosOpciones Efectos();

    Marco* marco_;
    bool modificado_ = false;
    std::unique_ptr<cDescarga> descarga_;
    QPointer<QProgressDialog> dlgDescarga_;
    bool cargando_ = false;
    int opcionCarpeta_ = 1;

    QTabBar* Tabs_ = nullptr;
    QStackedWidget* paginas_ = nullptr;
    QGroupBox* fraD_ = nullptr;
    QGroupBox* fraP_ = nullptr;
    QGroupBox* fraI_ = nullptr;
    QGroupBox* fraIco_ = nullptr;
    QGroupBox* fraS_ = nullptr;
    QGroupBox* fraAD_ = nullptr;
    QGroupBox* fraVP_ = nullptr;
    QCheckBox* chkHdesktopIni_ = nullptr;
    QCheckBox* chkResTabs_ = nullptr;
    QCheckBox* chkOcultos_ = nullptr;
    QCheckBox* chkPapelera_ = nullptr;
    QCheckBox* chkDhistorial_ = nullptr;
    QCheckBox* chkDauto_ = nullptr;
    QCheckBox* chkP_ = nullptr;
    std::array<QRadioButton*, 2> optPpos_{};
    QButtonGroup* grupoPpos_ = nullptr;
    QLabel* lblTmaxW_ = nullptr;
    QLineEdit* txtPmaxW_ = nullptr;
    QCheckBox* chkPcerrar_ = nullptr;
    QCheckBox* chkSomitir_ = nullptr;
    std::array<QRadioButton*, 3> optSestilo_{};
    QButtonGroup* grupoSestilo_ = nullptr;
    QCheckBox* chkNfuente_ = nullptr;
    QLabel* lblDireccionFuente_ = nullptr;
    QLineEdit* txtDireccionFuente_ = nullptr;
    std::array<QRadioButton*, 5> optDcarpeta_{};
    QButtonGroup* grupoDcarpeta_ = nullptr;
    QLineEdit* txtDefaultFolder_ = nullptr;
    QLabel* lblVista_ = nullptr;
    QComboBox* cboDefaultView_ = nullptr;
    std::array<QRadioButton*, 2> optIdioma_{};
    QButtonGroup* grupoIdioma_ = nullptr;
    QComboBox* cboIdioma_ = nullptr;
    QLineEdit* txtIruta_ = nullptr;
    QListWidget* lstPrevia_ = nullptr;
    QListWidget* lstCargar_ = nullptr;
    QCheckBox* chkADflecha_ = nullptr;
    QCheckBox* chkADflechaT_ = nullptr;
    QCheckBox* chkADicono_ = nullptr;
    std::array<QCheckBox*, 2> chkVPlimite_{};
    std::array<QLineEdit*, 2> txtImgMax_{};
    QPushButton* cmdAceptar_ = nullptr;
    QPushButton* cmdAplicar_ = nullptr;
    QPushButton* cmdCancelar_ = nullptr;
    QPushButton* cmdDborrar_ = nullptr;
    QPushButton* cmdInstalarFuente_ = nullptr;
    QPushButton* cmdSetDefaultFolder_ = nullptr;
    QPushButton* cmdSetSelector_ = nullptr;
    QPushButton* cmdIelegir_ = nullptr;
};

}  // namespace quirvex
