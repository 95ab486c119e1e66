// cVisor's painting: row strips, item cells, details rows and header, selection overlays, the
// title strip, the status strip and the scroll bar.

#include <QDateTime>
#include <QFile>
#include <QLinearGradient>
#include <QLocale>
#include <QPainter>
#include <QTimer>
#include <algorithm>

#include "pane/formato_visor.h"
#include "pane/orden_cabecera.h"
#include "pane/frm_main_qt.h"
#include "pane/imagenes_visor_qt.h"
#include "pane/visor_qt.h"
#include "platform/dialogos.h"
#include "platform/smb.h"
#include "platform/unidades.h"
#include "settings/idioma.h"
#include "settings/opciones.h"

namespace quirvex {

namespace {

const QColor kFondo(255, 255, 255);
const QColor kTexto(0, 0, 0);
// Caption key of each details data kind: name, size, type, modification, attributes.
constexpr int kClaveDato[] = {55, 57, 56, 58, 59};

QString Q(const std::string& s) { return QString::fromUtf8(s); }

QString FechaTexto(Fecha f) {
    if (f <= 0) return {};
    const qint64 dias = static_cast<qint64>(f);
    const int ms = static_cast<int>((f - static_cast<double>(dias)) * 86400000.0);
    const QDateTime dt(QDate(1899, 12, 30).addDays(dias), QTime(0, 0).addMSecs(ms));
    return QLocale().toString(dt, QLocale::ShortFormat);
}

std::string Separador() { return QLocale().decimalPoint().toStdString(); }

}  // namespace

std::string cVisor::Ajustar(std::string_view texto, int ancho, int lineas) const {
    return AjustarTexto(
        texto, ancho, lineas, dist_.AnchoPuntos(), [this](std::string_view t) { return medidor_.Ancho(t); },
        [this](std::string_view t, std::size_t bytes) { return medidor_.AnchoInicio(t, bytes); });
}

void cVisor::PintarSuperficie(TipoSuperficie tipo, QPainter& p) {
    switch (tipo) {
        case TipoSuperficie::Titulo: PintarTitulo(p); break;
        case TipoSuperficie::Estado: PintarEstado(p); break;
        case TipoSuperficie::Cabecera: PintarCabecera(p); break;
        case TipoSuperficie::Items: PintarItems(p, picM_->rect()); break;
        case TipoSuperficie::Barra: PintarBarra(p); break;
        case TipoSuperficie::Separador:
            p.fillRect(picBarra_->rect(), barraPulsada_ ? QColor(120, 120, 150)
                                                        : palette().color(QPalette::Button));
            break;
    }
}

// --- strips ---

void cVisor::LimpiarTira(int tira) {
    if (tira < 0 || static_cast<size_t>(tira) >= tiras_.size()) return;
    tiras_[static_cast<size_t>(tira)].fill(kFondo);
}

void cVisor::RedibujarTiras() {
    for (size_t k = 0; k < tiras_.size(); ++k) LimpiarTira(static_cast<int>(k));
    const PlanDesplazamiento plan = dist_.PlanCompleto(vsbValue(), nItems());
    iconos_.ConservarPreviews(plan.itemDesde, plan.itemHasta);
    EmpezarAdelanto(plan.itemDesde, plan.itemHasta);
    primeraFila_ = plan.primeraFila;
    for (int i = plan.itemDesde; i <= plan.itemHasta; ++i) DibujarICO(i);
    // The boxes whose thumbnails were read meanwhile are painted again (PreviewLista).
    iconos_.TerminarAdelanto(LIMITE_ADELANTO_MS);
    picM_->update();
    vsb_->update();
}

// The whole view is drawn afresh (a load, a mode change, a resize): the thumbnails the shared
// cache holds for it are read on the pool while its cells are painted, so the frame shows them
// instead of type icons that the pool would replace one by one. Reading them is a few small
// local files, bounded in time; decoding a picture is still left to the pool after the paint.
void cVisor::EmpezarAdelanto(int desde, int hasta) {
    const GeometriaVisor& g = dist_.Geometria();
    // On a share, checking the pictures is a network call: the pool alone fetches those.
    if (!g.ModoPreview || contenido_.EnRed() || contenido_.EnRecursoRed()) return;
    std::vector<cCacheIconos::ItemAdelantado> items;
    for (int i = std::max(desde, 0); i <= hasta && i < nItems(); ++i) {
        const ItemCarpeta& it = contenido_.Items[static_cast<size_t>(i)];
        if (it.Tipo != TIPO_ARCHIVO) continue;
        items.push_back({contenido_.RutaActual + it.Nombre,
                         MiradaDeListado(it.Atributos, it.Tamano, it.FechaModificacion), i});
    }
    iconos_.EmpezarAdelanto(items, g.IcoDW);
}

void cVisor::AplicarPlan(const PlanDesplazamiento& plan) {
    for (int t : plan.tiras) LimpiarTira(t);
    primeraFila_ = plan.primeraFila;
    for (int i = plan.itemDesde; i <= plan.itemHasta; ++i) DibujarICO(i);
}

void cVisor::Dibujar() {
    if (bloqueos_ > 0) {
        pendiente_ = true;
        return;
    }
    // Previews still waiting for rows that scrolled away are not worth decoding any more.
    const auto [desde, hasta] = dist_.ItemsVisibles(vsbValue(), nItems());
    iconos_.ConservarPreviews(desde, hasta);
    AplicarPlan(dist_.Desplazar(primeraFila_, vsbValue(), nItems()));
    picM_->update();
    vsb_->update();
}

void cVisor::DibujarICO(int item, int tipo) {
    if (item < 0 || item >= nItems()) return;
    if (tipo != SEL_REPINTAR) seleccion_.SELECCIONAR(item, tipo, true);
    const GeometriaVisor& g = dist_.Geometria();
    const int fila = dist_.FilaDeItem(item);
    if (fila < primeraFila_ || fila > primeraFila_ + g.IcoEY) return;  // no strip for it
    const int tira = dist_.TiraDeFila(fila);
    if (static_cast<size_t>(tira) >= tiras_.size()) return;
    QPainter p(&tiras_[static_cast<size_t>(tira)]);
    ItemCarpeta& it = contenido_.Items[static_cast<size_t>(item)];
    if (g.ModoVer == 1) {
        p.fillRect(QRect(0, 0, dist_.AnchoUtil(), g.IcoH), kFondo);
        PintarFilaDetalles(p, it, 0);
    } else {
        const int x = g.IcoGL + dist_.ColumnaDeItem(item) * g.IcoW;
        p.fillRect(QRect(x, 0, g.IcoW, g.IcoH), kFondo);
        PintarCelda(p, it, x, 0);
    }
    picM_->update();
}

// Only the picture box of a grid item, when its preview has come: the label stays as drawn, and
// only the box reaches the screen again.
void cVisor::DibujarImagenItem(int item) {
    if (item < 0 || item >= nItems()) return;
    const GeometriaVisor& g = dist_.Geometria();
    if (g.ModoVer == 1) return DibujarICO(item);
    const int fila = dist_.FilaDeItem(item);
    if (fila < primeraFila_ || fila > primeraFila_ + g.IcoEY) return;
    const int tira = dist_.TiraDeFila(fila);
    if (static_cast<size_t>(tira) >= tiras_.size()) return;
    const QRect img(g.IcoGL + dist_.ColumnaDeItem(item) * g.IcoW + g.IcoL, g.IcoDD, g.IcoDW, g.IcoDH);
    {
        QPainter p(&tiras_[static_cast<size_t>(tira)]);
        p.fillRect(img, kFondo);
        PintarImagen(p, contenido_.Items[static_cast<size_t>(item)], img);
    }
    picM_->update(img.translated(0, dist_.TopTira(tira, vsbValue())));
}

// The item's picture (type icon, or a preview in preview mode) and the shortcut arrow over it.
void cVisor::PintarImagen(QPainter& p, const ItemCarpeta& it, const QRect& img) {
    const GeometriaVisor& g = dist_.Geometria();
    const bool enDisco = it.Tipo == TIPO_ARCHIVO || (it.Tipo == TIPO_CARPETA && !contenido_.EnRed());
    // Items are always painted from the pane's own table, so their index is their offset there.
    const auto indice = &it - contenido_.Items.data();
    const int item = indice >= 0 && indice < nItems() ? static_cast<int>(indice) : -1;
    // Painting reads only the listing: a share that stopped answering must not stall it.
    if (EsRutaEquipo(contenido_.RutaActual)) {  // a host's list: its shares, login or not
        const int lado = std::min(img.width(), ICONO_MAXIMO);
        p.drawImage(QRect(img.topLeft(), QSize(lado, lado)), ImagenUnidad(UNIDAD_REMOTA, lado));
    } else if (enDisco)
        p.drawImage(img, iconos_.Imagen(iconos_.AgregarIconoCache(
                             contenido_.RutaActual + it.Nombre,
                             MiradaDeListado(it.Atributos, it.Tamano, it.FechaModificacion),
                             img.width(), g.ModoPreview, item)));
    else if (img.width() > ICONO_MAXIMO)  // drives and network entries: icons, never stretched
        p.drawPixmap(QRect(img.topLeft(), QSize(ICONO_MAXIMO, ICONO_MAXIMO)),
                     ImagenDeItem(it, ICONO_MAXIMO));
    else
        p.drawPixmap(img, ImagenDeItem(it, img.width()));
    if (!LlevaFlechaAcceso(it, Opciones().DirectAccessRow)) return;
    const int lado = std::clamp(img.width() / 2, 8, 24);
    p.drawImage(QRect(img.left(), img.bottom() + 1 - lado, lado, lado), ImagenFlechaAcceso(lado));
}

void cVisor::PintarCelda(QPainter& p, ItemCarpeta& it, int x, int y) {
    const GeometriaVisor& g = dist_.Geometria();
    const QRect img(x + g.IcoL, y + g.IcoDD, g.IcoDW, g.IcoDH);
    if (g.ModoPreview && ElegirImagen(it) == ImagenItem::Desconocida)
        AvisarExtensionDesconocida(it.Nombre);
    PintarImagen(p, it, img);
    p.setFont(fuenteItems_);
    p.setPen(kTexto);
    const QStringList lineas = Q(dist_.EtiquetaIcono(it)).split('\r');
    int yl = y + g.IcoDD + g.IcoDH + g.IcoDT;
    for (const QString& l : lineas) {
        p.drawText(QRect(x, yl, g.IcoW, dist_.AltoLinea()), Qt::AlignHCenter | Qt::AlignTop, l);
        yl += dist_.AltoLinea();
    }
}

QString cVisor::TextoColumna(const ItemCarpeta& it, int dato) const {
    switch (dato) {
        case 0: return Q(it.Nombre);
        case 1:
            return it.Tipo == TIPO_ARCHIVO ? Q(FormatearTamano(it.Tamano, 0, Separador()))
                                           : QString();
        case 2: return Q(TextoTipoItem(it));
        case 3: return FechaTexto(it.FechaModificacion);
        default: return Q(TextoAtributos(it.Atributos));
    }
}

void cVisor::PintarFilaDetalles(QPainter& p, ItemCarpeta& it, int y) {
    const GeometriaVisor& g = dist_.Geometria();
    p.setFont(fuenteItems_);
    p.setPen(kTexto);
    const int ty = y + 3 + metricas_.ascent();
    int x = 0;
    for (const ColumnaDetalles& c : columnas_) {
        if (c.ancho <= 0) continue;
        if (c.dato == 0) {
            const QRect img(g.IcoDL, y + 1, g.IcoDW, g.IcoDH);
            PintarImagen(p, it, img);
            const int xt = x + g.IcoDW + g.IcoDL + 2;
            p.drawText(xt, ty, Q(dist_.EtiquetaLinea(it)));
        } else {
            const QString t = TextoColumna(it, c.dato);
            const QString ajustado = Q(Ajustar(t.toStdString(), c.ancho, 1));
            const int xt = c.dato == 1 ? x + c.ancho - metricas_.horizontalAdvance(ajustado) : x;
            p.drawText(xt, ty, ajustado);
        }
        x += c.ancho + 10;
    }
}

void cVisor::PintarOverlay(QPainter& p, int item, int slot) {
    const GeometriaVisor& g = dist_.Geometria();
    ItemCarpeta& it = contenido_.Items[static_cast<size_t>(item)];
    const Rectangulo ro = dist_.RectOverlay(it, item, vsbValue());
    QRect r(ro.x, ro.y, ro.ancho, ro.alto);
    if (g.ModoVer == 1) {
        r = QRect(0, ro.y, dist_.AnchoUtil(), g.IcoH);
        p.fillRect(r, kFondo);
        PintarFilaDetalles(p, it, r.y());
        PintarSelector(p, r, Opciones().ColorSel);
        return;
    }
    const ItemSel& s = seleccion_.ListaSel()[static_cast<size_t>(slot)];
    if (s.Texto.empty()) seleccion_.SetTextoSlot(slot, dist_.EtiquetaOverlay(it));
    const QString etiqueta = Q(seleccion_.ListaSel()[static_cast<size_t>(slot)].Texto);
    p.fillRect(r, kFondo);
    const QRect img(r.x() + g.IcoL, r.y() + g.IcoDD, g.IcoDW, g.IcoDH);
    PintarImagen(p, it, img);
    p.setPen(palette().color(QPalette::Highlight).darker(130));
    p.drawRect(img.adjusted(-2, -2, 1, 1));
    PintarSelector(p, r, Opciones().ColorSel);
    p.setFont(fuenteItems_);
    p.setPen(kTexto);
    const int paso = metricas_.boundingRect(QStringLiteral("|")).height();
    int yl = r.y() + g.IcoDD + g.IcoDH + g.IcoDT;
    for (const QString& l : etiqueta.split('\r')) {
        p.drawText(QRect(r.x(), yl, r.width(), paso), Qt::AlignHCenter | Qt::AlignTop, l);
        yl += dist_.AltoLinea();
    }
}

void cVisor::PintarItems(QPainter& p, const QRect& zona) {
    p.fillRect(zona, kFondo);
    const int v = vsbValue();
    const int cabecera = dist_.AltoCabecera();
    p.setClipRect(QRect(0, cabecera, picM_->width(), std::max(picM_->height() - cabecera, 0)));
    for (size_t k = 0; k < tiras_.size(); ++k) {
        p.drawPixmap(0, dist_.TopTira(static_cast<int>(k), v), tiras_[k]);
    }
    // Overlays lie over the strips; a long label may reach down over the following rows, so
    // rows just above the view are looked at too.
    const auto& lista = seleccion_.ListaSel();
    const QRect vista = p.clipBoundingRect().toRect();
    auto pintar = [&](int i, int slot) {
        const Rectangulo ro = dist_.RectOverlay(contenido_.Items[static_cast<size_t>(i)], i, v);
        if (QRect(ro.x, ro.y, std::max(ro.ancho, dist_.AnchoUtil()), ro.alto).intersects(vista))
            PintarOverlay(p, i, slot);
    };
    if (lista.size() <= 4096) {
        for (size_t k = 0; k < lista.size(); ++k) pintar(lista[k].Item, static_cast<int>(k));
    } else {
        const int ex = dist_.Geometria().IcoEX;
        const int desde = std::max(primeraFila_ - 8, 0) * ex;
        const int hasta = std::min((primeraFila_ + dist_.Geometria().IcoEY + 1) * ex, nItems());
        for (int i = desde; i < hasta; ++i) {
            const int pos = contenido_.Items[static_cast<size_t>(i)].PosSeleccion;
            if (pos > 0) pintar(i, pos - 1);
        }
    }
    // With no current item to carry it, the keyboard's place is the pane itself.
    if (picM_->hasFocus() && seleccion_.sActual() < 0) {
        p.setClipping(false);
        // Two one-pixel dotted frames side by side: a two-pixel dotted pen is cut into dashes
        // as polygons, which cost a page of scrolling some milliseconds.
        QPen punteado(QColor(40, 110, 200), 1);
        punteado.setDashPattern({2, 4});
        p.setPen(punteado);
        p.setBrush(Qt::NoBrush);
        const QRect marco = QRect(0, cabecera, picM_->width(), picM_->height() - cabecera).adjusted(2, 2, -3, -3);
        p.drawRect(marco.adjusted(-1, -1, 0, 0));
        p.drawRect(marco.adjusted(0, 0, -1, -1));
    }
    iconos_.Pintado();
}

QRect cVisor::RectItemEnPantalla(int item) const {
    if (item < 0 || item >= nItems()) return {};
    const Rectangulo r = dist_.RectItem(item, vsbValue());
    const QRect q(r.x, r.y, r.ancho, r.alto);
    return q.intersects(picM_->rect()) ? q : QRect();
}

void cVisor::AvisarExtensionDesconocida(const std::string& nombre) {
    std::string ext = ExtensionLista(nombre);
    if (ext.size() >= 2) ext = ext.substr(1, ext.size() - 2);
    // Once per extension and load: painting goes on and the box is shown after it, never from
    // inside a paint (a box shown there would repaint the item and show itself again).
    if (std::find(avisadas_.begin(), avisadas_.end(), ext) != avisadas_.end()) return;
    avisadas_.push_back(ext);
    QTimer::singleShot(0, this, [ext] {
        DialogosSistema().Mensaje("Extensión desconocida: |" + ext + "|", Texto(General, 0),
                                  Botones::Aceptar, IconoMensaje::Ninguno);
    });
}

// --- details header ---

void cVisor::DibujarDetalles() { picD_->update(); }

int cVisor::ColumnaMarcada() const {
    const int dato = DatoDeCriterio(contenido_.CriterioOrden);
    for (std::size_t i = 0; i < columnas_.size(); ++i)
        if (dato >= 0 && columnas_[i].dato == dato && columnas_[i].ancho > 0) return static_cast<int>(i);
    return -1;
}

void cVisor::PintarCabecera(QPainter& p) {
    const int w = picD_->width();
    const int h = picD_->height();
    p.fillRect(picD_->rect(), QColor(248, 248, 250));
    p.setPen(QColor(231, 231, 239));
    p.drawLine(0, h - 3, w, h - 3);
    p.setPen(QColor(214, 211, 222));
    p.drawLine(0, h - 2, w, h - 2);
    p.setPen(QColor(189, 190, 206));
    p.drawLine(0, h - 1, w, h - 1);
    p.setFont(fuenteItems_);
    int x = 0;
    const int marcada = ColumnaMarcada();
    for (const ColumnaDetalles& c : columnas_) {
        if (&c - columnas_.data() == marcada && c.ancho > 14) {
            // A small upward triangle at the caption's right end: the items ascend by it.
            const int mx = x + c.ancho - 8, my = h / 2 - 1;
            const QPointF triangulo[] = {{mx - 4.0, my + 2.0}, {mx + 4.0, my + 2.0}, {mx + 0.0, my - 3.0}};
            p.setPen(Qt::NoPen);
            p.setBrush(QColor(110, 110, 140));
            p.drawPolygon(triangulo, 3);
            p.setBrush(Qt::NoBrush);
        }
        if (c.ancho <= 0) continue;
        const QString caption = Q(Texto(frmMainSec, kClaveDato[std::clamp(c.dato, 0, 4)]));
        const int cx = x + (c.ancho - metricas_.horizontalAdvance(caption)) / 2;
        p.setPen(kTexto);
        if (cx >= x + 8) {
            p.drawText(cx, 6 + metricas_.ascent(), caption);
        } else if (c.ancho > 16) {
            p.drawText(x + 8, 6 + metricas_.ascent(), Q(Ajustar(caption.toStdString(), c.ancho - 16, 1)));
        }
        p.setPen(QColor(181, 182, 206));
        p.drawLine(x + c.ancho + 5, 4, x + c.ancho + 5, h - 4);
        x += c.ancho + 10;
    }
    if (x < w) {
        p.setPen(QColor(231, 231, 231));
        p.drawLine(w - 1, 0, w - 1, h - 4);
    }
}

// --- title and status strips ---

void cVisor::DibujarNombreCarpeta() {
    picBT_->update();
    if (EsActivo()) ActualizarBotonesRuta();
}

void cVisor::PintarTitulo(QPainter& p) {
    const bool activo = EsActivo();
    const QRect r = picBT_->rect();
    QLinearGradient gr(r.topLeft(), r.topRight());
    gr.setColorAt(0, activo ? QColor(120, 120, 150) : QColor(80, 80, 80));
    gr.setColorAt(1, activo ? QColor(180, 180, 240) : QColor(160, 160, 160));
    p.fillRect(r, gr);
    const int lado = 16;
    p.drawPixmap(r.width() - lado - 8, (r.height() - lado) / 2,
                 ImagenDeUbicacion(contenido_.IconoCarpeta, lado));
    p.setFont(fuenteTitulo_);
    p.setPen(activo ? QColor(255, 255, 255) : QColor(207, 207, 207));
    const QFontMetrics fm(fuenteTitulo_);
    const std::string fit = AjustarTexto(
        Caption().toStdString(), std::max(r.width() - 16 - lado - 16, 1), 1, -1,
        [&fm](std::string_view t) {
            return fm.horizontalAdvance(QString::fromUtf8(t.data(), static_cast<int>(t.size())));
        });
    p.drawText(16, 8 + fm.ascent() - 3, Q(fit));
}

void cVisor::DibujarBarraDeEstado(int item) {
    itemEstado_ = item;
    strBarraEstado_ = Q(TextoBarraEstado(contenido_, item, seleccion_.nSel(), seleccion_.TotalSEL(),
                                         Separador()));
    if (EsActivo()) frmM_->MostrarInfoAVisor();
    ActualizarBarraEstado();
}

void cVisor::ActualizarBarraEstado() { picE_->update(); }

void cVisor::PintarEstado(QPainter& p) {
    p.fillRect(picE_->rect(), QColor(236, 236, 240));
    p.setFont(fuenteItems_);
    p.setPen(kTexto);
    const std::string fit = Ajustar(strBarraEstado_.toStdString(), picE_->width() - 8, 1);
    p.drawText(4, 1 + (ALTO_ESTADO - metricas_.height()) / 2 + metricas_.ascent(), Q(fit));
}

// --- scroll bar ---

void cVisor::PintarBarra(QPainter& p) {
    if (barra_.Recalcular(vsb_->height(), dist_.AltoContenido(nItems()), picM_->height(),
                          dist_.AltoCabecera()))
        Dibujar();
    const int w = vsb_->width();
    const int h = vsb_->height();
    p.fillRect(vsb_->rect(), QColor(238, 238, 242));
    p.setRenderHint(QPainter::Antialiasing);
    const int estado = barra_.Estado();
    auto flecha = [&](int y, int sentido, bool pulsada) {
        p.fillRect(QRect(0, y, w, VSB_FLECHA), pulsada ? QColor(190, 190, 205)
                                                       : QColor(222, 222, 230));
        p.setPen(Qt::NoPen);
        p.setBrush(QColor(90, 90, 110));
        const QPointF c(w / 2.0, y + VSB_FLECHA / 2.0);
        const QPointF t[3] = {c + QPointF(0, -3.5 * sentido), c + QPointF(-4, 2.5 * sentido),
                              c + QPointF(4, 2.5 * sentido)};
        p.drawPolygon(t, 3);
    };
    flecha(0, 1, estado == VSB_FLECHA_ARRIBA);
    flecha(h - VSB_FLECHA, -1, estado == VSB_FLECHA_ABAJO);
    if (barra_.vsbMax() > 1) {
        p.setBrush(estado == VSB_BARRA_TOMADA ? QColor(110, 110, 145) : QColor(155, 155, 185));
        p.drawRoundedRect(QRectF(3, barra_.TopBarra(), w - 6, barra_.vsbBarra()), 3, 3);
    }
}

}  // namespace quirvex
