// cVisor's input: the routing of a surface's events, the key map of the item area, the wheel,
// the scroll bar, the tree area with its splitter, and the path buttons. The mouse on the
// items and drag and drop are in visor_raton_qt.cpp.

#include <QFile>
#include <QFileSystemModel>
#include <QHeaderView>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QTreeView>
#include <QWheelEvent>

#include "frame/marco_qt.h"
#include "pane/ajustar_texto.h"
#include "pane/formato_visor.h"
#include "pane/frm_main_qt.h"
#include "pane/orden_cabecera.h"
#include "pane/visor_qt.h"
#include "platform/smb.h"
#include "settings/idioma.h"
#include "settings/opciones.h"

namespace quirvex {

bool cVisor::EventoSuperficie(TipoSuperficie tipo, QEvent* e) {
    const QEvent::Type t = e->type();
    if (t == QEvent::MouseButtonPress && tipo != TipoSuperficie::Separador) {
        // A press anywhere on the pane makes it the active one and gives its item surface the
        // keys, so the pane the keys act on is always the one the menus and the frame show.
        frmM_->SetAVisor(indice_);
        picM_->setFocus(Qt::MouseFocusReason);
    }
    if (t == QEvent::FocusIn && tipo == TipoSuperficie::Items && !EsActivo())
        frmM_->SetAVisor(indice_);
    // The focus mark of a pane with no current item comes and goes with the focus.
    if ((t == QEvent::FocusIn || t == QEvent::FocusOut) && tipo == TipoSuperficie::Items) picM_->update();
    switch (tipo) {
        case TipoSuperficie::Items: return EventoItems(e);
        case TipoSuperficie::Cabecera:
            if (t == QEvent::MouseButtonPress) return picD_MouseDown(static_cast<QMouseEvent*>(e));
            return false;
        case TipoSuperficie::Barra: return vsb_Evento(e);
        case TipoSuperficie::Separador: return picBarra_Evento(e);
        default: return false;
    }
}

bool cVisor::EventoItems(QEvent* e) {
    // The wheel is not handled here: the frame hears it and scrolls the active pane.
    switch (e->type()) {
        case QEvent::MouseButtonPress: return picVisor_MouseDown(static_cast<QMouseEvent*>(e));
        case QEvent::MouseButtonRelease: return picVisor_MouseUp(static_cast<QMouseEvent*>(e));
        case QEvent::MouseMove: return picVisor_MouseMove(static_cast<QMouseEvent*>(e));
        case QEvent::MouseButtonDblClick: return picVisor_DblClick(static_cast<QMouseEvent*>(e));
        case QEvent::KeyPress: return picVisor_KeyDown(static_cast<QKeyEvent*>(e));
        case QEvent::DragEnter:
        case QEvent::DragMove: return picM_OLEDragOver(static_cast<QDragMoveEvent*>(e));
        case QEvent::Drop: return picM_OLEDragDrop(static_cast<QDropEvent*>(e));
        default: return false;
    }
}

// A left click on a column caption sorts by that column, as the menu item of the same name does.
bool cVisor::picD_MouseDown(QMouseEvent* e) {
    if (e->button() != Qt::LeftButton) return true;
    std::vector<int> anchos, datos;
    for (const ColumnaDetalles& c : columnas_) {
        anchos.push_back(c.ancho);
        datos.push_back(c.dato);
    }
    const int criterio = CriterioDeDato(DatoEnX(anchos, datos, e->position().toPoint().x()));
    if (criterio < 0) return true;
    contenido_.CambiarOrden(criterio);
    DibujarDetalles();
    return true;
}

// --- keys ---

namespace {

// The pane's key for a Qt key; punctuation follows the key, not the character, so that
// Shift+comma is the comma key whatever the layout makes of it.
TeclaVisor TeclaDe(int k, bool shift, char& letra) {
    if (k >= Qt::Key_A && k <= Qt::Key_Z) {
        letra = static_cast<char>('A' + (k - Qt::Key_A));
        return TeclaVisor::Letra;
    }
    if (k >= Qt::Key_0 && k <= Qt::Key_9) return TeclaVisor::Digito;
    switch (k) {
        case Qt::Key_Backspace: return TeclaVisor::Retroceso;
        case Qt::Key_Return:
        case Qt::Key_Enter: return TeclaVisor::Intro;
        case Qt::Key_PageUp: return TeclaVisor::RePag;
        case Qt::Key_PageDown: return TeclaVisor::AvPag;
        case Qt::Key_End: return TeclaVisor::Fin;
        case Qt::Key_Home: return TeclaVisor::Inicio;
        case Qt::Key_Left: return TeclaVisor::Izquierda;
        case Qt::Key_Up: return TeclaVisor::Arriba;
        case Qt::Key_Right: return TeclaVisor::Derecha;
        case Qt::Key_Down: return TeclaVisor::Abajo;
        case Qt::Key_Space: return TeclaVisor::Espacio;
        case Qt::Key_Menu: return TeclaVisor::Menu;
        case Qt::Key_Comma: return TeclaVisor::Coma;
        case Qt::Key_Minus: return TeclaVisor::Guion;
        case Qt::Key_Period: return TeclaVisor::Punto;
        case Qt::Key_Ntilde: return TeclaVisor::Enie;
        default: break;
    }
    if (!shift) return TeclaVisor::Otra;
    switch (k) {
        case Qt::Key_Less:
        case Qt::Key_Semicolon: return TeclaVisor::Coma;
        case Qt::Key_Underscore: return TeclaVisor::Guion;
        case Qt::Key_Greater:
        case Qt::Key_Colon: return TeclaVisor::Punto;
        default: return TeclaVisor::Otra;
    }
}

// Shift 1, Ctrl 2, Alt 4; -1 for a combination the map does not know (Meta).
int Modificadores(Qt::KeyboardModifiers m) {
    if (m & Qt::MetaModifier) return -1;
    return (m & Qt::ShiftModifier ? MOD_SHIFT : 0) | (m & Qt::ControlModifier ? MOD_CTRL : 0) |
           (m & Qt::AltModifier ? MOD_ALT : 0);
}

}  // namespace

EstadoTeclado cVisor::EstadoTeclas() const {
    const GeometriaVisor& g = dist_.Geometria();
    EstadoTeclado e;
    e.actual = seleccion_.sActual();
    e.n = nItems();
    e.columnas = std::max(g.IcoEX, 1);
    e.pagina = dist_.FilasPagina();
    e.detalles = g.ModoVer == MODO_DETALLES;
    e.puedeAtras = contenido_.IndexHistorial() >= 1;
    e.puedeAdelante = contenido_.IndexHistorial() != contenido_.UboundHistorial();
    return e;
}

bool cVisor::picVisor_KeyDown(QKeyEvent* e) {
    if (!TeclasE) return false;
    const int mods = Modificadores(e->modifiers());
    if (mods < 0) return false;
    char letra = 0;
    const TeclaVisor tecla = TeclaDe(e->key(), mods & MOD_SHIFT, letra);
    if (tecla == TeclaVisor::Otra) return false;
    EjecutarTecla(TraducirTecla(tecla, mods, EstadoTeclas(), letra));
    return true;
}

void cVisor::EjecutarTecla(const AccionTecla& a) {
    const int d = static_cast<int>(a.destino);
    switch (a.comando) {
        case ComandoTecla::Seleccionar: seleccion_.SELECCIONAR(d, SEL_EXCLUSIVA, true); break;
        case ComandoTecla::SeleccionarRango:
            seleccion_.SeleccionarConModo(d, Opciones().SelectionMode, dist_.Geometria().IcoEX);
            break;
        case ComandoTecla::MoverActual:
            // Only the current item moves: the selection, and so the status strip, stay.
            seleccion_.SELECCIONAR(d, SEL_SOLO_ACTUAL, true);
            RedibujarItems();
            HacerVisible(d);
            return;
        case ComandoTecla::AlternarActual:
            seleccion_.SetSActual(-1);
            seleccion_.SELECCIONAR(d, SEL_ALTERNAR, true);
            break;
        case ComandoTecla::TextoTecleado: frmM_->AddStrSel(a.texto); return;
        case ComandoTecla::Abrir: frmM_->mnuPAabrir_Click(); return;
        case ComandoTecla::SubirNivel: contenido_.SubirNivel(); return;
        case ComandoTecla::MenuContextual: MenuContextual(d); return;
        case ComandoTecla::Atras:
        case ComandoTecla::Adelante:
            contenido_.GoHistorial(contenido_.IndexHistorial() +
                                   (a.comando == ComandoTecla::Atras ? -1 : 1));
            frmM_->ActualizarAtrasAdelante();
            return;
        case ComandoTecla::Propiedades: frmM_->EjecutarComando("mnuPApropiedades"); return;
        case ComandoTecla::Nada: return;
    }
    HacerVisible(d);
    DibujarBarraDeEstado(d);
}

void cVisor::MenuContextual(int item) {
    if (item >= 0 && item < nItems()) {
        HacerVisible(item);
        const QRect celda = RectItemEnPantalla(item);
        frmM_->MostrarMenuItem(picM_->mapToGlobal(celda.isEmpty() ? QPoint() : celda.center()));
        return;
    }
    frmM_->MostrarMenuFondo(picM_->mapToGlobal(QPoint(picM_->width() / 3, picM_->height() / 3)));
}

bool cVisor::vsb_Evento(QEvent* e) {
    const QEvent::Type t = e->type();
    bool cambio = false;
    if (t == QEvent::MouseButtonPress || t == QEvent::MouseButtonDblClick) {
        const auto* m = static_cast<QMouseEvent*>(e);
        if (m->button() != Qt::LeftButton) return true;
        cambio = barra_.MouseDown(m->position().toPoint().y(), dist_.Geometria().IcoH);
    } else if (t == QEvent::MouseMove) {
        const auto* m = static_cast<QMouseEvent*>(e);
        cambio = barra_.MouseMove(m->position().toPoint().y(), m->buttons() & Qt::LeftButton);
    } else if (t == QEvent::MouseButtonRelease) {
        barra_.MouseUp();
        vsb_->update();
        return true;
    } else if (t == QEvent::FocusIn) {
        picM_->setFocus();  // the bar never keeps the focus
        return true;
    } else {
        return false;
    }
    if (cambio) Dibujar();
    vsb_->update();
    return true;
}

bool cVisor::picBarra_Evento(QEvent* e) {
    const QEvent::Type t = e->type();
    if (t != QEvent::MouseButtonPress && t != QEvent::MouseMove && t != QEvent::MouseButtonRelease)
        return false;
    const auto* m = static_cast<QMouseEvent*>(e);
    const int x = picBarra_->x() + m->position().toPoint().x();
    if (t == QEvent::MouseButtonPress && m->button() == Qt::LeftButton) {
        barraPulsada_ = true;
        barraX_ = x - picBarra_->x();
        picBarra_->raise();
    } else if (t == QEvent::MouseMove && barraPulsada_) {
        picBarra_->move(x - barraX_, picBarra_->y());
    } else if (t == QEvent::MouseButtonRelease && barraPulsada_) {
        barraPulsada_ = false;
        anchoArbol_ = std::clamp(x - barraX_, MARGEN_ARBOL, std::max(width() - MARGEN_ARBOL, MARGEN_ARBOL));
        ReubicarTodo();
    }
    picBarra_->update();
    return true;
}

// --- tree area ---

void cVisor::CrearArbol() {
    modeloArbol_ = new QFileSystemModel(this);
    modeloArbol_->setFilter(QDir::AllDirs | QDir::NoDotAndDotDot);
    modeloArbol_->setRootPath(QStringLiteral("/"));
    picExplorer_ = new QTreeView(this);
    picExplorer_->setModel(modeloArbol_);
    for (int c = 1; c < modeloArbol_->columnCount(); ++c) picExplorer_->hideColumn(c);
    picExplorer_->header()->hide();
    picExplorer_->setFont(fuenteItems_);
    picExplorer_->setProperty("Tag", QString::number(indice_));
    // Folders load in the background; the current location is shown once its parents are in.
    connect(modeloArbol_, &QFileSystemModel::directoryLoaded, this, [this](const QString& ruta) {
        if (DireccionMostrada().startsWith(ruta)) SincronizarArbol();
    });
    connect(picExplorer_, &QTreeView::clicked, this, [this](const QModelIndex& i) {
        frmM_->SetAVisor(indice_);
        CargarContenido(QFile::encodeName(modeloArbol_->filePath(i)).toStdString());
    });
}

void cVisor::SetTreeVisible(bool visible) {
    if (visible && !picExplorer_) CrearArbol();
    arbolVisible_ = visible;
    if (picExplorer_) picExplorer_->setVisible(visible);
    picBarra_->setVisible(visible);
    ReubicarTodo();
    SincronizarArbol();
}

void cVisor::SincronizarArbol() {
    if (!arbolVisible_ || !picExplorer_ || contenido_.EnMiPC() || contenido_.EnRed()) return;
    const QModelIndex i = modeloArbol_->index(DireccionMostrada());
    if (!i.isValid()) return;
    picExplorer_->setCurrentIndex(i);
    picExplorer_->scrollTo(i);
}

// --- path buttons ---

// A share's buttons start at the network location, then its host and the share: read as a
// local path, "//host/share" would offer "/" and a local "/host".
QStringList cVisor::BotonesRuta() {
    const bool red = contenido_.EnRed() || contenido_.EnRecursoRed();
    tagsRuta_ = red ? PartesRutaRed(contenido_.RutaActual)
                    : contenido_.EnMiPC() ? std::vector<std::string>{} : SegmentosRuta(contenido_.RutaActual);
    const QFontMetrics fm(FuenteBotonesRuta());
    const FuncionMedir medir = [&fm](std::string_view t) {
        return fm.horizontalAdvance(QString::fromUtf8(t.data(), static_cast<int>(t.size())));
    };
    QStringList botones{QString::fromUtf8(red ? TEXTO_RED : TextoMiPC().c_str())};
    for (size_t k = 0; k < tagsRuta_.size(); ++k) {
        const std::string texto = red ? tagsRuta_[k] : TextoSegmento(tagsRuta_[k], static_cast<int>(k) + 1);
        botones << QString::fromUtf8(AjustarTexto(texto, ANCHO_BOTON_RUTA, 1, -1, medir));
    }
    return botones;
}

void cVisor::ActualizarBotonesRuta() {
    if (!EsActivo() || !frmM_->EsTabActual()) return;
    frmM_->marco().SetPartesRuta(BotonesRuta());
}

void cVisor::picBR_Click(int k) {
    const bool red = contenido_.EnRed() || contenido_.EnRecursoRed();
    if (k <= 0) {
        CargarContenido(red ? std::string(TEXTO_RED) : TextoMiPC());
        return;
    }
    // The tags hold the whole segments, whatever the labels show.
    if (static_cast<size_t>(k) > tagsRuta_.size()) return;
    const std::string destino = red ? RutaRedDeParte(contenido_.RutaActual, k - 1) : RutaDeSegmentos(tagsRuta_, k);
    if (!destino.empty()) CargarContenido(destino);
}

}  // namespace quirvex
