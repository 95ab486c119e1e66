#include "frame/controles_marco_qt.h"

#include <algorithm>

#include <QGuiApplication>
#include <QClipboard>
#include <QKeyEvent>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>

#include "frame/geometria_tabs.h"
#include "frame/mdi_qt.h"

namespace quirvex {
namespace {

struct ColoresPiel {
    QColor arriba;
    QColor abajo;
    QColor borde;
};

// One entry per tab state: normal, hover, pressed, selected, selected and hover.
const ColoresPiel kPiel[] = {
    {QColor(46, 70, 94), QColor(32, 52, 72), QColor(60, 86, 112)},
    {QColor(66, 96, 126), QColor(46, 72, 98), QColor(92, 124, 156)},
    {QColor(24, 42, 60), QColor(20, 36, 52), QColor(50, 74, 98)},
    {QColor(60, 108, 156), QColor(42, 82, 124), QColor(96, 146, 196)},
    {QColor(74, 126, 178), QColor(52, 98, 144), QColor(116, 168, 218)},
};

// The accent line of each skin kind: New Tab, Operations, folder, search.
QColor AcentoPiel(int piel) {
    switch (piel) {
        case PIEL_NUEVO: return QColor(96, 196, 128);
        case PIEL_OPERACIONES: return QColor(232, 172, 64);
        case PIEL_BUSQUEDA: return QColor(176, 128, 224);
        default: return QColor(86, 160, 232);
    }
}

}  // namespace

void PintarPielTab(QPainter& p, const QRect& r, int piel, int estado) {
    const ColoresPiel& c = kPiel[std::clamp(estado, 0, 4)];
    QPainterPath forma;
    const QRectF f = QRectF(r).adjusted(0.5, 0.5, -0.5, 4.0);  // square bottom below the edge
    forma.addRoundedRect(f, 5, 5);
    QLinearGradient g(r.topLeft(), r.bottomLeft());
    g.setColorAt(0, c.arriba);
    g.setColorAt(1, c.abajo);
    p.save();
    p.setRenderHint(QPainter::Antialiasing);
    p.setClipRect(r);
    p.fillPath(forma, g);
    p.setPen(QPen(c.borde, 1));
    p.drawPath(forma);
    if (estado >= TAB_ELEGIDO || estado == TAB_SOBRE) {
        const QColor acento = AcentoPiel(piel);
        p.setPen(Qt::NoPen);
        p.setBrush(estado >= TAB_ELEGIDO ? acento : acento.darker(130));
        p.drawRoundedRect(QRectF(r.left() + 4, r.top() + 1, r.width() - 8, 3), 1.5, 1.5);
    }
    p.restore();
}

QRect RectGlifoCerrar(const QRect& boton) {
    return QRect(boton.right() - ANCHO_GLIFO_CERRAR - 5, (boton.height() - ANCHO_GLIFO_CERRAR) / 2,
                 ANCHO_GLIFO_CERRAR, ANCHO_GLIFO_CERRAR);
}

void PintarGlifoCerrar(QPainter& p, const QRect& boton, bool pulsado) {
    const QRect g = RectGlifoCerrar(boton);
    p.save();
    p.setRenderHint(QPainter::Antialiasing);
    if (pulsado) {
        p.setPen(Qt::NoPen);
        p.setBrush(QColor(200, 70, 70));
        p.drawEllipse(g);
    }
    p.setPen(QPen(pulsado ? QColor(255, 255, 255) : p.pen().color(), 1.6, Qt::SolidLine,
                  Qt::RoundCap));
    const QRectF x = QRectF(g).adjusted(4.5, 4.5, -4.5, -4.5);
    p.drawLine(x.topLeft(), x.bottomRight());
    p.drawLine(x.topRight(), x.bottomLeft());
    p.restore();
}

BotonTab::BotonTab(MDI& mdi, int indice, QWidget* padre) : QWidget(padre), mdi_(mdi), indice_(indice) {
    setMouseTracking(true);
    setAttribute(Qt::WA_Hover);
}

void BotonTab::paintEvent(QPaintEvent*) {
    QPainter p(this);
    mdi_.PintarTab(indice_, p);
    if (!hasFocus()) return;
    // Where the keyboard is: a dotted line inside the tab's edge.
    p.setPen(QPen(QColor(255, 255, 255), 1, Qt::DotLine));
    p.setBrush(Qt::NoBrush);
    p.drawRect(rect().adjusted(3, 5, -4, -3));
}

void BotonTab::keyPressEvent(QKeyEvent* e) {
    if (e->modifiers() & ~Qt::KeypadModifier) return QWidget::keyPressEvent(e);
    switch (e->key()) {
        case Qt::Key_Left: mdi_.EnfocarTab(indice_ - 1); break;
        case Qt::Key_Right: mdi_.EnfocarTab(indice_ + 1); break;
        case Qt::Key_Home: mdi_.EnfocarTab(0); break;
        case Qt::Key_End: mdi_.EnfocarTab(static_cast<int>(mdi_.Tabs().size()) - 1); break;
        case Qt::Key_Space:
        case Qt::Key_Return:
        case Qt::Key_Enter: mdi_.e_tabB_Click(indice_); break;
        default: return QWidget::keyPressEvent(e);
    }
}

void BotonTab::focusInEvent(QFocusEvent*) { update(); }
void BotonTab::focusOutEvent(QFocusEvent*) { update(); }

void BotonTab::mousePressEvent(QMouseEvent* e) { mdi_.tabB_MouseDown(indice_, e->button()); }

void BotonTab::mouseMoveEvent(QMouseEvent* e) { mdi_.tabB_MouseMove(indice_, e->buttons()); }

void BotonTab::mouseReleaseEvent(QMouseEvent* e) {
    mdi_.tabB_MouseUp(indice_, e->button(), e->position().toPoint());
}

void BotonTab::resizeEvent(QResizeEvent*) { mdi_.tabB_Resize(indice_); }

void BotonTab::leaveEvent(QEvent*) { mdi_.picTabs_MouseMove(); }

FilaTabs::FilaTabs(MDI& mdi, QWidget* padre) : QWidget(padre), mdi_(mdi) {
    setMouseTracking(true);
}

void FilaTabs::paintEvent(QPaintEvent*) {
    QPainter p(this);
    QLinearGradient g(0, 0, 0, height());
    g.setColorAt(0, QColor(15, 35, 53));
    g.setColorAt(1, QColor(21, 44, 66));
    p.fillRect(rect(), g);
}

void FilaTabs::mouseMoveEvent(QMouseEvent*) { mdi_.picTabs_MouseMove(); }

// The captions were cut and the buttons sized in the old font.
void FilaTabs::changeEvent(QEvent* e) {
    QWidget::changeEvent(e);
    if (e->type() == QEvent::FontChange) mdi_.RedibujarTabs();
}

AreaRuta::AreaRuta(QWidget* padre) : QWidget(padre) {
    // A press on the area itself opens the box (mousePressEvent); a press on a path button
    // only goes there, so a click must not give the area the focus on its way up.
    setFocusPolicy(Qt::TabFocus);
    setMouseTracking(true);
    setCursor(Qt::IBeamCursor);
}

void AreaRuta::SetResaltado(bool resaltado) {
    if (resaltado_ == resaltado) return;
    resaltado_ = resaltado;
    update();
}

void AreaRuta::SetFondoEdicion(bool edicion) {
    edicion_ = edicion;
    update();
}

void AreaRuta::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    const QColor fondo = edicion_ ? QColor(255, 255, 255)
                                  : resaltado_ ? QColor(250, 252, 254) : QColor(232, 237, 243);
    p.setPen(QPen(QColor(120, 146, 172), 1));
    p.setBrush(fondo);
    p.drawRoundedRect(QRectF(rect()).adjusted(0.5, 0.5, -0.5, -0.5), 3, 3);
}

void AreaRuta::focusInEvent(QFocusEvent* e) {
    QWidget::focusInEvent(e);
    if (alEnfocar) alEnfocar();
}

void AreaRuta::mouseMoveEvent(QMouseEvent*) {
    if (alMover) alMover();
}

void AreaRuta::mousePressEvent(QMouseEvent* e) {
    setFocus(Qt::MouseFocusReason);
    QWidget::mousePressEvent(e);
}

void AreaRuta::resizeEvent(QResizeEvent*) {
    if (alRedimensionar) alRedimensionar();
}

void AreaRuta::leaveEvent(QEvent*) { SetResaltado(false); }

bool CajaRuta::event(QEvent* e) {
    // Ctrl+C must reach keyPressEvent rather than the line edit's own copy shortcut.
    if (e->type() == QEvent::ShortcutOverride) {
        auto* k = static_cast<QKeyEvent*>(e);
        if (k->matches(QKeySequence::Copy)) {
            e->accept();
            return true;
        }
    }
    return QLineEdit::event(e);
}

bool CajaRuta::focusNextPrevChild(bool siguiente) {
    if (siguiente || !alAtras) return QLineEdit::focusNextPrevChild(siguiente);
    alAtras();
    return true;
}

void CajaRuta::keyPressEvent(QKeyEvent* e) {
    if (e->matches(QKeySequence::Copy)) {
        QGuiApplication::clipboard()->clear();
        QGuiApplication::clipboard()->setText(text());
        return;
    }
    if (e->key() == Qt::Key_Return || e->key() == Qt::Key_Enter) {
        if (alEnter) alEnter();
        return;
    }
    if (e->key() == Qt::Key_Escape && e->modifiers() == Qt::NoModifier) {
        if (alEscape) alEscape();
        return;
    }
    QLineEdit::keyPressEvent(e);
}

void CajaRuta::focusInEvent(QFocusEvent* e) {
    QLineEdit::focusInEvent(e);
    if (alEnfocar) alEnfocar();
}

void CajaRuta::focusOutEvent(QFocusEvent* e) {
    QLineEdit::focusOutEvent(e);
    // Its own context menu takes the focus for a moment; the box stays open meanwhile.
    if (e->reason() != Qt::PopupFocusReason && alDesenfocar) alDesenfocar();
}

void CajaAvisos::keyPressEvent(QKeyEvent* e) {
    if (e->key() == Qt::Key_Return || e->key() == Qt::Key_Enter) {
        if (alEnter) alEnter();
        return;
    }
    QLineEdit::keyPressEvent(e);
}

void CajaAvisos::focusInEvent(QFocusEvent* e) {
    QLineEdit::focusInEvent(e);
    if (alEnfocar) alEnfocar();
}

void CajaAvisos::focusOutEvent(QFocusEvent* e) {
    QLineEdit::focusOutEvent(e);
    if (e->reason() != Qt::PopupFocusReason && alDesenfocar) alDesenfocar();
}

}  // namespace quirvex
