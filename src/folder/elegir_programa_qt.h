#pragma once
// frmElegirPrograma: the program chooser for files the desktop has no program for (and for
// "Choice program..."). Lists every installed program with a search field; the choice is
// remembered in the desktop's association data, then the file is opened with it.

#include <QDialog>
#include <string>
#include <vector>

#include "platform/asociaciones.h"

class QLineEdit;
class QListWidget;

namespace quirvex {

class frmElegirPrograma final : public QDialog {
public:
    frmElegirPrograma(const std::string& ruta, QWidget* padre = nullptr);
    // The id of the chosen program, empty when none.
    std::string Elegido() const;
    void Filtrar(const QString& texto);
    QListWidget* Lista() const { return lista_; }

private:
    std::vector<Aplicacion> programas_;
    QLineEdit* txtBuscar_;
    QListWidget* lista_;
};

// Shows the chooser; on acceptance remembers the program for the file's type and opens the
// file with it. False when the user cancels or the program cannot start.
bool ElegirProgramaYAbrir(const std::string& ruta, QWidget* padre = nullptr);

}  // namespace quirvex
