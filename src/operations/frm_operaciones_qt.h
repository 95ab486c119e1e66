#pragma once
// frmOperaciones: the "Operations" tab. One drawn panel per queued operation, in queue order,
// with its progress bar, its Pause and Cancel/Undo buttons and its times; below them the error
// log of the selected panel. It is the queue's window (VistaOperaciones): it paints what the
// engine reports and starts queued work from its 100 ms timer `tIni`.
//
// Owner: the frame, which puts it in its "Operations" tab and follows TituloCambiado for the
// tab's text. Only one may exist at a time (the queue talks to one window). It may be
// destroyed at any moment, even while the engine copies inside its own timer tick: destroy it
// with deleteLater where possible; the destructor unhooks it from the queue, and nothing here
// touches the window once the engine returns to a tick whose window is gone.

#include <QString>
#include <QWidget>
#include <memory>
#include <vector>

#include "operations/tareas.h"

class QCheckBox;
class QPlainTextEdit;
class QProgressBar;
class QPushButton;
class QScrollArea;
class QTimer;
class QVBoxLayout;

namespace quirvex {

class PanelOperacion;

class frmOperaciones final : public QWidget, public VistaOperaciones {
    Q_OBJECT

public:
    explicit frmOperaciones(cTareas& tareas = mTareas(), QWidget* padre = nullptr);
    ~frmOperaciones() override;

    // Re-texts every control from the current language.
    void SetIdioma();
    // frmOperations/0, with the waiting count and the running percentage.
    QString Titulo() const { return titulo_; }

    // The panel actions, as their controls call them.
    void picT_Click(int i);
    void cmdCancelar_Click(int i);
    void cmdPausa_Click(int i);

    // Controls, for the frame and for tests.
    int nPaneles() const { return static_cast<int>(paneles_.size()); }
    QWidget* picT(int i) const;
    QProgressBar* bar(int i) const;
    QPushButton* cmdCancelar(int i) const;
    QPushButton* cmdPausa(int i) const;
    QPlainTextEdit* txtLOG() const { return txtLOG_; }
    QTimer* tIni() const { return tIni_; }
    const cTareas& Tareas() const { return tareas_; }

signals:
    // The caption changed; the frame shows it as the tab's text.
    void TituloCambiado(const QString& titulo);

private:
    void OperacionAgregada(std::int64_t i) override;
    void RedibujarLista() override;
    void DibujarOperacion(std::int64_t i) override;
    void MostrarProgreso(std::int64_t i) override;
    void LogCambiado(std::int64_t i) override;
    void SetTitulo(const std::string& titulo) override;
    void HabilitarInicio(bool habilitar) override;

    void CrearControles();
    void AgregarPanel(std::int64_t i);
    void ActualizarBotones(int i);
    void NombrarControles(int i);
    void MostrarLog();
    void PonerTitulo(const QString& titulo);

    cTareas& tareas_;
    QString titulo_;
    QTimer* tIni_ = nullptr;
    QScrollArea* picD_ = nullptr;
    QVBoxLayout* pila_ = nullptr;
    QPlainTextEdit* txtLOG_ = nullptr;
    QPushButton* cmdLimpiar_ = nullptr;
    QCheckBox* chkApagar_ = nullptr;
    std::vector<PanelOperacion*> paneles_;
    // Shared with a running tick, which outlives the window when the window is destroyed
    // while the engine yields.
    std::shared_ptr<bool> vivo_ = std::make_shared<bool>(true);
    bool enTick_ = false;
    // The log box shows an operation's log rather than the opening General/36.
    bool logDeOperacion_ = false;
};

// A date value in the system's default short date-time format; empty for 0.
QString TextoFecha(Fecha fecha);

}  // namespace quirvex
