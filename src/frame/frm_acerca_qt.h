#pragma once
// frmAcerca: the About window — program name, version and the terms of distribution. Made
// hidden with the frame, shown by any window's About command, only ever hidden, never closed,
// so showing it again keeps the texts of the language last applied. Owned by the frame.

#include <QWidget>

class QLabel;
class QPushButton;
class QPlainTextEdit;

namespace quirvex {

// "major.minor.revision" of this build.
QString TextoVersion();

class frmAcerca final : public QWidget {
public:
    explicit frmAcerca(QWidget* padre = nullptr);
    void SetIdioma();
    void cmdCerrar_Click() { hide(); }

    QLabel* lblV() const { return lblV_; }
    QPlainTextEdit* txtL() const { return txtL_; }
    QPushButton* cmdCerrar() const { return cmdCerrar_; }

protected:
    void closeEvent(QCloseEvent* e) override;

private:
    QLabel* picLogo_;
    QLabel* lbl_;
    QLabel* lblV_;
    QPlainTextEdit* txtL_;
    QPushButton* cmdCerrar_;
};

}  // namespace quirvex
