// frmMain's menus and commands: what each item of the menu bar and of the pop-up menus does,
// kept as one table from item name to a short function, and the preparation of each menu as it
// opens (enabling rules, history lists, "Open with" programs).

#include <QAction>
#include <QFile>
#include <QGuiApplication>
#include <QMenu>
#include <QPointer>
#include <algorithm>
#include <utility>

#include "folder/abrir.h"
#include "operations/comandos_archivo.h"
#include "operations/comandos_archivo_qt.h"
#include "operations/operaciones_extra.h"
#include "operations/portapapeles_qt.h"
#include "operations/rutas_operacion.h"
#include "pane/frm_main_qt.h"
#include "pane/interaccion_qt.h"
#include "pane/menus_visor_qt.h"
#include "pane/visor_qt.h"
#include "properties/frm_info_qt.h"
#include "settings/idioma.h"
#include "settings/opciones.h"

namespace quirvex {
namespace {

using Comando = void (*)(frmMain&, cVisor&);

bool EnUnidades(const cVisor& v) { return v.Contenido().EnMiPC() || v.Contenido().EnRed(); }

QString Escapar(const std::string& texto) {
    return QString::fromUtf8(texto).replace(QLatin1Char('&'), QStringLiteral("&&"));
}

// The current item, when there is one.
const ItemCarpeta* Actual(cVisor& v) {
    const int i = v.Seleccion().sActual();
    return i >= 0 && i < v.nItems() ? &v.Contenido().Items[static_cast<size_t>(i)] : nullptr;
}

std::vector<std::string> Seleccion(cVisor& v) {
    return v.Seleccion().RutasSeleccion(v.Contenido().RutaActual);
}

// Paste and move: the clipboard's paths into `destino`, queued; nothing when the clipboard
// holds no file list.
void Pegar(std::int32_t tipo, const std::string& destino) {
    const ListaPortapapeles l = LeerPortapapeles();
    if (l.rutas.empty() || destino.empty()) return;
    mTareas().AgregarOperacion(tipo, AgregarBarra(CarpetaDe(l.rutas.front())), destino, l.rutas);
}

void PegarAqui(cVisor& v, std::int32_t tipo) {
    if (!EnUnidades(v)) Pegar(tipo, v.Contenido().RutaActual);
}

// Paste onto a folder or drive item: into that item.
void PegarEnItem(cVisor& v, std::int32_t tipo) {
    const ItemCarpeta* it = Actual(v);
    if (!it || (it->Tipo != TIPO_CARPETA && it->Tipo != TIPO_UNIDAD)) return;
    const std::string destino =
        it->RutaCompleta(v.Contenido().RutaActual);
    Pegar(tipo, AgregarBarra(destino));
}

// The new folder becomes the current, only selected item, on screen, so F2 renames it at once.
void CarpetaNueva(frmMain& f, cVisor& v) {
    if (EnUnidades(v)) return;
    const std::string ruta = CrearCarpetaNueva(v.Contenido().RutaActual, f.Oyente());
    {
        const CargaEnEspera espera;  // the new folder is selected in what the load shows
        v.Contenido().ActualizarContenido();
    }
    if (ruta.empty()) return;
    const auto item = static_cast<int>(v.Contenido().GetIndexItem(NombreDe(ruta)));
    if (item < 0) return;
    v.Seleccion().SELECCIONAR(item, SEL_EXCLUSIVA, true);
    v.HacerVisible(item);
}

void ArchivoNuevo(frmMain& f, cVisor& v) {
    if (!EnUnidades(v)) MostrarArchivoNuevo(&f, v.Contenido().RutaActual, f.Oyente());
}

// Del: to the trash when the option says so, else deleted for good after the question.
void Eliminar(frmMain&, cVisor& v) {
    if (EnUnidades(v)) return;
    if (Opciones().MoveToTrash == 1)
        EnviarAPapelera(v.Contenido().RutaActual, Seleccion(v));
    else
        EliminarSeleccion(v.Contenido().RutaActual, Seleccion(v));
}

// Shift+Del: always for good, after the question.
void EliminarDefinitivo(frmMain&, cVisor& v) {
    if (!EnUnidades(v)) EliminarSeleccion(v.Contenido().RutaActual, Seleccion(v));
}

void Renombrar(frmMain& f, cVisor& v) {
    if (v.Seleccion().nSel() > 0 && v.Seleccion().sActual() >= 0)
        MostrarRenombrar(&f, v.Contenido(), v.Seleccion().sActual(), f.Oyente());
}

void Copiar(frmMain&, cVisor& v) {
    if (v.Seleccion().nSel() > 0) PonerEnPortapapeles(Seleccion(v));
}

void ElegirPrograma(frmMain& f, cVisor& v) {
    const ItemCarpeta* it = Actual(v);
    if (it && it->Tipo == TIPO_ARCHIVO)
        InteraccionVentanas().ElegirPrograma(AgregarBarra(v.Contenido().RutaActual) + it->Nombre, &f);
}

// Properties of the current item: a drive, a folder or a file.
void PropiedadesItem(frmMain& f, cVisor& v) {
    const ItemCarpeta* it = Actual(v);
    if (!it || (it->Tipo != TIPO_CARPETA && it->Tipo != TIPO_ARCHIVO && it->Tipo != TIPO_UNIDAD))
        return;
    const std::string ruta =
        it->RutaCompleta(v.Contenido().RutaActual);
    MostrarPropiedades(&f, ruta, it->Tipo == TIPO_UNIDAD, f.Oyente());
}

// Properties of the pane's location; the drive and network lists have none.
void PropiedadesUbicacion(frmMain& f, cVisor& v) {
    if (!EnUnidades(v)) MostrarPropiedades(&f, v.Contenido().RutaActual, false, f.Oyente());
}

void Propiedades(frmMain& f, cVisor& v) {
    if (Actual(v))
        PropiedadesItem(f, v);
    else
        PropiedadesUbicacion(f, v);
}

QString Local(const std::string& ruta) { return QFile::decodeName(QByteArray::fromStdString(ruta)); }

void NuevaBusquedaAqui(frmMain& f, cVisor& v) {
    if (!EnUnidades(v)) f.marco().NuevaBusqueda(Local(v.Contenido().RutaActual));
}

// A search in the folder (or drive) under the current item.
void NuevaBusquedaEnItem(frmMain& f, cVisor& v) {
    const ItemCarpeta* it = Actual(v);
    if (!it || EnUnidades(v) || (it->Tipo != TIPO_CARPETA && it->Tipo != TIPO_UNIDAD)) return;
    const std::string ruta =
        it->RutaCompleta(v.Contenido().RutaActual);
    f.marco().NuevaBusqueda(Local(AgregarBarra(ruta)));
}

const std::vector<std::pair<std::string_view, Comando>>& TablaComandos() {
    static const std::vector<std::pair<std::string_view, Comando>> tabla = {
        {"mnuXaddTab", [](frmMain& f, cVisor&) { f.marco().cmdNuevoTab_Click(); }},
        {"mnuXopciones", [](frmMain& f, cVisor&) { f.marco().MostrarOpciones(); }},
        {"mnuXbuscar", NuevaBusquedaAqui},
        {"mnuXaddVisor", [](frmMain& f, cVisor&) { f.AgregarVisor(std::string()); }},
        {"mnuXcerrarVisor", [](frmMain& f, cVisor&) { f.mnuXcerrarVisor_Click(); }},
        {"mnuAsalir", [](frmMain& f, cVisor&) { f.marco().SALIR(); }},
        {"mnuANcarpeta", CarpetaNueva},
        {"mnuANarchivo", ArchivoNuevo},
        {"mnuAeliminar", Eliminar},
        {"mnuAeliminarDef", EliminarDefinitivo},
        {"mnuAnombre", Renombrar},
        {"mnuApropiedades", Propiedades},
        {"mnuEcopiar", Copiar},
        {"mnuEpegar", [](frmMain&, cVisor& v) { PegarAqui(v, TIPO_COPIAR); }},
        {"mnuEmover", [](frmMain&, cVisor& v) { PegarAqui(v, TIPO_MOVER); }},
        {"mnuEseleccionarTodo", [](frmMain&, cVisor& v) { v.Seleccion().SeleccionarTODO(); }},
        {"mnuEinvertirSeleccion", [](frmMain&, cVisor& v) { v.Seleccion().InvertirSeleccion(); }},
        {"mnuVarbol", [](frmMain&, cVisor& v) { v.SetTreeVisible(!v.TreeVisible()); }},
        {"mnuVactualizar", [](frmMain&, cVisor& v) { v.Contenido().ActualizarContenido(); }},
        {"mnuVocultos", [](frmMain& f, cVisor&) {
             AlternarOcultos();
             f.marco().RecargarPaneles();
         }},
        {"mnuIsubir", [](frmMain&, cVisor& v) { v.Contenido().SubirNivel(); }},
        {"mnuIpc", [](frmMain&, cVisor& v) { v.CargarContenido(TextoMiPC()); }},
        {"mnuHacerca", [](frmMain& f, cVisor&) { f.marco().MostrarAcerca(); }},
        {"mnuPAabrir", [](frmMain& f, cVisor&) { f.mnuPAabrir_Click(); }},
        {"mnuPAAelegir", ElegirPrograma},
        {"mnuPAbuscar", NuevaBusquedaEnItem},
        {"mnuPAcopiar", Copiar},
        {"mnuPApegar", [](frmMain&, cVisor& v) { PegarEnItem(v, TIPO_COPIAR); }},
        {"mnuPAmover", [](frmMain&, cVisor& v) { PegarEnItem(v, TIPO_MOVER); }},
        {"mnuPAeliminar", Eliminar},
        {"mnuPAcambiarnombre", Renombrar},
        {"mnuPApropiedades", PropiedadesItem},
        {"mnuPCver0", [](frmMain&, cVisor& v) { v.SetViewMode(0); }},
        {"mnuPCver1", [](frmMain&, cVisor& v) { v.SetViewMode(1); }},
        {"mnuPCver2", [](frmMain&, cVisor& v) { v.SetViewMode(2); }},
        {"mnuPCOorden0", [](frmMain&, cVisor& v) { v.Contenido().CambiarOrden(0); }},
        {"mnuPCOorden1", [](frmMain&, cVisor& v) { v.Contenido().CambiarOrden(1); }},
        {"mnuPCOorden2", [](frmMain&, cVisor& v) { v.Contenido().CambiarOrden(2); }},
        {"mnuPCOF0", [](frmMain&, cVisor& v) { v.Contenido().CambiarOrden(3); }},
        {"mnuPCOF1", [](frmMain&, cVisor& v) { v.Contenido().CambiarOrden(4); }},
        {"mnuPCactualizar", [](frmMain&, cVisor& v) { v.Contenido().ActualizarContenido(); }},
        {"mnuPCpegar", [](frmMain&, cVisor& v) { PegarAqui(v, TIPO_COPIAR); }},
        {"mnuPCmover", [](frmMain&, cVisor& v) { PegarAqui(v, TIPO_MOVER); }},
        {"mnuPCNuevo0", CarpetaNueva},
        {"mnuPCNuevo1", ArchivoNuevo},
        {"mnuPCpropiedades", PropiedadesUbicacion},
        {"mnuPDcopiar", [](frmMain& f, cVisor&) { f.OpcionDrop = 1; }},
        {"mnuPDmover", [](frmMain& f, cVisor&) { f.OpcionDrop = 2; }},
        {"mnuPDcancelar", [](frmMain& f, cVisor&) { f.OpcionDrop = -1; }},
    };
    return tabla;
}

Comando BuscarComando(std::string_view nombre) {
    for (const auto& [n, c] : TablaComandos())
        if (n == nombre) return c;
    return nullptr;
}

bool EsCopiarPegar(std::string_view n) {
    return n == "mnuEcopiar" || n == "mnuEpegar" || n == "mnuEmover";
}

}  // namespace

bool frmMain::TieneComando(std::string_view nombre) { return BuscarComando(nombre) != nullptr; }

bool frmMain::Habilitable(std::string_view nombre) const {
    return TieneComando(nombre) && (copiarPegar_ || !EsCopiarPegar(nombre));
}

void frmMain::EjecutarComando(std::string_view nombre) {
    const Comando c = BuscarComando(nombre);
    if (c && aVisor_) c(*this, *aVisor_);
}

void frmMain::SetCopiarPegarHabilitado(bool habilitado) {
    copiarPegar_ = habilitado;
    menus_->Restablecer("mnuE");
}

ContextoMenus frmMain::Contexto() const {
    ContextoMenus c;
    if (!aVisor_) return c;
    const cContenidoVisor& cont = aVisor_->Contenido();
    c.enUnidades = cont.EnMiPC() || cont.EnRed();
    c.nSel = aVisor_->Seleccion().nSel();
    const int i = aVisor_->Seleccion().sActual();
    if (i >= 0 && i < aVisor_->nItems()) c.tipoActual = CodigoTipo(cont.Items[static_cast<size_t>(i)].Tipo);
    c.portapapelesConRutas = !LeerPortapapeles().rutas.empty();
    c.arbolVisible = aVisor_->TreeVisible();
    c.modoVista = aVisor_->Distribucion().Geometria().ModoVer;
    c.modoPreview = aVisor_->Distribucion().Geometria().ModoPreview;
    c.criterioOrden = cont.CriterioOrden;
    c.direccionConFoco = !copiarPegar_;
    c.ocultosVisibles = Opciones().ShowHiddenFiles == 1;
    return c;
}

void frmMain::PrepararMenu(std::string_view nombre) {
    menus_->Aplicar(nombre, Contexto());
    if (nombre != "mnuI") return;
    LlenarHistorial("mnuAtras", true);
    LlenarHistorial("mnuAdelante", false);
}

void frmMain::LlenarHistorial(std::string_view nombre, bool atras) {
    QMenu* menu = menus_->Menu(nombre);
    menu->clear();
    if (!aVisor_) return;
    const cContenidoVisor& c = aVisor_->Contenido();
    const std::int64_t desde = atras ? c.IndexHistorial() - 1 : c.IndexHistorial() + 1;
    const std::int64_t hasta = atras ? 0 : c.UboundHistorial();
    const std::int64_t paso = atras ? -1 : 1;
    QPointer<cVisor> visor = aVisor_;
    for (std::int64_t k = desde; atras ? k >= hasta : k <= hasta; k += paso) {
        const std::string entrada = c.Historial(k);
        if (entrada.empty()) continue;
        QAction* a = menu->addAction(Escapar(UltimoComponente(entrada)));
        connect(a, &QAction::triggered, this, [this, visor, k] {
            if (!visor) return;
            visor->Contenido().GoHistorial(k);
            ActualizarAtrasAdelante();
        });
    }
    if (menu->isEmpty()) menu->addAction(CaptionMenu(30))->setEnabled(false);
}

void frmMain::LlenarAbrirCon() {
    QMenu* menu = menus_->Menu("mnuPAA");
    QAction* elegir = menus_->Accion("mnuPAAelegir");
    for (QAction* a : menu->actions()) {
        if (a == elegir) continue;
        menu->removeAction(a);
        a->deleteLater();
    }
    const int i = aVisor_ ? aVisor_->Seleccion().sActual() : -1;
    if (i < 0 || i >= aVisor_->nItems()) return;
    const cContenidoVisor& c = aVisor_->Contenido();
    const ItemCarpeta& it = c.Items[static_cast<size_t>(i)];
    if (it.Tipo != TIPO_ARCHIVO) return;
    QPointer<cVisor> visor = aVisor_;
    for (const Aplicacion& p : quirvex::LlenarAbrirCon(AgregarBarra(c.RutaActual) + it.Nombre)) {
        auto* a = new QAction(Escapar(p.nombre), menu);
        a->setData(QString::fromStdString(p.id));
        menu->insertAction(elegir, a);
        connect(a, &QAction::triggered, this, [visor, i, id = p.id] {
            if (visor) AbrirArchivoCon(visor->Contenido(), i, id);
        });
    }
    if (menu->actions().size() > 1) menu->insertSeparator(elegir);
}

void frmMain::MostrarMenuItem(const QPoint& global) {
    const ContextoMenus c = Contexto();
    menus_->Aplicar("mnuPA", c);
    menus_->Accion("mnuPAA")->setVisible(c.tipoActual == TIPO_ARCHIVO);
    LlenarAbrirCon();
    InteraccionVentanas().MostrarMenu(*menus_->Menu("mnuPA"), global);
}

void frmMain::MostrarMenuFondo(const QPoint& global) {
    menus_->Aplicar("mnuPC", Contexto());
    InteraccionVentanas().MostrarMenu(*menus_->Menu("mnuPC"), global);
}

int frmMain::PedirOpcionDrop(const QPoint& global) {
    OpcionDrop = -1;
    QMenu* menu = menus_->Menu("mnuPD");
    menu->setDefaultAction(menus_->Accion("mnuPDcopiar"));
    QPointer<frmMain> yo = this;
    InteraccionVentanas().MostrarMenu(*menu, global);
    return yo ? OpcionDrop : -1;
}

void frmMain::mnuPAabrir_Click() {
    if (!aVisor_) return;
    cSeleccionVisor& s = aVisor_->Seleccion();
    if (s.nSel() < 2) {
        const Qt::KeyboardModifiers m = QGuiApplication::queryKeyboardModifiers();
        aVisor_->AbrirItem(s.sActual(), m & Qt::ShiftModifier, m & Qt::ControlModifier);
        return;
    }
    std::vector<std::int64_t> elegidos;
    for (const ItemSel& k : s.ListaSel()) elegidos.push_back(k.Item);
    for (const std::string& ruta : ArchivosAbrir(aVisor_->Contenido(), elegidos))
        AbrirArchivo(QFile::decodeName(QByteArray::fromStdString(ruta)));
}

}  // namespace quirvex
