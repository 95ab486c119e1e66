#pragma once
// frmINI: the start-up window. It chooses the interface language (asking on the very first
// run), offers the special font, looks for the index server and loads the frame window, then
// stays hidden for the whole run; only SALIR may close it (PermitirCerrar). Made by the
// program's start, interface thread only.

#include <QWidget>
#include <functional>

class QComboBox;
class QLabel;
class QPushButton;

namespace quirvex {

class frmINI final : public QWidget {
public:
    // sinPreguntas: a run that must not wait for anyone (a screenshot): the suggested language
    // is taken without being stored and the special font is not offered.
    explicit frmINI(bool sinPreguntas = false, QWidget* padre = nullptr);

    // Loads the frame window (the start sequence's last steps) and returns it, to be shown.
    void SetCargarMarco(std::function<QWidget*()> cargar) { cargarMarco_ = std::move(cargar); }
    // Where the index server is looked for; 0 when there is none.
    void SetBuscarServidor(std::function<long long()> buscar) { buscarServidor_ = std::move(buscar); }
    // Registers the frame with a server that was found before the frame loaded.
    void SetRegistrarServidor(std::function<void(long long)> registrar) { registrarServidor_ = std::move(registrar); }
    // How the index server is started on the first run when none answers. Unset (tests, a
    // screenshot), no server is ever started.
    void SetIniciarServidor(std::function<void()> iniciar) { iniciarServidor_ = std::move(iniciar); }
    // Starts the kartoserv beside the program, detached from its terminal and pipes.
    static void LanzarServidorJunto();

    // True when the language question is on screen, waiting for cmdAceptar.
    bool Form_Load();
    void cboIdioma_Click(int indice);
    void cmdAceptar_Click();
    void IniciarCarga();

    bool PrimeraVez() const { return PrimeraVez_; }
    int IdiomaElegido() const { return idioma_; }
    long long hWndServidor() const { return hWndServidor_; }
    QWidget* Marco() const { return marco_; }
    QComboBox* cboIdioma() const { return cboIdioma_; }
    QLabel* lbl() const { return lbl_; }
    QPushButton* cmdAceptar() const { return cmdAceptar_; }

    bool PermitirCerrar = false;

    // The user's fonts folder, where the special font would be installed.
    static QString CarpetaFuentes();
    // Whether the font database knows the special font's family: the probe the default of
    // "Special Font" asks (installed by PrepararNucleo). Needs the application object.
    static bool FuenteEspecialInstalada();

protected:
    void closeEvent(QCloseEvent* e) override;

private:
    void OfrecerFuenteEspecial();

    bool sinPreguntas_;
    bool PrimeraVez_ = false;
    int idioma_ = 0;
    long long hWndServidor_ = 0;
    std::function<QWidget*()> cargarMarco_;
    std::function<long long()> buscarServidor_;
    std::function<void(long long)> registrarServidor_;
    std::function<void()> iniciarServidor_;
    QWidget* marco_ = nullptr;
    QLabel* lbl_;
    QComboBox* cboIdioma_;
    QPushButton* cmdAceptar_;
};

}  // namespace quirvex
