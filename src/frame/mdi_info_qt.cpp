// The frame's info strip: the "View Info" check box and its label, and the strip on the right
// of the client area that embeds a properties window following the active pane's current item
// (or its location when nothing is current). The embedded window exists only while the box is
// ticked; the strip shows only while a folder tab is on screen.

#include <QCheckBox>
#include <QFile>
#include <QHBoxLayout>
#include <QLabel>
#include <QMouseEvent>
#include <QVBoxLayout>
#include <functional>

#include "folder/contenido_visor.h"
#include "frame/mdi_qt.h"
#include "frame/ventana_tab_qt.h"
#include "properties/frm_info_qt.h"
#include "settings/idioma.h"

namespace quirvex {
namespace {

constexpr int ANCHO_TIRA_INFO = 320;

// lblInfo: a click toggles the box; a double click counts as the one click it starts with.
class EtiquetaInfo final : public QLabel {
public:
    EtiquetaInfo(QWidget* padre, std::function<void()> alClic)
        : QLabel(padre), alClic_(std::move(alClic)) {}

protected:
    void mouseDoubleClickEvent(QMouseEvent* e) override {
        dobleClic_ = true;
        e->accept();
    }
    void mouseReleaseEvent(QMouseEvent* e) override {
        e->accept();
        if (e->button() != Qt::LeftButton) return;
        if (dobleClic_) {
            dobleClic_ = false;
            return;
        }
        if (rect().contains(e->position().toPoint()) && alClic_) alClic_();
    }

private:
    std::function<void()> alClic_;
    bool dobleClic_ = false;
};

std::string ABytes(const QString& s) { return QFile::encodeName(s).toStdString(); }

}  // namespace

void MDI::ConstruirChkInfo(QWidget* fila, QHBoxLayout* capas) {
    capas->addSpacing(6);
    chkInfo_ = new QCheckBox(fila);
    chkInfo_->setObjectName(QStringLiteral("chkInfo"));
    chkInfo_->setFocusPolicy(Qt::TabFocus);
    connect(chkInfo_, &QCheckBox::toggled, this, [this] { chkInfo_Click(); });
    capas->addWidget(chkInfo_);
    lblInfo_ = new EtiquetaInfo(fila, [this] { lblInfo_Click(); });
    lblInfo_->setObjectName(QStringLiteral("lblInfo"));
    lblInfo_->setStyleSheet(QStringLiteral("color: #cfe3f7;"));
    lblInfo_->setCursor(Qt::PointingHandCursor);
    capas->addWidget(lblInfo_);
}

QWidget* MDI::ConstruirPicInfo() {
    picInfo_ = new QWidget(this);
    picInfo_->setObjectName(QStringLiteral("picInfo"));
    picInfo_->setFixedWidth(ANCHO_TIRA_INFO);
    auto* capas = new QVBoxLayout(picInfo_);
    capas->setContentsMargins(0, 0, 0, 0);
    picInfo_->hide();
    return picInfo_;
}

void MDI::SetIdiomaInfo() {
    lblInfo_->setText(QString::fromStdString(Texto(MDISec, 1)));
    if (frmInfo_) frmInfo_->SetIdioma();
}

void MDI::lblInfo_Click() { chkInfo_->setChecked(!chkInfo_->isChecked()); }

void MDI::chkInfo_Click() {
    if (!chkInfo_->isChecked()) {
        if (frmInfo_) {
            // Stops a tally at once; the window itself goes once this event is over.
            frmInfo_->Vaciar();
            frmInfo_->hide();
            frmInfo_->deleteLater();
            frmInfo_ = nullptr;
        }
        picInfo_->hide();
        return;
    }
    if (!frmInfo_) {
        frmInfo_ = new frmInfo(picInfo_, true);
        frmInfo_->SetOyente(this);
        picInfo_->layout()->addWidget(frmInfo_);
    }
    MostrarTiraInfo(EsCarpeta(activa_) && !operacionesVisibles_);
    if (EsCarpeta(activa_) && !operacionesVisibles_) activa_->MostrarInfoAVisor();
}

void MDI::MostrarTiraInfo(bool carpeta) {
    if (picInfo_) picInfo_->setVisible(carpeta && chkInfo_ && chkInfo_->isChecked());
}

void MDI::MostrarInfo(const QString& ruta, const QString& nombre) {
    if (!frmInfo_ || !chkInfo_->isChecked() || !activa_) return;
    const cContenidoVisor* c = activa_->ContenidoAVisor();
    // On a share the strip would ask the server at every key: it stays empty there.
    if (!c || c->EnRed() || c->EnRecursoRed() || (c->EnMiPC() && nombre.isEmpty())) {
        frmInfo_->Vaciar();
        return;
    }
    const std::string r = ABytes(ruta);
    // The same item again (a redraw, a selection change) keeps a tally running.
    if (frmInfo_->MuestraUnidad() == c->EnMiPC() && (r == frmInfo_->Ruta() || r + "/" == frmInfo_->Ruta()))
        return;
    frmInfo_->Cargar(r, c->EnMiPC());
}

}  // namespace quirvex
