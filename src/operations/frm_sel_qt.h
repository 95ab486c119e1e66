#pragma once
// frmSel: the selector chooser. Shows the 26 selection styles as samples that look like the
// selection each produces, marks the current one, and stores the choice by itself on Apply.
// Opened modally; owned by whoever opens it.

#include <QDialog>

class QPushButton;

namespace quirvex {

class frmSel final : public QDialog {
public:
    explicit frmSel(QWidget* padre = nullptr);
    int Marcado() const { return marcado_; }
    void Marcar(int indice);
    void cmdAplicar_Click();
    void SetIdioma();
    // The sample's place in the window, for clicks and tests.
    QRect RectMuestra(int indice) const;

protected:
    void paintEvent(QPaintEvent* e) override;
    void mousePressEvent(QMouseEvent* e) override;
    void keyPressEvent(QKeyEvent* e) override;

private:
    int marcado_;
    QPushButton* cmdAplicar_;
    QPushButton* cmdCancelar_;
};

}  // namespace quirvex
