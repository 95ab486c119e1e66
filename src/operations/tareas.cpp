// The queue, the states and the log, and the two passes of an operation. Copying and deleting
// proper live in tareas_copia.cpp and tareas_borrado.cpp.

#include "operations/tareas.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

#include "operations/rutas_operacion.h"
#include "platform/archivo_bajo_nivel.h"
#include "platform/fecha_local.h"
#include "platform/unidades.h"
#include "settings/idioma.h"

namespace quirvex {

cTareas& mTareas() {
    static cTareas tareas;
    return tareas;
}

std::string FormatearDuracion(std::int64_t segundos) {
    char hms[64];
    std::snprintf(hms, sizeof hms, "%02lld:%02lld:%02lld", static_cast<long long>(segundos / 3600),
                  static_cast<long long>(segundos / 60 % 60), static_cast<long long>(segundos % 60));
    return std::string(hms) + " hs (" + std::to_string(segundos) + " seg.)";
}

cTareas::cTareas() : vista_(&vistaNula_) {}

void cTareas::SetVista(VistaOperaciones* vista) { vista_ = vista ? vista : &vistaNula_; }

bool cTareas::Valido(std::int64_t i) const {
    return i >= 0 && i < static_cast<std::int64_t>(operaciones_.size());
}

bool cTareas::CederYCancelado(std::int64_t i) {
    if (ceder_) ceder_();
    if (Op(i).Pausada && !Op(i).Cancelar) {
        Op(i).UltimaPausa = FechaAhora();
        vista_->DibujarOperacion(i);
        while (Op(i).Pausada && !Op(i).Cancelar) {
            if (esperaPausa_)
                esperaPausa_();
            else if (ceder_)
                ceder_();
        }
        vista_->DibujarOperacion(i);
    }
    return Op(i).Cancelar;
}

void cTareas::PausarOperacion(std::int64_t i, bool pausar) {
    if (!Valido(i) || Op(i).Estado == ESTADO_TERMINADA || Op(i).Estado == ESTADO_CANCELADA) return;
    Op(i).Pausada = pausar;
    vista_->DibujarOperacion(i);
}

void cTareas::SetEjecutor(std::int32_t tipo, Ejecutor ejecutor) {
    for (auto& [t, e] : ejecutores_)
        if (t == tipo) {
            e = std::move(ejecutor);
            return;
        }
    ejecutores_.emplace_back(tipo, std::move(ejecutor));
}

void cTareas::Avisar(const std::string& ruta, const std::string& tipo, const std::string& accion) {
    if (oyente_) oyente_->ActualizarRuta(CambioRuta{AgregarBarra(CarpetaDe(ruta)), NombreDe(ruta), "", tipo, accion});
}

void cTareas::AvisarTitulo(const std::string& titulo) { vista_->SetTitulo(titulo); }

std::string cTareas::TituloEspera() const {
    const std::string& base = Texto(frmOperations, 0);
    if (actual_ > UltimoIndice()) return base;
    return base + " (" + std::to_string(Esperando()) + ") ...";
}

std::int64_t cTareas::AgregarOperacion(std::int32_t Tipo, const std::string& Origen,
                                       const std::string& Destino, std::vector<std::string> lista) {
    Operacion op;
    op.Tipo = Tipo;
    op.Origen = Origen;
    op.Destino = Destino;
    op.DestinoInicial = Destino;
    op.Estado = ESTADO_ESPERANDO;
    op.Creada = FechaAhora();
    op.BytesTotales = 1;
    op.Lista = std::move(lista);
    operaciones_.push_back(std::move(op));
    const std::int64_t i = UltimoIndice();
    vista_->OperacionAgregada(i);
    vista_->RedibujarLista();
    vista_->HabilitarInicio(true);
    return i;
}

// Starts whatever waits. Two operations queued before the first tick both run: the turn is
// decided by OperacionActual alone, not by it being the last one queued.
void cTareas::tIni_Timer() {
    vista_->HabilitarInicio(false);
    if (ocupado_) {
        AvisarTitulo(TituloEspera());
        return;
    }
    if (actual_ <= UltimoIndice()) EjecutarOperacion(actual_);
}

void cTareas::EjecutarOperacion(std::int64_t i) {
    if (ocupado_ || !Valido(i) || Op(i).Estado != ESTADO_ESPERANDO) return;
    struct Ocupar {
        bool& bandera;
        explicit Ocupar(bool& b) : bandera(b) { bandera = true; }
        ~Ocupar() { bandera = false; }
    };
    {
        Ocupar ocupado(ocupado_);
        EjecutarUna(i);
        // The queue advance: the next operation starts at once, in this loop rather than
        // nested inside the previous one, so a long queue never deepens the stack.
        while (actual_ <= UltimoIndice() && Op(actual_).Estado == ESTADO_ESPERANDO)
            EjecutarUna(actual_);
    }
}

void cTareas::EjecutarUna(std::int64_t i) {
    // A waiting operation canceled before its turn is skipped entirely: a delete list must not
    // lose its top-level files after the user said no.
    if (Op(i).Cancelar) {
        CambiarEstado(i, ESTADO_CANCELADA);
        return;
    }
    Operacion& op = Op(i);
    op.Estado = ESTADO_EJECUTANDO;
    op.Porcentaje = 0;
    op.Iniciada = FechaAhora();
    op.BytesTotales = 0;
    vista_->RedibujarLista();
    raices_.clear();
    creados_.clear();
    enlacesDuros_.clear();
    escribio_ = false;
    for (const Volumen& v : UnidadesSistema().Listar()) raices_.push_back(SinBarraFinal(v.puntoMontaje));

    for (auto& [tipo, ejecutor] : ejecutores_) {
        if (tipo != op.Tipo || !ejecutor) continue;
        // A paused operation waits before its first item as it would between two.
        if (CederYCancelado(i)) {
            CambiarEstado(i, ESTADO_CANCELADA);
            return;
        }
        ejecutor(*this, i);
        CambiarEstado(i, Op(i).Cancelar ? ESTADO_CANCELADA : ESTADO_TERMINADA);
        return;
    }
    std::vector<std::string> rutas;
    for (const std::string& r : op.Lista) rutas.push_back(SinBarraFinal(r));
    if (!Comprobar(i, rutas)) return;
    if (CederYCancelado(i)) {
        CambiarEstado(i, ESTADO_CANCELADA);
        return;
    }
    if (Op(i).Tipo == TIPO_BORRAR) {
        EjecutarBorrado(i);
        CambiarEstado(i, Op(i).Cancelar ? ESTADO_CANCELADA : ESTADO_TERMINADA);
        return;
    }
    CopiarOMover(i, rutas);
}

bool cTareas::EsRaiz(const std::string& ruta) const {
    return ruta == "/" || ruta.empty() ||
           std::find(raices_.begin(), raices_.end(), ruta) != raices_.end();
}

// The check pass: nothing is written before every listed item has been looked at.
bool cTareas::Comprobar(std::int64_t i, const std::vector<std::string>& rutas) {
    const bool copia = Op(i).Tipo != TIPO_BORRAR;
    for (const std::string& ruta : rutas) {
        if (EsRaiz(ruta)) {
            AgregarError(i, Texto(General, 43));
            CambiarEstado(i, ESTADO_TERMINADA);
            return false;
        }
        const InfoNodo info = BajoNivel().Consultar(ruta);
        if (info.tipo == TipoNodo::NoExiste) {
            // "Missing:" is for what is really gone; anything else says why it cannot be read.
            if (BajoNivel().Es(info.error, ErrorComun::NoExiste))
                AgregarError(i, Texto(General, 41) + ruta);
            else if (copia)
                LogFalloSistema(i, Op(i).Tipo == TIPO_MOVER, ruta, info.error);
            else
                LogBorrado(i, ruta, info.error);
            CambiarEstado(i, ESTADO_TERMINADA);
            return false;
        }
        if (info.tipo != TipoNodo::Carpeta) {
            Op(i).BytesTotales += info.tamano;
            continue;
        }
        Op(i).BytesTotales += TamanoCarpeta(ruta);
        if (!copia) continue;
        const std::string destino = Op(i).DestinoInicial;
        const InfoNodo objetivo =
            BajoNivel().Consultar(CambiarRaiz(ruta, CarpetaDe(ruta), destino));
        if (objetivo.tipo != TipoNodo::NoExiste && objetivo.tipo != TipoNodo::Carpeta) {
            AgregarError(i, Texto(General, 44));
            CambiarEstado(i, ESTADO_TERMINADA);
            return false;
        }
        // A folder copied into itself would be walked while it grows until the disk is full.
        if (DentroDe(destino, ruta)) {
            LogFallo(i, Op(i).Tipo == TIPO_MOVER, ruta, BajoNivel().Codigo(ErrorComun::ArgumentoInvalido),
                     Texto(frmOperations, 101));
            CambiarEstado(i, ESTADO_TERMINADA);
            return false;
        }
    }
    return true;
}

void cTareas::CopiarOMover(std::int64_t i, const std::vector<std::string>& rutas) {
    const bool mover = Op(i).Tipo == TIPO_MOVER;
    for (const std::string& ruta : rutas) {
        if (EsRaiz(ruta)) {
            AgregarError(i, Texto(General, 43));
            CambiarEstado(i, ESTADO_TERMINADA);
            return;
        }
        const InfoNodo info = BajoNivel().Consultar(ruta);
        if (info.tipo == TipoNodo::NoExiste) {
            // Gone since the check; a query that failed otherwise (a share that stopped
            // answering) says why, as the source may well still be there.
            if (info.error == 0 || BajoNivel().Es(info.error, ErrorComun::NoExiste))
                AgregarError(i, TEXTO_NO_EXISTE_2);
            else
                LogFalloSistema(i, mover, ruta, info.error);
            CambiarEstado(i, ESTADO_TERMINADA);
            return;
        }
        CopiarElemento(i, ruta, mover);
        if (Op(i).Cancelar) {
            SincronizarAlFinal(i);
            CambiarEstado(i, ESTADO_CANCELADA);
            return;
        }
    }
    SincronizarAlFinal(i);
    CambiarEstado(i, ESTADO_TERMINADA);
}

// One listed item. Its target is always new: an existing name gets " (n)" added.
void cTareas::CopiarElemento(std::int64_t i, const std::string& ruta, bool mover) {
    const bool carpeta = BajoNivel().Consultar(ruta).tipo == TipoNodo::Carpeta;
    std::string destino = CambiarRaiz(ruta, CarpetaDe(ruta), Op(i).DestinoInicial);
    Op(i).Actual = carpeta ? AgregarBarra(ruta) : AgregarBarra(CarpetaDe(ruta));
    if (Existe(destino)) destino = NombreLibre(destino, carpeta);
    Op(i).Destino = destino;
    vista_->DibujarOperacion(i);
    std::int64_t r = 0;
    if (!carpeta) {
        r = CopiarArchivo(i, ruta, destino, mover);
    } else if (mover) {
        r = MoverCarpeta(i, ruta, destino);
    } else {
        const int error = CrearCarpetaLibre(i, destino);
        if (error != 0) {
            LogFalloSistema(i, false, ruta, error);
            return;
        }
        Op(i).Destino = destino;
        Avisar(destino, TIPO_CARPETA, "CreatedFolder");
        r = CopiarCarpeta(i, ruta, destino, false);
    }
    if (mover && r >= 0 && !Existe(ruta)) Avisar(ruta, carpeta ? TIPO_CARPETA : TIPO_ARCHIVO, "Deleted");
    // Kept for an undo: what a copy made (even in part) and what a move took away.
    if (!mover || !Existe(ruta)) Op(i).Hechos.push_back(HechoOperacion{ruta, destino, {}, carpeta, {}});
}

void cTareas::CambiarEstado(std::int64_t i, std::int32_t estado) {
    if (!Valido(i) || Op(i).Estado == estado) return;
    Operacion& op = Op(i);
    if (estado == ESTADO_TERMINADA || estado == ESTADO_CANCELADA) {
        op.Terminada = FechaAhora();
        const double segundos = (op.Terminada - op.Iniciada) * 86400.0;
        op.Segundos = op.Iniciada > 0 ? static_cast<std::int32_t>(std::floor(segundos + 1e-6)) : 0;
        op.TextoTiempo = FormatearDuracion(op.Segundos);
    }
    op.Estado = estado;
    vista_->RedibujarLista();
    vista_->DibujarOperacion(i);
    if ((estado == ESTADO_TERMINADA || estado == ESTADO_CANCELADA) && alTerminar_) alTerminar_(*this, i);
    if ((estado == ESTADO_TERMINADA || estado == ESTADO_CANCELADA) && i == actual_) {
        ++actual_;
        AvisarTitulo(TituloEspera());
    }
}

void cTareas::AgregarError(std::int64_t i, const std::string& texto) {
    if (!Valido(i)) return;
    Operacion& op = Op(i);
    op.Log.push_back(texto);
    op.NumErrores = static_cast<std::int32_t>(op.Log.size());
    if (op.NumErrores == 1) vista_->RedibujarLista();
    if (i == OperacionLog) vista_->LogCambiado(i);
}

std::string cTareas::TextoErrores(std::int64_t i) const {
    if (!Valido(i)) return Texto(General, 45);
    const Operacion& op = operaciones_[static_cast<std::size_t>(i)];
    if (op.Log.empty()) return TEXTO_SIN_ERRORES;
    std::string texto;
    for (std::size_t k = 0; k < op.Log.size(); ++k) {
        if (k) texto += "\r\n";
        texto += op.Log[k];
    }
    return texto;
}

void cTareas::CancelarOperacion(std::int64_t i) {
    if (Valido(i)) Op(i).Cancelar = true;
}

void cTareas::CancelarTodo() {
    for (Operacion& op : operaciones_)
        if (op.Estado == ESTADO_ESPERANDO || op.Estado == ESTADO_EJECUTANDO) op.Cancelar = true;
}

// "Failed trying copy "path": description (number)".
void cTareas::LogFallo(std::int64_t i, bool mover, const std::string& ruta, std::int32_t numero,
                       const std::string& descripcion) {
    AgregarError(i, Texto(General, 40) + " " + Texto(frmOperations, mover ? 18 : 19) + " \"" +
                        ruta + "\": " + descripcion + " (" + std::to_string(numero) + ")");
}

void cTareas::LogFalloSistema(std::int64_t i, bool mover, const std::string& ruta, int codigo) {
    LogFallo(i, mover, ruta, codigo, BajoNivel().DescripcionError(codigo));
}

void cTareas::SumarProgreso(std::int64_t i, std::int64_t bytes) {
    Operacion& op = Op(i);
    op.BytesHechos += bytes;
    if (op.BytesTotales <= 0) return;
    op.Porcentaje = std::min<std::int64_t>(100, op.BytesHechos * 100 / op.BytesTotales);
    if (op.Porcentaje != op.PorcentajeMostrado && op.Porcentaje >= 1) {
        vista_->MostrarProgreso(i);
        op.PorcentajeMostrado = op.Porcentaje;
    }
}

void cTareas::DescontarProgreso(std::int64_t i, std::int64_t antes) {
    Operacion& op = Op(i);
    op.BytesHechos = std::min(op.BytesHechos, antes);
    if (op.BytesTotales > 0)
        op.Porcentaje = std::min<std::int64_t>(100, op.BytesHechos * 100 / op.BytesTotales);
}

}  // namespace quirvex
