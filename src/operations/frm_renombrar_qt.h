#pragma once
// frmRenombrar: the small modal dialog of rename, change label and new file. It only shows the
// names and forwards Apply to its cRenombrar, which checks the name, acts and tells the user
// what failed; the dialog closes when cRenombrar says so.
//
// Owner: whoever opens it, on the stack, through the entry points of comandos_archivo_qt.h.

#include <QDialog>
#include <QString>

#include "operations/comandos_archivo.h"

class QLabel;
class QLineEdit;
class QPushButton;

namespace quirvex {

class cContenidoVisor;

class frmRenombrar final : public QDialog {
    Q_OBJECT

public:
    explicit frmRenombrar(QWidget* padre = nullptr);

    // Rename (or, for a drive of the My PC list, change label) of item `item` of the pane.
    void PrepararRenombrar(const cContenidoVisor& visor, std::int64_t item, OyenteCambios* oyente);
    // New empty file in `carpeta` (ending in '/').
    void PrepararArchivoNuevo(const std::string& carpeta, OyenteCambios* oyente);

    void SetIdioma();
    void cmdAplicar_Click();

    QLabel* lbl(int i) const { return lbl_[i]; }
    QLineEdit* txtAnterior() const { return txtAnterior_; }
    QLineEdit* txtNuevo() const { return txtNuevo_; }
    QPushButton* cmdAplicar() const { return cmdAplicar_; }
    QPushButton* cmdCancelar() const { return cmdCancelar_; }
    const cRenombrar& Estado() const { return estado_; }

private:
    cRenombrar estado_;
    QLabel* lbl_[2] = {nullptr, nullptr};
    QLineEdit* txtAnterior_;
    QLineEdit* txtNuevo_;
    QPushButton* cmdAplicar_;
    QPushButton* cmdCancelar_;
};

}  // namespace quirvex
