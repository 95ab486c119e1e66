#pragma once
// frmListado: a plain folder tab with one pane shown as a details list. It lets a person browse
// through the frame with the core until the drawn panes (frmMain) take its place, and it is
// the frame's tab window until then. Owned by the frame like any tab window.

#include <QAbstractTableModel>
#include <QWidget>

#include "folder/contenido_visor.h"
#include "frame/ventana_tab_qt.h"

class QTableView;
class QKeyEvent;

namespace quirvex {

class Marco;

class ModeloListado final : public QAbstractTableModel {
public:
    explicit ModeloListado(const cContenidoVisor& c) : c_(c) {}
    int rowCount(const QModelIndex& = {}) const override;
    int columnCount(const QModelIndex& = {}) const override { return 4; }
    QVariant data(const QModelIndex& i, int rol) const override;
    QVariant headerData(int seccion, Qt::Orientation o, int rol) const override;
    void Recargar() { beginResetModel(); endResetModel(); }

private:
    const cContenidoVisor& c_;
};

class frmListado final : public QWidget, public VentanaTab, private VistaVisor {
public:
    explicit frmListado(Marco& marco);

    QWidget* Widget() override { return this; }
    QString NombreVentana() const override { return QStringLiteral("frmMain"); }
    int ID() const override { return id_; }
    int nTab() const override { return nTab_; }
    void SetnTab(int n) override { nTab_ = n; }
    cVisor* aVisor() override { return nullptr; }
    int nVisores() const override { return 1; }
    cVisor* GetVisor(int) override { return nullptr; }
    QString RutaActual() const override;
    void CargarVisores(const QString& visores) override;
    void ActualizarAtrasAdelante() override;
    void MostrarInfoAVisor() override {}
    void SetIdioma() override;
    bool EditandoFiltro() const override { return editandoFiltro_; }
    void PreUnload() override {}
    cContenidoVisor* GetContenidoVisor(int i) override { return i == 0 ? &contenido_ : nullptr; }
    cContenidoVisor* ContenidoAVisor() override { return &contenido_; }
    void SetEditandoFiltro(bool editando) override { editandoFiltro_ = editando; }
    QIcon CurrentIcon() override;
    void EnfocarVisor() override;

private:
    void RedibujarTodo() override;
    void Activar(const QModelIndex& i);
    void keyPressEvent(QKeyEvent* e) override;

    Marco& marco_;
    int id_;
    int nTab_ = -1;
    bool editandoFiltro_ = false;
    cContenidoVisor contenido_{this};
    ModeloListado modelo_{contenido_};
    QTableView* lista_;
};

}  // namespace quirvex
