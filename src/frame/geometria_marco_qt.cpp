#include "frame/geometria_marco_qt.h"

#include <QGuiApplication>
#include <QScreen>
#include <QWidget>
#include <algorithm>

#include "settings/opciones.h"

namespace quirvex {

void RestaurarGeometriaMarco(QWidget& marco) {
    const RegistroOpciones& o = Opciones();
    if (o.FrameWidth <= 0 || o.FrameHeight <= 0) return;
    QRect r(o.FrameLeft, o.FrameTop, o.FrameWidth, o.FrameHeight);
    QScreen* pantalla = QGuiApplication::screenAt(r.center());
    if (!pantalla) pantalla = QGuiApplication::primaryScreen();
    if (pantalla) {
        const QRect util = pantalla->availableGeometry();
        r.setWidth(std::min(r.width(), util.width()));
        r.setHeight(std::min(r.height(), util.height()));
        if (!util.intersects(r) || !util.contains(r.center())) r.moveTopLeft(util.topLeft());
    }
    marco.setGeometry(r);
    if (o.FrameMaximized == 1) marco.setWindowState(marco.windowState() | Qt::WindowMaximized);
}

void RecordarGeometriaMarco(const QWidget& marco) {
    RegistroOpciones& o = Opciones();
    const bool maximizada = marco.isMaximized();
    const QRect r = maximizada ? marco.normalGeometry() : marco.geometry();
    if (r.width() <= 0 || r.height() <= 0) return;
    o.FrameLeft = r.x();
    o.FrameTop = r.y();
    o.FrameWidth = r.width();
    o.FrameHeight = r.height();
    o.FrameMaximized = maximizada ? 1 : 0;
    GuardarGeometriaMarco();
}

}  // namespace quirvex
