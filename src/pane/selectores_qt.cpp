#include "pane/selectores_qt.h"

#include <QColor>
#include <QHash>
#include <QLinearGradient>
#include <QPainter>
#include <QRadialGradient>
#include <algorithm>

#include "settings/opciones.h"

namespace quirvex {
namespace {

enum class Relleno {
    Plano,       // one colour
    Vertical,    // c1 at the top to c2 at the bottom
    Horizontal,  // c1 at the left to c2 at the right
    Vidrio,      // a light upper half over a gradient lower half
    Radial,      // c1 in the middle to c2 at the edges
};

struct EstiloSelector {
    Relleno relleno;
    QRgb c1;
    QRgb c2;
    QRgb borde;
    int grosor;  // border width, 0 none
    int radio;   // corner radius
};

constexpr EstiloSelector kEstilos[NUM_SELECTORES] = {
    {Relleno::Vidrio, 0xcfe6ff, 0x7db8f0, 0x3a7bd5, 1, 3},      // 0 blue glass
    {Relleno::Vertical, 0xe3f0ff, 0x9cc7f5, 0x5b9bd5, 1, 2},    // 1 light blue
    {Relleno::Plano, 0x3399ff, 0x3399ff, 0x000000, 0, 0},       // 2 flat blue
    {Relleno::Vidrio, 0xd8f5d0, 0x7cc96a, 0x3e8e2f, 1, 3},      // 3 green glass
    {Relleno::Vertical, 0xe8ffe0, 0x9be08a, 0x4caf50, 1, 2},    // 4 light green
    {Relleno::Plano, 0x66cc66, 0x66cc66, 0x2e7d32, 1, 0},       // 5 flat green
    {Relleno::Vidrio, 0xffe6c7, 0xffb357, 0xe07b00, 1, 3},      // 6 orange glass
    {Relleno::Vertical, 0xfffbd0, 0xffe066, 0xd4a800, 1, 2},    // 7 yellow
    {Relleno::Plano, 0xffd700, 0xffd700, 0x000000, 0, 0},       // 8 flat gold
    {Relleno::Vidrio, 0xffd6d6, 0xf07070, 0xc62828, 1, 3},      // 9 red glass
    {Relleno::Vertical, 0xffe0f0, 0xff9ccf, 0xd81b60, 1, 2},    // 10 pink
    {Relleno::Plano, 0xff4d4d, 0xff4d4d, 0xb71c1c, 1, 0},       // 11 flat red
    {Relleno::Vidrio, 0xeadcff, 0xa97cf0, 0x6a1b9a, 1, 3},      // 12 violet glass
    {Relleno::Vertical, 0xf3e8ff, 0xc9a6f5, 0x8e44ad, 1, 2},    // 13 lilac
    {Relleno::Plano, 0x9966cc, 0x9966cc, 0x000000, 0, 0},       // 14 flat violet
    {Relleno::Vidrio, 0xf2f2f2, 0xb8b8b8, 0x707070, 1, 3},      // 15 grey glass
    {Relleno::Vertical, 0xffffff, 0xc8c8d0, 0x9090a0, 1, 2},    // 16 silver
    {Relleno::Plano, 0x999999, 0x999999, 0x555555, 1, 0},       // 17 flat grey
    {Relleno::Horizontal, 0x7db8f0, 0x7cc96a, 0x3a7bd5, 1, 2},  // 18 blue to green
    {Relleno::Horizontal, 0xffb357, 0xf07070, 0xc62828, 1, 2},  // 19 orange to red
    {Relleno::Horizontal, 0xa97cf0, 0x7db8f0, 0x5e35b1, 1, 2},  // 20 violet to blue
    {Relleno::Radial, 0xffffff, 0x5b9bd5, 0x2a6fb5, 1, 4},      // 21 blue halo
    {Relleno::Radial, 0xfff8dc, 0xe0a800, 0xa07800, 1, 4},      // 22 gold halo
    {Relleno::Vidrio, 0xd0f7f5, 0x4fc3c0, 0x00897b, 1, 3},      // 23 turquoise glass
    {Relleno::Plano, 0xeaf3ff, 0xeaf3ff, 0x1e5bb8, 2, 4},       // 24 frame
    {Relleno::Vertical, 0x6a7b8c, 0x2c3e50, 0x1a252f, 1, 2},    // 25 slate
};

QBrush Pincel(const EstiloSelector& e, const QRectF& r) {
    const QColor c1 = QColor::fromRgb(e.c1);
    const QColor c2 = QColor::fromRgb(e.c2);
    switch (e.relleno) {
    case Relleno::Plano:
        return c1;
    case Relleno::Vertical: {
        QLinearGradient g(r.topLeft(), r.bottomLeft());
        g.setColorAt(0, c1);
        g.setColorAt(1, c2);
        return g;
    }
    case Relleno::Horizontal: {
        QLinearGradient g(r.topLeft(), r.topRight());
        g.setColorAt(0, c1);
        g.setColorAt(1, c2);
        return g;
    }
    case Relleno::Vidrio: {
        QLinearGradient g(r.topLeft(), r.bottomLeft());
        g.setColorAt(0, c1.lighter(104));
        g.setColorAt(0.5, c1);
        g.setColorAt(0.5001, c2.lighter(112));
        g.setColorAt(1, c2);
        return g;
    }
    case Relleno::Radial: {
        QRadialGradient g(r.center(), std::max(r.width(), r.height()) / 2.0);
        g.setColorAt(0, c1);
        g.setColorAt(1, c2);
        return g;
    }
    }
    return c1;
}

void PintarEstilo(QPainter& p, const QRectF& r, const EstiloSelector& e) {
    p.setRenderHint(QPainter::Antialiasing, e.radio > 0);
    const qreal medio = e.grosor / 2.0;
    const QRectF dentro = r.adjusted(medio, medio, -medio, -medio);
    p.setPen(e.grosor > 0 ? QPen(QColor::fromRgb(e.borde), e.grosor) : QPen(Qt::NoPen));
    p.setBrush(Pincel(e, r));
    if (e.radio > 0)
        p.drawRoundedRect(dentro, e.radio, e.radio);
    else
        p.drawRect(e.grosor > 0 ? dentro : r);
}

// Overlays are asked for again at every redraw of a selected item, mostly at a few sizes.
const QImage& ImagenEnMemoria(int estilo, QSize tamano) {
    static QHash<quint64, QImage> memoria;
    const quint64 clave = (quint64(quint32(estilo)) << 48) ^ (quint64(quint32(tamano.width())) << 24) ^
                          quint64(quint32(tamano.height()));
    auto it = memoria.find(clave);
    if (it != memoria.end()) return *it;
    if (memoria.size() > 256) memoria.clear();
    return *memoria.insert(clave, ImagenSelector(estilo, tamano));
}

}  // namespace

int SelectorValido(int estilo) { return estilo >= 0 && estilo < NUM_SELECTORES ? estilo : 0; }

QImage ImagenSelector(int estilo, QSize tamano) {
    if (tamano.isEmpty()) return {};
    QImage img(tamano, QImage::Format_ARGB32_Premultiplied);
    img.fill(Qt::transparent);
    QPainter p(&img);
    PintarEstilo(p, QRectF(QPointF(0, 0), QSizeF(tamano)), kEstilos[SelectorValido(estilo)]);
    return img;
}

void PintarSeleccion(QPainter& p, const QRect& r, int estilo) {
    if (r.isEmpty()) return;
    const qreal antes = p.opacity();
    p.setOpacity(antes * ALFA_SELECCION / 255.0);
    p.drawImage(r.topLeft(), ImagenEnMemoria(SelectorValido(estilo), r.size()));
    p.setOpacity(antes);
}

void PintarSeleccion(QPainter& p, const QRect& r) { PintarSeleccion(p, r, Opciones().ColorSel); }

QImage MuestraSelector(int estilo, QSize tamano) {
    if (tamano.isEmpty()) return {};
    QImage img(tamano, QImage::Format_ARGB32_Premultiplied);
    img.fill(Qt::white);
    QPainter p(&img);
    PintarSeleccion(p, img.rect(), estilo);
    return img;
}

}  // namespace quirvex
