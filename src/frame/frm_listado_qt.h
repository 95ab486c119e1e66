#pragma once
// A plain window over one pane's content: address box and a details list. It lets a person
// browse with the core until the drawn panes take its place.

#include <QAbstractTableModel>
#include <QMainWindow>

#include "folder/contenido_visor.h"

class QLineEdit;
class QTableView;
class QKeyEvent;

namespace quirvex {

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

class frmListado final : public QMainWindow, private VistaVisor {
public:
    frmListado();
    void Abrir(const QString& ruta);

private:
    void RedibujarTodo() override;
    void Activar(const QModelIndex& i);
    void keyPressEvent(QKeyEvent* e) override;

    cContenidoVisor contenido_{this};
    ModeloListado modelo_{contenido_};
    QLineEdit* txtRuta_;
    QTableView* lista_;
};

}  // namespace quirvex
