// Draws the icon set the program falls back on when the desktop has no icon theme, as PNG files
// at 16, 32 and 96 pixels. The pictures are committed under resources/icons/; run this again
// only to change them:
//   g++ -std=c++20 -fPIC tools/dibujar_iconos.cpp $(pkg-config --cflags --libs Qt6Gui) -o /tmp/di
//   /tmp/di resources/icons
// Every shape is drawn on a 32-unit grid and scaled, so the three sizes stay alike.

#include <QColor>
#include <QImage>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QString>
#include <cstdio>
#include <functional>
#include <vector>

namespace {

using Dibujo = std::function<void(QPainter&)>;

const QColor kBorde(70, 70, 80);

void Pagina(QPainter& p, QColor relleno) {
    QPainterPath hoja;
    hoja.moveTo(6, 2);
    hoja.lineTo(20, 2);
    hoja.lineTo(26, 8);
    hoja.lineTo(26, 30);
    hoja.lineTo(6, 30);
    hoja.closeSubpath();
    p.setPen(QPen(kBorde, 1));
    p.setBrush(relleno);
    p.drawPath(hoja);
    QPainterPath oreja;
    oreja.moveTo(20, 2);
    oreja.lineTo(20, 8);
    oreja.lineTo(26, 8);
    p.setBrush(relleno.darker(115));
    p.drawPath(oreja);
}

void Lineas(QPainter& p, QColor color, int desde, int hasta) {
    p.setPen(QPen(color, 1.5));
    for (int y = desde; y <= hasta; y += 4) p.drawLine(QPointF(9, y), QPointF(23, y));
}

void Carpeta(QPainter& p) {
    p.setPen(QPen(QColor(150, 110, 20), 1));
    p.setBrush(QColor(230, 180, 60));
    p.drawRoundedRect(QRectF(2, 6, 12, 6), 1.5, 1.5);
    QLinearGradient g(0, 9, 0, 28);
    g.setColorAt(0, QColor(255, 214, 100));
    g.setColorAt(1, QColor(235, 170, 40));
    p.setBrush(g);
    p.drawRoundedRect(QRectF(2, 9, 28, 19), 2, 2);
}

void Archivo(QPainter& p) { Pagina(p, QColor(250, 250, 250)); }

void Texto(QPainter& p) {
    Pagina(p, Qt::white);
    Lineas(p, QColor(120, 120, 140), 12, 26);
}

void Imagen(QPainter& p) {
    Pagina(p, Qt::white);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(120, 190, 240));
    p.drawRect(QRectF(8.5, 11, 15, 15));
    p.setBrush(QColor(250, 210, 40));
    p.drawEllipse(QPointF(19, 15), 2.5, 2.5);
    p.setBrush(QColor(60, 160, 70));
    QPainterPath colina;
    colina.moveTo(8.5, 26);
    colina.lineTo(13, 18);
    colina.lineTo(17, 23);
    colina.lineTo(20, 20);
    colina.lineTo(23.5, 26);
    colina.closeSubpath();
    p.drawPath(colina);
}

void Comprimido(QPainter& p) {
    p.setPen(QPen(QColor(110, 70, 30), 1));
    p.setBrush(QColor(200, 150, 90));
    p.drawRect(QRectF(4, 8, 24, 21));
    p.setBrush(QColor(170, 120, 60));
    p.drawRect(QRectF(3, 4, 26, 5));
    p.setPen(Qt::NoPen);
    for (int y = 10; y < 28; y += 3) {
        p.setBrush(QColor(90, 90, 90));
        p.drawRect(QRectF(14, y, 4, 1.5));
    }
}

void Ejecutable(QPainter& p) {
    p.setPen(QPen(QColor(30, 50, 100), 1));
    p.setBrush(QColor(235, 240, 250));
    p.drawRect(QRectF(3, 6, 26, 21));
    p.setBrush(QColor(50, 100, 200));
    p.drawRect(QRectF(3, 6, 26, 5));
    p.setBrush(QColor(220, 80, 60));
    p.setPen(Qt::NoPen);
    p.drawRect(QRectF(25, 7.5, 2.5, 2));
    p.setBrush(QColor(60, 160, 90));
    QPainterPath play;
    play.moveTo(12, 14);
    play.lineTo(21, 19);
    play.lineTo(12, 24);
    play.closeSubpath();
    p.drawPath(play);
}

void Audio(QPainter& p) {
    Pagina(p, QColor(245, 240, 255));
    p.setPen(QPen(QColor(110, 60, 170), 2));
    p.drawLine(QPointF(19, 11), QPointF(19, 23));
    p.drawLine(QPointF(19, 11), QPointF(23, 13));
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(110, 60, 170));
    p.drawEllipse(QPointF(16, 24), 3.5, 2.7);
}

void Video(QPainter& p) {
    p.setPen(QPen(QColor(30, 30, 30), 1));
    p.setBrush(QColor(60, 60, 70));
    p.drawRect(QRectF(3, 6, 26, 20));
    p.setPen(Qt::NoPen);
    p.setBrush(Qt::white);
    for (int x = 5; x < 28; x += 4) {
        p.drawRect(QRectF(x, 7.5, 2, 2));
        p.drawRect(QRectF(x, 22.5, 2, 2));
    }
    p.setBrush(QColor(230, 90, 60));
    p.drawRect(QRectF(7, 11, 18, 10));
}

void Documento(QPainter& p) {
    Pagina(p, Qt::white);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(40, 90, 180));
    p.drawRect(QRectF(8.5, 10, 15, 4));
    Lineas(p, QColor(40, 90, 180), 18, 26);
}

void Disco(QPainter& p, QColor color) {
    QRadialGradient g(QPointF(16, 16), 13, QPointF(11, 11));
    g.setColorAt(0, Qt::white);
    g.setColorAt(1, color);
    p.setPen(QPen(kBorde, 1));
    p.setBrush(g);
    p.drawEllipse(QPointF(16, 16), 13, 13);
    p.setBrush(Qt::white);
    p.drawEllipse(QPointF(16, 16), 3, 3);
}

void ImagenDisco(QPainter& p) {
    Pagina(p, QColor(240, 240, 240));
    p.save();
    p.translate(7, 9);
    p.scale(0.6, 0.6);
    Disco(p, QColor(150, 170, 200));
    p.restore();
}

// The body shared by the drives: a flat box with a light on its front.
void Caja(QPainter& p, QColor arriba, QColor abajo, QColor luz) {
    QLinearGradient g(0, 9, 0, 25);
    g.setColorAt(0, arriba);
    g.setColorAt(1, abajo);
    p.setPen(QPen(kBorde, 1));
    p.setBrush(g);
    p.drawRoundedRect(QRectF(2, 10, 28, 14), 2.5, 2.5);
    p.setPen(Qt::NoPen);
    p.setBrush(luz);
    p.drawEllipse(QPointF(25, 20), 1.8, 1.8);
}

void UnidadFija(QPainter& p) {
    Caja(p, QColor(225, 225, 230), QColor(150, 150, 160), QColor(60, 200, 80));
}

void UnidadRemota(QPainter& p) {
    Caja(p, QColor(210, 225, 245), QColor(110, 140, 190), QColor(60, 200, 80));
    p.setPen(QPen(QColor(30, 60, 120), 2));
    p.drawLine(QPointF(16, 24), QPointF(16, 30));
    p.drawLine(QPointF(6, 30), QPointF(26, 30));
    p.setPen(QPen(QColor(30, 60, 120), 1));
    p.setBrush(QColor(120, 180, 240));
    p.drawEllipse(QPointF(9, 17), 4, 4);
}

void UnidadOptica(QPainter& p) { Disco(p, QColor(190, 190, 210)); }

void UnidadRam(QPainter& p) {
    p.setPen(QPen(QColor(20, 80, 40), 1));
    p.setBrush(QColor(40, 140, 70));
    p.drawRect(QRectF(2, 10, 28, 12));
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(30, 30, 30));
    for (int x = 4; x < 28; x += 7) p.drawRect(QRectF(x, 12, 5, 7));
    p.setBrush(QColor(220, 180, 60));
    for (int x = 3; x < 30; x += 3) p.drawRect(QRectF(x, 22, 1.6, 4));
}

void UnidadExtraible(QPainter& p) {
    p.setPen(QPen(QColor(120, 120, 130), 1));
    p.setBrush(QColor(210, 210, 215));
    p.drawRect(QRectF(22, 12, 8, 8));
    p.setPen(QPen(QColor(20, 40, 90), 1));
    p.setBrush(QColor(50, 90, 190));
    p.drawRoundedRect(QRectF(3, 9, 20, 14), 3, 3);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(120, 120, 130));
    p.drawRect(QRectF(25, 14, 2, 1.5));
    p.drawRect(QRectF(25, 17, 2, 1.5));
}

void EquipoRed(QPainter& p) {
    p.setPen(QPen(kBorde, 1));
    p.setBrush(QColor(60, 70, 90));
    p.drawRect(QRectF(4, 4, 24, 17));
    p.setBrush(QColor(120, 190, 240));
    p.drawRect(QRectF(6, 6, 20, 13));
    p.setBrush(QColor(190, 190, 200));
    p.drawRect(QRectF(12, 21, 8, 3));
    p.drawRect(QRectF(7, 24, 18, 3));
}

// Drawn over another icon: a white tile in the lower-left corner with a bent arrow.
void FlechaAcceso(QPainter& p) {
    p.setPen(QPen(kBorde, 1));
    p.setBrush(Qt::white);
    p.drawRect(QRectF(1, 19, 12, 12));
    QPainterPath flecha;
    flecha.moveTo(4, 29);
    flecha.cubicTo(4, 24, 6, 23, 9, 23);
    p.setPen(QPen(QColor(20, 70, 170), 2));
    p.setBrush(Qt::NoBrush);
    p.drawPath(flecha);
    QPainterPath punta;
    punta.moveTo(8, 20);
    punta.lineTo(12, 23);
    punta.lineTo(8, 26);
    punta.closeSubpath();
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(20, 70, 170));
    p.drawPath(punta);
}

struct Icono {
    const char* nombre;
    Dibujo dibujar;
};

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s OUTPUT_FOLDER\n", argv[0]);
        return 2;
    }
    const std::vector<Icono> iconos = {
        {"carpeta", Carpeta},          {"archivo", Archivo},
        {"texto", Texto},              {"imagen", Imagen},
        {"comprimido", Comprimido},    {"ejecutable", Ejecutable},
        {"audio", Audio},              {"video", Video},
        {"documento", Documento},      {"imagen_disco", ImagenDisco},
        {"unidad_fija", UnidadFija},   {"unidad_remota", UnidadRemota},
        {"unidad_optica", UnidadOptica}, {"unidad_ram", UnidadRam},
        {"unidad_extraible", UnidadExtraible}, {"equipo_red", EquipoRed},
        {"flecha_acceso", FlechaAcceso},
    };
    for (const Icono& icono : iconos) {
        for (int tamano : {16, 32, 96}) {
            QImage img(tamano, tamano, QImage::Format_ARGB32_Premultiplied);
            img.fill(Qt::transparent);
            QPainter p(&img);
            p.setRenderHint(QPainter::Antialiasing);
            p.scale(tamano / 32.0, tamano / 32.0);
            icono.dibujar(p);
            p.end();
            const QString archivo =
                QString("%1/%2_%3.png").arg(QString::fromLocal8Bit(argv[1]), icono.nombre).arg(tamano);
            if (!img.save(archivo, "PNG")) {
                std::fprintf(stderr, "cannot write %s\n", qPrintable(archivo));
                return 1;
            }
        }
    }
    return 0;
}
