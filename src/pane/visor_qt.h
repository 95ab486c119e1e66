#pragma once
// cVisor: one folder view pane. It owns what the pane shows (cContenidoVisor), its selection,
// its grid geometry and its scroll bar, and paints them itself: the title strip, the details
// header, the items (only the visible rows, on a ring of row strips reused while scrolling),
// the selected items' overlays, its own scroll bar and the status strip.
//
// Owned by its hosting window (frmMain), which creates it, lays it out, re-indexes it and
// destroys it with deleteLater. Input on its surfaces reaches it through the host: every
// surface carries the pane's index in its "Tag" property and the host forwards the event to
// the pane with that index (EventoSuperficie). User-interface thread only.

#include <QFont>
#include <QFontMetrics>
#include <QPixmap>
#include <QPointer>
#include <QStringList>
#include <QTimer>
#include <QWidget>
#include <memory>
#include <string>
#include <vector>

#include "folder/cambios_ruta.h"
#include "folder/contenido_visor.h"
#include "folder/iconos_qt.h"
#include "pane/barra_desplazamiento.h"
#include "pane/distribucion_visor.h"
#include "pane/medidor_texto_qt.h"
#include "pane/teclado_visor.h"
#include "pane/oyente_visor.h"
#include "pane/seleccion_visor.h"

class QTreeView;
class QFileSystemModel;
class QMouseEvent;
class QKeyEvent;
class QWheelEvent;
class QDragMoveEvent;
class QDropEvent;

namespace quirvex {

class frmMain;
class cVisor;

// The kinds of drawing surface a pane is made of.
enum class TipoSuperficie { Titulo, Estado, Cabecera, Items, Barra, Separador };

// A plain drawing surface of a pane. It paints through its pane and carries the pane's index
// in its tag; input events are handled by the host's event filter.
class SuperficieVisor final : public QWidget {
    Q_OBJECT
public:
    SuperficieVisor(cVisor* visor, TipoSuperficie tipo, QWidget* padre);
    TipoSuperficie Tipo() const { return tipo_; }
    cVisor* Visor() const { return visor_; }

protected:
    void paintEvent(QPaintEvent* e) override;

private:
    cVisor* visor_;
    TipoSuperficie tipo_;
};

// A details column: caption key, data kind, width (0 or -1 hides it).
struct ColumnaDetalles {
    int clave;
    int dato;
    int ancho;
};

class cVisor final : public QWidget, private VistaVisor, private cOyenteVisor {
    Q_OBJECT
public:
    cVisor(frmMain* host, int indice, QWidget* padre);
    ~cVisor() override;

    // Identity in the host.
    int Indice() const { return indice_; }
    // Writes the index into the tag of every surface, so events keep reaching this pane.
    void SetIndice(int indice);
    frmMain* frmM() const { return frmM_; }
    bool Cargado = false;
    bool TeclasE = true;
    bool Oculto() const { return oculto_; }
    void Mostrar();
    void Ocultar();
    void PreUnload();
    QString Caption() const;
    bool EsActivo() const;

    void Inicializar();
    void GoDefaultFolder(const std::string& ruta);
    bool CargarContenido(const std::string& ruta);
    // Opens item i as a double click does: Shift opens a location in a new tab, Ctrl in a new
    // pane; a file goes to its program (or to the chooser when it has none).
    void AbrirItem(int item, bool shift = false, bool ctrl = false);
    // Carries out what a change on disk means for this pane. Refreshes are gathered: a burst
    // of changes (a copy of many files) lists the folder again once, not once per file.
    void SeguirCambio(const ResultadoCambio& r);

    cContenidoVisor& Contenido() { return contenido_; }
    const cContenidoVisor& Contenido() const { return contenido_; }
    cSeleccionVisor& Seleccion() { return seleccion_; }
    const cDistribucionVisor& Distribucion() const { return dist_; }
    const cBarraDesplazamiento& Barra() const { return barra_; }
    // The pane's item pictures: what is cached and which previews are still being decoded.
    const cCacheIconos& Iconos() const { return iconos_; }
    int nItems() const { return static_cast<int>(contenido_.nMostrados()); }
    std::string RutaActual() const { return contenido_.RutaActual; }
    QString DireccionMostrada() const;

    // View modes and layout.
    void CambiarModo(int modo);
    void SetViewMode(int modo);
    void FixLabels();
    void ReubicarIconos();
    void ReubicarTodo();
    void SetTreeVisible(bool visible);
    bool TreeVisible() const { return arbolVisible_; }
    int AnchoArbol() const { return anchoArbol_; }

    // Painting.
    void DibujarICO(int item, int tipo = SEL_REPINTAR);
    void DibujarImagenItem(int item);
    void Dibujar();
    void DibujarDetalles();
    void DibujarNombreCarpeta() override;
    void DibujarBarraDeEstado(int item);
    void ActualizarBarraEstado();
    // After a language change: the status strip says again what it said, in the new texts.
    void SetIdioma();
    // The captions of the path buttons (label 0 the drive list, label k the k-th level cut to
    // ANCHO_BOTON_RUTA pixels); keeps each level's whole text for picBR_Click.
    QStringList BotonesRuta();
    // Shows this pane's path buttons in the frame, when it is the active pane on screen.
    void ActualizarBotonesRuta();
    void picBR_Click(int k);
    const QString& strBarraEstado() const { return strBarraEstado_; }
    const std::vector<ColumnaDetalles>& Columnas() const { return columnas_; }
    QString TextoColumna(const ItemCarpeta& item, int dato) const;
    // The column whose caption carries the sort mark (an index of Columnas()), -1 for none.
    int ColumnaMarcada() const;
    // Scrolls so that the item is on screen.
    void HacerVisible(int item);

    // Scroll bar.
    int vsbValue() const { return barra_.vsbValue(); }
    void SetVsbValue(int valor);
    bool vsbVisible() const { return vsbVisible_; }
    // Shows or hides the bar; the items take its width while it is hidden.
    void SetVsbVisible(bool visible);
    // One page (vsbLargeChange) per notch, while the bar is shown.
    void MouseWheel(int angulo);

    // Surfaces.
    SuperficieVisor* picBT() const { return picBT_; }
    SuperficieVisor* picE() const { return picE_; }
    SuperficieVisor* picD() const { return picD_; }
    SuperficieVisor* picM() const { return picM_; }
    SuperficieVisor* vsb() const { return vsb_; }
    SuperficieVisor* picBarra() const { return picBarra_; }
    QTreeView* picExplorer() const { return picExplorer_; }
    const QFont& FuenteItems() const { return fuenteItems_; }

    // Called by the host's event filter for an event on one of this pane's surfaces.
    bool EventoSuperficie(TipoSuperficie tipo, QEvent* e);
    void PintarSuperficie(TipoSuperficie tipo, QPainter& p);
    // Area of an item on the items surface (for accessibility), empty when it is off screen.
    QRect RectItemEnPantalla(int item) const;

protected:
    void resizeEvent(QResizeEvent* e) override;
    void changeEvent(QEvent* e) override;

private:
    // VistaVisor
    void BloquearDibujo() override;
    void DesbloquearDibujo() override;
    void ScrollArriba() override;
    void DeseleccionarTodo() override;
    void GuardarLugar() override;
    void RestaurarLugar() override;
    void VigilarAntesDeListar(const std::string& carpeta) override;
    void ActualizarTituloTab() override;
    void RedibujarTodo() override;
    void SetEstadoAtrasAdelante(int boton, bool habilitado) override;
    void ActualizarAtrasAdelante() override;
    std::int64_t ItemActual() const override { return seleccion_.sActual(); }
    void EsperandoListado(bool esperando) override;
    // cOyenteVisor
    void RedibujarItem(int item) override;
    void RedibujarItems() override;
    void ActualizarBarraEstado(int item) override;
    void SeleccionVaciada() override;
    void SetListaPortapapeles(const std::vector<std::string>& rutas) override;

    // Painting, in visor_dibujo_qt.cpp.
    void LimpiarTira(int tira);
    void PintarImagen(QPainter& p, const ItemCarpeta& it, const QRect& img);
    void PintarCelda(QPainter& p, ItemCarpeta& item, int x, int y);
    std::string Ajustar(std::string_view texto, int ancho, int lineas) const;
    void PintarFilaDetalles(QPainter& p, ItemCarpeta& item, int y);
    void PintarOverlay(QPainter& p, int item, int slot);
    void PintarItems(QPainter& p, const QRect& zona);
    void PintarTitulo(QPainter& p);
    void PintarEstado(QPainter& p);
    void PintarCabecera(QPainter& p);
    void PintarBarra(QPainter& p);
    void AplicarPlan(const PlanDesplazamiento& plan);
    void RedibujarTiras();
    void EmpezarAdelanto(int desde, int hasta);
    void AvisarExtensionDesconocida(const std::string& ext);
    void RecalcularBarra();

    // Input, in visor_entrada_qt.cpp (keys) and visor_raton_qt.cpp (mouse, drag and drop).
    bool EventoItems(QEvent* e);
    bool picVisor_KeyDown(QKeyEvent* e);
    bool picD_MouseDown(QMouseEvent* e);
    EstadoTeclado EstadoTeclas() const;
    void EjecutarTecla(const AccionTecla& a);
    void MenuContextual(int item);
    bool picVisor_MouseDown(QMouseEvent* e);
    bool picVisor_MouseUp(QMouseEvent* e);
    bool picVisor_MouseMove(QMouseEvent* e);
    bool picVisor_DblClick(QMouseEvent* e);
    int ItemEn(const QPoint& p) const;
    void picVisor_OLEStartDrag();
    bool picM_OLEDragOver(QDragMoveEvent* e);
    bool picM_OLEDragDrop(QDropEvent* e);
    void SoltarArchivos(const std::vector<std::string>& rutas, bool derecho, QPoint global);
    bool vsb_Evento(QEvent* e);
    bool picBarra_Evento(QEvent* e);
    void SincronizarArbol();
    void CrearArbol();
    void NotificarAccesibilidad(bool reinicio);

    void VigilarUbicacion();
    // An entry renamed in place (from outside): drawn again under its new name.
    void ItemRenombrado(int item);
    void PreviewLista(int item, const std::string& nombre);
    void SeguirFuente();
    std::int64_t TamanoActual(const ItemCarpeta& item);
    bool datosAlDia_ = false;
    bool datosAlDiaSabido_ = false;

    frmMain* frmM_;
    int indice_;
    std::string vigilada_;       // the folder the frame watches for this pane
    QTimer* tRefresco_ = nullptr; // gathers refreshes
    bool oculto_ = false;
    std::vector<ColumnaDetalles> columnas_;
    QFont fuenteItems_;
    QFont fuenteTitulo_;
    QFontMetrics metricas_;
    mutable cMedidorTexto medidor_;  // label widths in fuenteItems_, a cache
    cContenidoVisor contenido_{this};
    cCacheIconos iconos_;  // item pictures of the last three folders drawn
    cSeleccionVisor seleccion_;
    LugarPorNombre lugar_;  // held by a refresh between reading the place and putting it back
    cDistribucionVisor dist_;
    cBarraDesplazamiento barra_;
    std::vector<QPixmap> tiras_;
    int primeraFila_ = 0;
    int bloqueos_ = 0;
    bool pendiente_ = false;
    QString strBarraEstado_;
    int itemEstado_ = -1;  // the item the status strip describes; -1: the location's summary
    std::vector<std::string> avisadas_;
    int ruedaResto_ = 0;
    bool vsbVisible_ = true;
    std::vector<std::string> tagsRuta_;  // the whole text of each path button from label 1
    int ItemPulsado = -1;
    QPoint puntoPulsado_;       // where the left button went down on ItemPulsado
    bool arrastrePosible_ = false;

    SuperficieVisor* picBT_;
    SuperficieVisor* picE_;
    SuperficieVisor* picM_;
    SuperficieVisor* picD_;
    SuperficieVisor* vsb_;
    SuperficieVisor* picBarra_;
    QTreeView* picExplorer_ = nullptr;
    QFileSystemModel* modeloArbol_ = nullptr;
    bool arbolVisible_ = false;
    int anchoArbol_ = 180;
    bool barraPulsada_ = false;
    int barraX_ = 0;
};

// Heights of the fixed bands of a pane.
inline constexpr int ALTO_TITULO = 32;
inline constexpr int ALTO_ESTADO = 18;
inline constexpr int ALTO_CABECERA = 24;
inline constexpr int ANCHO_VSB = 17;
inline constexpr int ANCHO_SEPARADOR = 5;
inline constexpr int MARGEN_ARBOL = 82;
inline constexpr int ANCHO_BOTON_RUTA = 100;
// How long a view drawn afresh in preview mode may wait for the shared cache's thumbnails of
// its first screen (a cold, slow disk); what is not read by then comes from the pool.
inline constexpr int LIMITE_ADELANTO_MS = 80;

}  // namespace quirvex
