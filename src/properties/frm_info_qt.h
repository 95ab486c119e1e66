#pragma once
// frmInfo: the properties window of one file, one folder or one drive. A folder's tree is
// tallied only when "Calculate size of folder" is pressed, on a thread of its own, so the
// window keeps answering: the size box says "(Calculating...)" with the running totals, and a
// second press, Escape, closing the window or loading another item stops the tally. A tally
// that ends after the window moved on is dropped (each load starts a new generation).
//
// Owner: the window that opens it (a top-level window deleted on close, see
// MostrarPropiedades), or the frame's info strip, which embeds one. Interface thread only,
// except the tally itself, which touches nothing of the window.

#include <QWidget>
#include <atomic>
#include <cstdint>
#include <memory>
#include <string>
#include <thread>

#include "properties/calculo_carpeta.h"
#include "properties/info.h"

class QLabel;
class QLineEdit;
class QPushButton;
class QTimer;
class QTreeWidget;

namespace quirvex {

class OyenteCambios;
class PaginaUnidadQt;

class frmInfo final : public QWidget {
public:
    // `embebido`: a child of the frame's info strip; Escape then only stops a tally.
    explicit frmInfo(QWidget* padre = nullptr, bool embebido = false);
    ~frmInfo() override;

    void CargarArchivo(const std::string& ruta);
    void CargarCarpeta(const std::string& ruta);
    void CargarUnidad(const std::string& raiz);
    // Nothing to describe (the drive list with no current drive).
    void Vaciar();
    // A file or a folder by what is on disk; a drive when `esUnidad`.
    void Cargar(const std::string& ruta, bool esUnidad);

    void cmdCalcular_Click();
    void cmdSetLabel_Click();
    void txtEtiqueta_Change();
    void SetIdioma();
    // Who hears the drive-list rename after a label change.
    void SetOyente(OyenteCambios* oyente) { oyente_ = oyente; }

    bool Calculando() const { return calculo_ != nullptr; }
    bool MuestraUnidad() const { return modo_ == Modo::Unidad; }
    const std::string& Ruta() const { return ruta_; }
    QString Titulo() const { return titulo_; }
    QLineEdit* txtCU() const { return txtCU_; }
    QLineEdit* txtCT() const { return txtCT_; }
    QLineEdit* txtARCHIVOS() const { return txtARCHIVOS_; }
    QLineEdit* txtCARPETAS() const { return txtCARPETAS_; }
    QPushButton* cmdCalcular() const { return cmdCalcular_; }
    QTreeWidget* LISTA() const { return LISTA_; }
    QWidget* picU() const;
    QLineEdit* txtEtiqueta() const { return txtEtiqueta_; }
    QPushButton* cmdSetLabel() const { return cmdSetLabel_; }
    QLabel* lblElibre() const { return lblElibre_; }
    QLabel* lblEtotal() const { return lblEtotal_; }
    QLabel* lblEocupado() const { return lblEocupado_; }
    const PaginaUnidad& Pagina() const { return pagina_; }

protected:
    void closeEvent(QCloseEvent* e) override;
    void Form_KeyDown(int tecla);
    void keyPressEvent(QKeyEvent* e) override;

private:
    enum class Modo { Nada, Archivo, Carpeta, Unidad };
    struct Calculo {
        std::atomic<bool> cancelar{false};
        ContadoresCalculo contadores;
        std::thread hilo;
    };

    void Construir();
    QWidget* ConstruirDatos();
    QWidget* ConstruirPaginaUnidad();
    void MostrarModo(Modo modo);
    void SetTitulo(const QString& titulo);
    void DetenerCalculo();
    void MostrarProgreso();
    void CalculoTerminado(std::uint64_t generacion, const ResultadoCalculo& r);
    void LlenarLista(const ResultadoCalculo& r);
    void MostrarPaginaUnidad();

    bool embebido_;
    Modo modo_ = Modo::Nada;
    std::string ruta_;
    QString titulo_;
    OyenteCambios* oyente_ = nullptr;
    PaginaUnidad pagina_;
    std::unique_ptr<Calculo> calculo_;
    std::uint64_t generacion_ = 0;
    QTimer* tCalculo_ = nullptr;

    QWidget* picC_ = nullptr;
    QWidget* datos_ = nullptr;
    QLabel* lblCU_ = nullptr;
    QLabel* lblCT_ = nullptr;
    QLabel* lblArchivos_ = nullptr;
    QLabel* lblCarpetas_ = nullptr;
    QLineEdit* txtCU_ = nullptr;
    QLineEdit* txtCT_ = nullptr;
    QLineEdit* txtARCHIVOS_ = nullptr;
    QLineEdit* txtCARPETAS_ = nullptr;
    QPushButton* cmdCalcular_ = nullptr;
    QTreeWidget* LISTA_ = nullptr;
    PaginaUnidadQt* picU_ = nullptr;
    QLabel* lblEtiqueta_ = nullptr;
    QLineEdit* txtEtiqueta_ = nullptr;
    QPushButton* cmdSetLabel_ = nullptr;
    QWidget* picUE_ = nullptr;
    QLabel* lblElibre_ = nullptr;
    QLabel* lblEtotal_ = nullptr;
    QLabel* lblEocupado_ = nullptr;
};

// Opens a properties window for `ruta` (a drive when `esUnidad`) as a top-level window of
// `padre`'s, deleted when closed. Returns it, shown.
frmInfo* MostrarPropiedades(QWidget* padre, const std::string& ruta, bool esUnidad,
                            OyenteCambios* oyente);

}  // namespace quirvex
