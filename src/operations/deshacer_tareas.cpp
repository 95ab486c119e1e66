// Undo of an ended operation, as a queued operation of its own, and the record it relies on:
// what each copied or moved item was on disk when its operation ended.

#include <algorithm>
#include <map>

#include "folder/rutas.h"
#include "operations/operaciones_extra.h"
#include "operations/rutas_operacion.h"
#include "platform/archivos_nuevos.h"
#include "platform/dialogos.h"
#include "platform/papelera.h"
#include "settings/idioma.h"

namespace quirvex {

void EjecutarPapelera(cTareas& t, std::int64_t i);

namespace {

bool MismaCarpeta(const InfoNodo& a, const InfoNodo& b) {
    return a.tipo == TipoNodo::Carpeta && b.tipo == TipoNodo::Carpeta && a.dispositivo == b.dispositivo &&
           a.inodo == b.inodo;
}

void TomarHuellaEn(const std::string& ruta, const std::string& relativa, std::vector<HuellaNodo>& huella) {
    const InfoNodo info = BajoNivel().Consultar(ruta);
    if (info.tipo == TipoNodo::NoExiste) return;
    huella.push_back({relativa, info});
    if (info.tipo != TipoNodo::Carpeta) return;
    std::vector<std::string> nombres;
    if (BajoNivel().ListarNombres(ruta, nombres) != 0) return;
    for (const std::string& n : nombres)
        TomarHuellaEn(ruta + "/" + n, relativa.empty() ? n : relativa + "/" + n, huella);
}

// Whether what lies at `ruta` now is what the record describes: the same entries, each file
// the same (identity, size, time), each folder the same folder.
bool SinCambios(const std::string& ruta, const std::vector<HuellaNodo>& huella) {
    const std::vector<HuellaNodo> ahora = TomarHuella(ruta);
    if (ahora.size() != huella.size() || huella.empty()) return false;
    std::map<std::string, const InfoNodo*> antes;
    for (const HuellaNodo& h : huella) antes[h.relativa] = &h.info;
    for (const HuellaNodo& h : ahora) {
        const auto a = antes.find(h.relativa);
        if (a == antes.end()) return false;
        const bool igual = h.info.tipo == TipoNodo::Carpeta ? MismaCarpeta(h.info, *a->second)
                                                             : MismoContenido(h.info, *a->second);
        if (!igual) return false;
    }
    return true;
}

void LogRuta(cTareas& t, std::int64_t i, int clave, const std::string& ruta) {
    t.AgregarError(i, Texto(General, clave) + ruta);
}

// Removing what a copy made, entry by entry through folder handles (a folder swapped for a
// link meanwhile is never entered): an entry that is no longer what the copy left is kept and
// logged, and so is a folder that now holds something the copy did not make.
class BorradoHuella {
public:
    BorradoHuella(cTareas& t, std::int64_t i, const HechoOperacion& h) : t_(t), i_(i), raiz_(h.destino) {
        for (const HuellaNodo& n : h.huella) {
            nodos_[n.relativa] = &n.info;
            if (n.relativa.empty()) continue;
            const auto barra = n.relativa.find_last_of('/');
            const std::string padre = barra == std::string::npos ? "" : n.relativa.substr(0, barra);
            hijos_[padre].push_back(barra == std::string::npos ? n.relativa : n.relativa.substr(barra + 1));
        }
    }
    // False when canceled.
    bool Borrar() { return nodos_.empty() || Entrada(MANEJADOR_INVALIDO, raiz_, ""); }

private:
    std::string Ruta(const std::string& relativa) const { return relativa.empty() ? raiz_ : raiz_ + "/" + relativa; }

    bool Entrada(ManejadorArchivo carpeta, const std::string& nombre, const std::string& relativa) {
        const InfoNodo& antes = *nodos_.at(relativa);
        const InfoNodo ahora = BajoNivel().ConsultarEn(carpeta, nombre);
        if (ahora.tipo == TipoNodo::NoExiste) return true;
        if (antes.tipo != TipoNodo::Carpeta) {
            if (MismoContenido(ahora, antes))
                Quitar(carpeta, nombre, relativa, false);
            else
                LogRuta(t_, i_, 204, Ruta(relativa));
            t_.Progreso(i_, 1);
            return !t_.CederTurno(i_);
        }
        if (!MismaCarpeta(ahora, antes)) {
            LogRuta(t_, i_, 204, Ruta(relativa));
            return true;
        }
        int error = 0;
        const ManejadorArchivo h = BajoNivel().AbrirCarpeta(carpeta, nombre, error);
        if (h == MANEJADOR_INVALIDO) {
            LogRuta(t_, i_, 204, Ruta(relativa));
            return true;
        }
        bool seguir = true;
        for (const std::string& hijo : hijos_[relativa]) {
            seguir = Entrada(h, hijo, relativa.empty() ? hijo : relativa + "/" + hijo);
            if (!seguir) break;
        }
        BajoNivel().Cerrar(h);
        if (seguir) Quitar(carpeta, nombre, relativa, true);
        return seguir;
    }

    void Quitar(ManejadorArchivo carpeta, const std::string& nombre, const std::string& relativa, bool esCarpeta) {
        if (BajoNivel().BorrarEn(carpeta, nombre, esCarpeta) != 0) {
            LogRuta(t_, i_, 204, Ruta(relativa));
            return;
        }
        if (relativa.empty()) t_.AvisarCambio(raiz_, esCarpeta ? TIPO_CARPETA : TIPO_ARCHIVO, "Deleted");
    }

    cTareas& t_;
    std::int64_t i_;
    std::string raiz_;
    std::map<std::string, const InfoNodo*> nodos_;
    std::map<std::string, std::vector<std::string>> hijos_;
};

// A moved item goes back when it is as the move left it and nothing took its old place. Within
// one file system that is one rename; across two, the engine's own move carries it back.
void DevolverMovido(cTareas& t, std::int64_t i, const HechoOperacion& h) {
    if (Existe(h.origen)) {
        LogRuta(t, i, 205, h.destino);
        return;
    }
    if (!SinCambios(h.destino, h.huella)) {
        LogRuta(t, i, 204, h.destino);
        return;
    }
    const int error = ArchivosNuevosSistema().RenombrarSinReemplazar(h.destino, h.origen);
    if (error == 0) {
        t.AvisarCambio(h.destino, h.carpeta ? TIPO_CARPETA : TIPO_ARCHIVO, "Deleted");
        t.AvisarCambio(h.origen, h.carpeta ? TIPO_CARPETA : TIPO_ARCHIVO, h.carpeta ? "CreatedFolder" : "Created");
        return;
    }
    if (BajoNivel().Es(error, ErrorComun::YaExiste)) {
        LogRuta(t, i, 205, h.destino);
        return;
    }
    if (!BajoNivel().Es(error, ErrorComun::OtroDispositivo)) {
        t.AgregarError(i, Texto(General, 40) + " " + Texto(frmOperations, 18) + " \"" + h.destino + "\": " +
                              BajoNivel().DescripcionError(error) + " (" + std::to_string(error) + ")");
        return;
    }
    if (!h.carpeta) {
        t.CopiarArchivo(i, h.destino, h.origen, true);
    } else if (const int e = CrearRuta(h.origen); e == 0) {
        t.CopiarCarpeta(i, h.destino, h.origen, true);
    }
}

void Restaurar(cTareas& t, std::int64_t i, const HechoOperacion& h) {
    const int error = PapeleraSistema().Restaurar(ElementoPapelera{h.origen, h.destino, h.info});
    if (error == 0) {
        t.AvisarCambio(h.origen, h.carpeta ? TIPO_CARPETA : TIPO_ARCHIVO, h.carpeta ? "CreatedFolder" : "Created");
    } else if (BajoNivel().Es(error, ErrorComun::YaExiste)) {
        LogRuta(t, i, 205, h.destino);
    } else {
        t.AgregarError(i, Texto(General, 207) + "\"" + h.destino + "\": " + BajoNivel().DescripcionError(error) +
                              " (" + std::to_string(error) + ")");
    }
}

void EjecutarDeshacer(cTareas& t, std::int64_t i) {
    const std::int64_t j = t.Registro(i).Deshace;
    if (j < 0 || j >= i) return;
    // The record is copied: the queue's records live in a deque that grows while this yields.
    const Operacion original = t.Registro(j);
    std::int64_t total = 0;
    for (const HechoOperacion& h : original.Hechos)
        total += original.Tipo == TIPO_COPIAR ? static_cast<std::int64_t>(h.huella.size()) : 1;
    t.Registro(i).BytesTotales = std::max<std::int64_t>(total, 1);
    // Last made, first undone: a later item may lie inside an earlier one's place.
    for (auto h = original.Hechos.rbegin(); h != original.Hechos.rend(); ++h) {
        t.Registro(i).Actual = h->destino;
        if (original.Tipo == TIPO_COPIAR) {
            if (!BorradoHuella(t, i, *h).Borrar()) return;
            continue;
        }
        if (original.Tipo == TIPO_MOVER)
            DevolverMovido(t, i, *h);
        else if (original.Tipo == TIPO_PAPELERA)
            Restaurar(t, i, *h);
        t.Progreso(i, 1);
        if (t.CederTurno(i)) return;
    }
}

// When a copy or move ends, what each of its items is on disk then.
void AlTerminar(cTareas& t, std::int64_t i) {
    Operacion& op = t.Registro(i);
    if (op.Tipo != TIPO_COPIAR && op.Tipo != TIPO_MOVER) return;
    for (HechoOperacion& h : op.Hechos) h.huella = TomarHuella(h.destino);
}

}  // namespace

std::vector<HuellaNodo> TomarHuella(const std::string& ruta) {
    std::vector<HuellaNodo> huella;
    TomarHuellaEn(SinBarraFinal(ruta), "", huella);
    return huella;
}

void InstalarOperacionesExtra(cTareas& tareas) {
    tareas.SetEjecutor(TIPO_PAPELERA, EjecutarPapelera);
    tareas.SetEjecutor(TIPO_DESHACER, EjecutarDeshacer);
    tareas.SetAlTerminar(AlTerminar);
}

std::int64_t DeshacerOperacion(std::int64_t i, cTareas& tareas) {
    if (i < 0 || i > tareas.UltimoIndice()) return -1;
    const Operacion& op = tareas.Operaciones()[static_cast<std::size_t>(i)];
    if (op.Estado != ESTADO_TERMINADA && op.Estado != ESTADO_CANCELADA) return -1;
    auto Avisar = [](int clave, IconoMensaje icono) {
        DialogosSistema().Mensaje(Texto(General, clave), Texto(frmOperations, 0), Botones::Aceptar, icono);
    };
    if (op.Tipo == TIPO_BORRAR) {
        Avisar(202, IconoMensaje::Exclamacion);
        return -1;
    }
    if (op.Tipo == TIPO_DESHACER) {
        Avisar(35, IconoMensaje::Ninguno);
        return -1;
    }
    if (op.Deshecha) {
        Avisar(208, IconoMensaje::Exclamacion);
        return -1;
    }
    if (op.Tipo == TIPO_COPIAR &&
        DialogosSistema().Mensaje(Texto(General, 203), Texto(frmOperations, 0), Botones::SiNoDefectoNo,
                                  IconoMensaje::Pregunta) !=
            Respuesta::Si)
        return -1;
    const std::string origen = op.Origen, destino = op.DestinoInicial;
    const std::int64_t k = tareas.AgregarOperacion(TIPO_DESHACER, origen, destino, {});
    tareas.Registro(k).Deshace = i;
    tareas.Registro(k).TipoDeshecho = op.Tipo;
    tareas.Registro(i).Deshecha = true;
    tareas.Redibujar(k);
    tareas.Redibujar(i);
    return k;
}

}  // namespace quirvex
