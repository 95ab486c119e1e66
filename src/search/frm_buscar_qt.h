#pragma once
// frmBuscar: the file search window, shown in a search tab of its own. It keeps a list of
// folders, searches them (and every subfolder) for a name pattern on the interface thread, and
// lists the hits as they come. The hits live in a model read by a view that draws only the
// visible rows, so a search of 100,000 hits costs no widget per hit.
//
// Owned by the frame (created by NuevaBusqueda, destroyed with deleteLater when its tab
// closes). A running search yields to the event loop; closing the tab then stops it
// (PreUnload and the destructor clear Buscando) and the walk unwinds on its own state.

#include <QAbstractTableModel>
#include <QElapsedTimer>
#include <QWidget>
#include <memory>
#include <string>
#include <vector>

#include "frame/ventana_tab_qt.h"
#include "search/busqueda.h"
#include "search/consulta_indice.h"

class QCheckBox;
class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QTimer;
class QTreeView;

namespace quirvex {

class Marco;

// The hits of a cBusqueda as two columns, name and folder. Rows are announced in ranges
// (Sincronizar), never one signal per hit.
class ModeloResultados final : public QAbstractTableModel {
public:
    explicit ModeloResultados(std::shared_ptr<cBusqueda> b, QObject* padre = nullptr);
    int rowCount(const QModelIndex& padre = {}) const override;
    int columnCount(const QModelIndex& padre = {}) const override;
    QVariant data(const QModelIndex& i, int rol) const override;
    QVariant headerData(int seccion, Qt::Orientation o, int rol) const override;
    // Announces the hits added since the last call.
    void Sincronizar();
    // The hits were cleared.
    void Reiniciar();
    void SetTitulos(const QString& nombre, const QString& carpeta);

private:
    std::shared_ptr<cBusqueda> b_;
    int mostradas_ = 0;
    QString titulos_[2];
};

class frmBuscar final : public QWidget, public VentanaTab {
public:
    frmBuscar(Marco& marco, int id, QWidget* padre = nullptr);
    ~frmBuscar() override;

    // VentanaTab.
    QWidget* Widget() override { return this; }
    QString NombreVentana() const override { return QStringLiteral("frmBuscar"); }
    int ID() const override { return id_; }
    int nTab() const override { return nTab_; }
    void SetnTab(int n) override { nTab_ = n; }
    cVisor* aVisor() override { return nullptr; }
    int nVisores() const override { return 0; }
    cVisor* GetVisor(int) override { return nullptr; }
    QString RutaActual() const override;
    void CargarVisores(const QString&) override {}
    void ActualizarAtrasAdelante() override;
    void MostrarInfoAVisor() override {}
    void SetIdioma() override;
    bool EditandoFiltro() const override { return false; }
    void PreUnload() override;
    QIcon CurrentIcon() override;
    void EnfocarVisor() override { Form_Activate(); }

    // The search.
    void AgregarCarpeta(const std::string& ruta);
    void IniCaption();
    void cmdADD_Click();
    void cmdELIMINAR_Click();
    void cmdBORRAR_Click();
    void cmdUNIDADES_Click();
    void cmdBUSCAR_Click();
    void cmdCancelar_Click();
    void Form_Activate();
    // A double click on hit i: its folder in a folder tab, with the hit selected.
    void LISTA_DblClick(int fila);

    bool Buscando() const { return b_->Buscando; }
    const cBusqueda& Busqueda() const { return *b_; }
    double SegundosBusqueda() const { return SegundosBusqueda_; }
    std::vector<std::string> Carpetas() const;

    QLineEdit* txtARCHIVO() const { return txtARCHIVO_; }
    QComboBox* cboCARPETA() const { return cboCARPETA_; }
    QPushButton* cmdADD() const { return cmdADD_; }
    QPushButton* cmdELIMINAR() const { return cmdELIMINAR_; }
    QPushButton* cmdBORRAR() const { return cmdBORRAR_; }
    QPushButton* cmdUNIDADES() const { return cmdUNIDADES_; }
    QCheckBox* chkDISCO() const { return chkDISCO_; }
    QCheckBox* chkBD() const { return chkBD_; }
    QGroupBox* fraMB() const { return fraMB_; }
    QPushButton* cmdBUSCAR() const { return cmdBUSCAR_; }
    QPushButton* cmdCancelar() const { return cmdCancelar_; }
    QTreeView* LISTA() const { return LISTA_; }
    QLabel* lbl(int i) const { return lbl_[i]; }
    ModeloResultados* Modelo() const { return modelo_; }

protected:
    bool eventFilter(QObject* objeto, QEvent* e) override;

private:
    void Construir();
    void PonerCarpetas(const std::vector<std::string>& carpetas);
    void SetEstado(const QString& texto);
    // The "Database" source runs beside the folder walk and may end before or after it.
    void EmpezarBaseDatos(const std::string& patron, const std::vector<std::string>& carpetas);
    void AciertosBaseDatos(const std::vector<AciertoIndice>& aciertos);
    // Ends the search once both sources are done.
    void TerminarSiHecha();

    Marco& marco_;
    int id_;
    int nTab_ = -1;
    std::shared_ptr<cBusqueda> b_;
    double SegundosBusqueda_ = 0;
    bool hecha_ = false;
    bool corriendo_ = false;
    bool recorriendo_ = false;  // the folder walk is running
    std::unique_ptr<cConsultaIndice> consulta_;
    QObject* notificadores_ = nullptr;  // the consulta's socket notifiers
    QTimer* tConsulta_ = nullptr;
    cConsultaIndice::Fin finConsulta_ = cConsultaIndice::Fin::Completa;
    QElapsedTimer reloj_;

    QLineEdit* txtARCHIVO_ = nullptr;
    QComboBox* cboCARPETA_ = nullptr;
    QPushButton* cmdADD_ = nullptr;
    QPushButton* cmdELIMINAR_ = nullptr;
    QPushButton* cmdBORRAR_ = nullptr;
    QPushButton* cmdUNIDADES_ = nullptr;
    QCheckBox* chkDISCO_ = nullptr;
    QCheckBox* chkBD_ = nullptr;
    QGroupBox* fraMB_ = nullptr;
    QPushButton* cmdBUSCAR_ = nullptr;
    QPushButton* cmdCancelar_ = nullptr;
    QPushButton* cmdCrearMapa_ = nullptr;
    QTreeView* LISTA_ = nullptr;
    QLabel* lbl_[4] = {};
    ModeloResultados* modelo_ = nullptr;
};

}  // namespace quirvex
