#pragma once
// frmInfo: the properties window of one file, one folder or one drive. A folder's tree is
// tallied only when "Calculate size of folder" is pressed, on a thread of its own, so the
// window keeps answering: the size box says "(Calculating...)" with the running totals and the
// button offers to stop. A press of it or Escape stops the tally and leaves the partial numbers
// marked as stopped; closing the window or loading another item stops it too. A tally that ends
// after the window moved on is dropped (each load starts a new generation). Every page is laid
// out with Qt layouts, labels beside their values at any width; a drive's label change waits
// for the disk service without blocking the window.
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

class QFormLayout;
class QLabel;
class QLineEdit;
class QVBoxLayout;
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
    // A label change is waiting for the disk service's answer.
    bool CambiandoEtiqueta() const { return etiquetaPendiente_; }
    bool MuestraUnidad() const { return modo_ == Modo::Unidad; }
    const std::string& Ruta() const { return ruta_; }
    QString Titulo() const { return titulo_; }
    QLineEdit* txtCU() const { return txtCU_; }
    QLineEdit* txtCT() const { return txtCT_; }
    QLineEdit* txtARCHIVOS() const { return txtARCHIVOS_; }
    QLineEdit* txtCARPETAS() const { return txtCARPETAS_; }
    QPushButton* cmdCalcular() const { return cmdCalcular_; }
    QTreeWidget* LISTA() const { return LISTA_; }
    QLabel* lblAvisoCalculo() const { return lblAviso_; }
    // The page's caption of a value box (its buddy), or nullptr.
    QLabel* EtiquetaDe(const QWidget* caja) const;
    // The file page's extra boxes: type, times, owner, group, permissions, link target.
    QLineEdit* txtTipo() const { return txtTipo_; }
    QLineEdit* txtModificado() const { return txtModificado_; }
    QLineEdit* txtAccedido() const { return txtAccedido_; }
    QLineEdit* txtCreado() const { return txtCreado_; }
    QLineEdit* txtPropietario() const { return txtPropietario_; }
    QLineEdit* txtGrupo() const { return txtGrupo_; }
    QLineEdit* txtPermisos() const { return txtPermisos_; }
    QLineEdit* txtDestino() const { return txtDestino_; }
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
        std::atomic<bool> terminado{false};  // `resultado` is whole
        ContadoresCalculo contadores;
        ResultadoCalculo resultado;
        std::thread hilo;
    };

    void Construir();
    QWidget* ConstruirDatos();
    QLineEdit* AgregarFila(QLabel*& etiqueta, const char* nombre);
    QWidget* ConstruirPaginaUnidad();
    void MostrarModo(Modo modo);
    void SetTitulo(const QString& titulo);
    void LlenarDetallesArchivo(const std::string& ruta);
    // Tally (frm_info_calculo_qt.cpp).
    void IniciarCalculo();
    void DetenerCalculo();
    void DetenerYMostrarParcial();
    void MostrarProgreso();
    void CalculoTerminado(std::uint64_t generacion);
    void MostrarResultado(const ResultadoCalculo& r);
    void MostrarAviso(const QString& texto);
    void LlenarLista(const ResultadoCalculo& r);
    void MostrarPaginaUnidad();
    void EtiquetaRespondida(const std::string& nueva, bool cambiada);

    bool embebido_;
    Modo modo_ = Modo::Nada;
    std::string ruta_;
    QString titulo_;
    OyenteCambios* oyente_ = nullptr;
    PaginaUnidad pagina_;
    std::unique_ptr<Calculo> calculo_;
    std::uint64_t generacion_ = 0;
    QTimer* tCalculo_ = nullptr;
    bool etiquetaPendiente_ = false;

    QVBoxLayout* capas_ = nullptr;
    int indiceRelleno_ = -1;
    QWidget* picC_ = nullptr;
    QWidget* datos_ = nullptr;
    QFormLayout* formulario_ = nullptr;
    QLabel* lblAviso_ = nullptr;
    QLabel* lblCU_ = nullptr;
    QLabel* lblCT_ = nullptr;
    QLabel* lblArchivos_ = nullptr;
    QLabel* lblCarpetas_ = nullptr;
    QLineEdit* txtCU_ = nullptr;
    QLineEdit* txtCT_ = nullptr;
    QLineEdit* txtARCHIVOS_ = nullptr;
    QLineEdit* txtCARPETAS_ = nullptr;
    QLabel* lblTipo_ = nullptr;
    QLabel* lblModificado_ = nullptr;
    QLabel* lblAccedido_ = nullptr;
    QLabel* lblCreado_ = nullptr;
    QLabel* lblPropietario_ = nullptr;
    QLabel* lblGrupo_ = nullptr;
    QLabel* lblPermisos_ = nullptr;
    QLabel* lblDestino_ = nullptr;
    QLineEdit* txtTipo_ = nullptr;
    QLineEdit* txtModificado_ = nullptr;
    QLineEdit* txtAccedido_ = nullptr;
    QLineEdit* txtCreado_ = nullptr;
    QLineEdit* txtPropietario_ = nullptr;
    QLineEdit* txtGrupo_ = nullptr;
    QLineEdit* txtPermisos_ = nullptr;
    QLineEdit* txtDestino_ = nullptr;
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
