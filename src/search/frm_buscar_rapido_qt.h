#pragma once
// frmBuscarRapido: the quick search's popup. It lists the hits the index server sent (name,
// folder, size) and hands Enter or a double click on a hit back to its owner, which opens the
// hit's folder in the active pane with the hit selected. Created by the frame at the first
// search, owned by it (a tool window over the frame, never modal, never taking the focus when it
// shows), hidden and shown again until the end of the run. Interface thread only.

#include <QWidget>
#include <cstdint>
#include <functional>
#include <string>

#include "search/protocolo_indice.h"

class QLabel;
class QTreeWidget;

namespace quirvex {

class frmBuscarRapido final : public QWidget {
public:
    explicit frmBuscarRapido(QWidget* duena);

    // The handle the server is given with 102; the results frames name it.
    std::int64_t Handle() const { return handle_; }
    // Reports the client size (to the server, with 103).
    std::function<void(int ancho, int alto)> alRedimensionar;
    // A hit chosen: its folder (ending with '/') and name.
    std::function<void(const std::string& carpeta, const std::string& nombre)> alAbrir;

    void MostrarResultados(const ResultadosIndice& r);
    // No hits and no total: what a popup shows when its server is gone.
    void Vaciar();
    // No hits, and a word of why in the total's place.
    void MostrarAviso(const QString& aviso);
    // Moves the chosen hit by `paso` rows (none chosen: the first), staying inside the list.
    // False when there is no hit.
    bool Mover(int paso);
    // Opens the chosen hit, the first when none is chosen, as a double click does. False when
    // there is no hit.
    bool AbrirElegido();
    void Form_Resize();
    void SetIdioma();
    QTreeWidget* lstAciertos() const { return lst_; }
    QLabel* lblTotal() const { return lblTotal_; }
    const std::string& TextoMostrado() const { return texto_; }

protected:
    void resizeEvent(QResizeEvent* e) override;
    bool eventFilter(QObject* objeto, QEvent* e) override;

private:

    std::int64_t handle_;
    QTreeWidget* lst_;
    QLabel* lblTotal_;
    std::string texto_;
};

}  // namespace quirvex
