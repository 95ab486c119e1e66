#pragma once
// cTareas (module mTareas): the program-wide first-in-first-out queue of copy, move and delete
// operations and the engine that runs them, one at a time, on the interface thread.
//
// Owner: the program keeps one for the whole run (mTareas()); tests make their own. The
// operations window paints the records and calls tIni_Timer from its 100 ms start timer and
// CancelarOperacion from its buttons; the frame implements OyenteCambios so panes follow what
// the engine creates and deletes.
//
// The engine lets pending events run (the Ceder callback) after every chunk and every item, so
// anything may happen meanwhile: more operations are queued (records live in a deque, so they
// never move), cancel buttons are pressed, windows close (the window and the frame unhook their
// interfaces with SetVista(nullptr) / SetOyente(nullptr)). The engine re-reads its record and the
// cancel flag after each yield, and a busy flag keeps it from starting twice.
//
// What it guarantees about data: every read and write is checked; a file is written without a
// name (or under a hidden one) and takes its name only when complete, never replacing a file
// that appeared meanwhile; the source of a move is removed only after its copy is complete and
// on disk; both trees are walked through open folders, so links are copied and deleted as links
// and never followed, on either side; a folder is never copied or moved into itself.

#include <cstddef>
#include <cstdint>
#include <deque>
#include <functional>
#include <map>
#include <set>
#include <utility>
#include <string>
#include <vector>

#include "folder/item_carpeta.h"
#include "folder/notificaciones.h"
#include "operations/c_file.h"
#include "platform/archivo_bajo_nivel.h"

namespace quirvex {

inline constexpr std::int32_t TIPO_COPIAR = 1;
inline constexpr std::int32_t TIPO_MOVER = 2;
inline constexpr std::int32_t TIPO_BORRAR = 4;
// Kinds the engine leaves to an installed runner (SetEjecutor): to the trash, and an undo.
inline constexpr std::int32_t TIPO_PAPELERA = 8;
inline constexpr std::int32_t TIPO_DESHACER = 64;

inline constexpr std::int32_t ESTADO_ESPERANDO = 1;
inline constexpr std::int32_t ESTADO_EJECUTANDO = 4;
inline constexpr std::int32_t ESTADO_TERMINADA = 16;
inline constexpr std::int32_t ESTADO_CANCELADA = 32;

// Results of CopiarArchivo and CopiarCarpeta besides a byte count.
inline constexpr std::int64_t COPIA_FALLIDA = -1;
inline constexpr std::int64_t COPIA_CANCELADA = -2;

inline constexpr std::size_t TAMANO_TRAMO = 4194304;  // 4 MiB per chunk

// Fixed texts of the engine, the same in every language.
inline constexpr const char* TEXTO_SIN_ERRORES = "(Sin errores)";
inline constexpr const char* TEXTO_NO_EXISTE_2 = "Error: No existe 2.";
inline constexpr const char* TEXTO_ELEMENTO_NO_EXISTE = "El elemento no existe: ";
// A source that changed while it was copied, and a name that another item of the same operation
// already took on a target that does not tell case apart. Failure numbers beside the buffered
// file's own.
inline constexpr std::int32_t FALLO_ORIGEN_CAMBIADO = 45610;
inline constexpr const char* TEXTO_ORIGEN_CAMBIADO = "The source changed while it was being copied.";
inline constexpr const char* TEXTO_ORIGEN_CONSERVADO = " It was not deleted.";
inline constexpr const char* TEXTO_NOMBRE_TOMADO = "Name already taken by this operation, written as: ";
// The hidden name a file is written under until it is complete, where the file system cannot
// make a file without a name.
inline constexpr const char* PREFIJO_TEMPORAL = ".quirvex-part-";

// What an entry was when an operation ended: its name below the top item, and lstat's answer.
struct HuellaNodo {
    std::string relativa;  // "" for the top item itself, else "a/b.txt"
    InfoNodo info;
};

// One listed item an operation acted on, kept so that the operation can be undone.
struct HechoOperacion {
    std::string origen;   // where it was
    std::string destino;  // where it is now: the copy or moved item, or its place in the trash
    std::string info;     // a trashed item's record
    bool carpeta = false;
    // What lay at `destino` when the operation ended, parents before their entries.
    std::vector<HuellaNodo> huella;
};

struct Operacion {
    std::int32_t Tipo = 0;
    std::int32_t Estado = 0;
    Fecha Creada = 0;
    Fecha Iniciada = 0;
    Fecha Programada = 0;
    Fecha Terminada = 0;
    Fecha UltimaPausa = 0;
    std::int32_t Segundos = 0;
    std::string TextoTiempo;
    std::string Actual;
    std::string Destino;
    std::string Origen;
    std::int64_t BytesHechos = 0;
    std::int64_t BytesTotales = 0;
    std::int32_t NumErrores = 0;
    std::vector<std::string> Log;
    bool Cancelar = false;
    std::int64_t Porcentaje = 0;
    std::int64_t PorcentajeMostrado = 0;
    // The full paths the command chose, in its order.
    std::vector<std::string> Lista;
    // The folder the operation was queued with; Destino changes while it runs.
    std::string DestinoInicial;
    // Set by the pause button: the engine waits at its next yield until it is cleared or the
    // operation is canceled.
    bool Pausada = false;
    // What each listed item became, for an undo; the operation an undo undoes (-1 for none);
    // and whether an undo of this one was queued.
    std::vector<HechoOperacion> Hechos;
    std::int64_t Deshace = -1;
    std::int32_t TipoDeshecho = 0;  // the kind of the operation an undo undoes
    bool Deshecha = false;
};

// What the operations window is told. Every call has a do-nothing default.
class VistaOperaciones {
public:
    virtual ~VistaOperaciones() = default;
    virtual void OperacionAgregada(std::int64_t /*i*/) {}
    virtual void RedibujarLista() {}
    virtual void DibujarOperacion(std::int64_t /*i*/) {}
    // Porcentaje changed to a value in 1..100 (PorcentajeMostrado is then brought level).
    virtual void MostrarProgreso(std::int64_t /*i*/) {}
    virtual void LogCambiado(std::int64_t /*i*/) {}
    virtual void SetTitulo(const std::string& /*titulo*/) {}
    virtual void HabilitarInicio(bool /*habilitar*/) {}
};

// The frame's change broadcast.
class OyenteCambios {
public:
    virtual ~OyenteCambios() = default;
    virtual void ActualizarRuta(const CambioRuta& cambio) = 0;
};

class cTareas {
public:
    using Ceder = std::function<void()>;

    cTareas();
    cTareas(const cTareas&) = delete;
    cTareas& operator=(const cTareas&) = delete;

    void SetVista(VistaOperaciones* vista);
    void SetOyente(OyenteCambios* oyente) { oyente_ = oyente; }
    // "Let pending events run"; an empty function yields nothing.
    void SetCeder(Ceder ceder) { ceder_ = std::move(ceder); }
    // For tests: smaller chunks so a few KiB show several of them. 0 restores 4 MiB.
    void SetTamanoTramo(std::size_t bytes) { tramo_ = bytes ? bytes : TAMANO_TRAMO; }

    // Queues an operation on the listed full paths and enables the start timer. Returns its index.
    std::int64_t AgregarOperacion(std::int32_t Tipo, const std::string& Origen,
                                  const std::string& Destino, std::vector<std::string> lista);
    // The start timer's tick: starts the operation whose turn it is, unless one runs.
    void tIni_Timer();
    // Runs operation i to its end, then every operation queued behind it.
    void EjecutarOperacion(std::int64_t i);
    void CambiarEstado(std::int64_t i, std::int32_t estado);
    void AgregarError(std::int64_t i, const std::string& texto);
    std::string TextoErrores(std::int64_t i) const;

    std::int64_t CopiarArchivo(std::int64_t i, const std::string& origen,
                               const std::string& destino, bool mover);
    std::int64_t CopiarCarpeta(std::int64_t i, const std::string& origen,
                               const std::string& destino, bool mover);
    void EjecutarBorrado(std::int64_t i);
    // False when canceled or when something could not be deleted.
    bool BorrarCarpeta(std::int64_t i, const std::string& carpeta);

    // The cancel button: a running operation stops at its next test, removing the file in
    // progress; a waiting one is skipped when its turn comes.
    void CancelarOperacion(std::int64_t i);
    // The pause button: a running operation waits at its next yield (between two chunks or
    // two items) until resumed; the operations behind it wait with it. A waiting one starts
    // paused when its turn comes. Canceling (or quitting) ends the wait.
    void PausarOperacion(std::int64_t i, bool pausar);

    // An operation kind the engine does not run itself (to the trash, an undo): the runner
    // does its work in place of the check and work passes, between the engine's running and
    // ending states, reporting through the calls below.
    using Ejecutor = std::function<void(cTareas&, std::int64_t)>;
    void SetEjecutor(std::int32_t tipo, Ejecutor ejecutor);
    // Called when an operation has ended (finished or canceled), before the next one starts.
    void SetAlTerminar(std::function<void(cTareas&, std::int64_t)> alTerminar) {
        alTerminar_ = std::move(alTerminar);
    }
    // For runners: the record, the yield (true when canceled; waits while paused), progress,
    // and the change broadcast.
    Operacion& Registro(std::int64_t i) { return Op(i); }
    bool CederTurno(std::int64_t i) { return CederYCancelado(i); }
    void Progreso(std::int64_t i, std::int64_t bytes) { SumarProgreso(i, bytes); }
    void AvisarCambio(const std::string& ruta, const std::string& tipo, const std::string& accion) {
        Avisar(ruta, tipo, accion);
    }
    void Redibujar(std::int64_t i) { vista_->DibujarOperacion(i); }

    // Quitting: cancels the running operation and every waiting one. The caller waits for
    // Ocupado() to turn false before it ends the process.
    void CancelarTodo();
    bool Ocupado() const { return ocupado_; }

    const std::deque<Operacion>& Operaciones() const { return operaciones_; }
    std::int64_t OperacionActual() const { return actual_; }
    std::int64_t UltimoIndice() const { return static_cast<std::int64_t>(operaciones_.size()) - 1; }
    // How many operations wait behind the current one (the count the caption shows).
    std::int64_t Esperando() const { return actual_ > UltimoIndice() ? 0 : UltimoIndice() - actual_; }
    // The operation whose log the window shows.
    std::int64_t OperacionLog = 0;
    // frmOperations/0, with " (n) ..." while n operations wait behind the current one.
    std::string TituloEspera() const;

private:
    bool Valido(std::int64_t i) const;
    Operacion& Op(std::int64_t i) { return operaciones_[static_cast<std::size_t>(i)]; }
    bool CederYCancelado(std::int64_t i);
    void Avisar(const std::string& ruta, const std::string& tipo, const std::string& accion);
    void AvisarTitulo(const std::string& titulo);
    void EjecutarUna(std::int64_t i);
    bool Comprobar(std::int64_t i, const std::vector<std::string>& rutas);
    void CopiarOMover(std::int64_t i, const std::vector<std::string>& rutas);
    void CopiarElemento(std::int64_t i, const std::string& ruta, bool mover);
    bool EsRaiz(const std::string& ruta) const;
    void LogFallo(std::int64_t i, bool mover, const std::string& ruta, std::int32_t numero,
                  const std::string& descripcion);
    void LogFalloSistema(std::int64_t i, bool mover, const std::string& ruta, int codigo);
    void SumarProgreso(std::int64_t i, std::int64_t bytes);
    // Takes back the bytes counted for a file that then failed: BytesHechos returns to `antes`.
    void DescontarProgreso(std::int64_t i, std::int64_t antes);
    // One entry of a walk: a name inside an open folder (or a path of its own when the folder
    // is MANEJADOR_INVALIDO) and the full path the log shows.
    struct Entrada {
        ManejadorArchivo carpeta = MANEJADOR_INVALIDO;
        std::string nombre;
        std::string ruta;
    };
    // The sources of a move whose copies wait for the disk: they go together, once the target's
    // file system has been synchronised, so a power cut never loses both.
    struct Lote {
        ManejadorArchivo origen = MANEJADOR_INVALIDO;
        ManejadorArchivo destino = MANEJADOR_INVALIDO;
        std::string ruta;
        std::vector<std::pair<std::string, InfoNodo>> fuentes;
    };
    std::int64_t CopiarDatos(std::int64_t i, const InfoNodo& fuente, bool mover);
    std::int64_t CopiarTramos(std::int64_t i, std::int64_t desde, std::int64_t hasta, bool mover,
                              bool& kernel);
    bool AbrirFuente(std::int64_t i, const Entrada& fuente, bool mover);
    std::int64_t CopiarArchivoEn(std::int64_t i, const Entrada& fuente, Entrada objetivo, bool mover,
                                 Lote& lote);
    bool PrepararObjetivo(std::int64_t i, const Entrada& objetivo, const std::string& ruta, bool mover,
                          bool& reemplazar);
    bool CrearEscrito(std::int64_t i, const Entrada& objetivo, const std::string& ruta, bool mover);
    bool NombrarTemporal(std::int64_t i, const Entrada& objetivo, const std::string& ruta, bool mover);
    bool Colocar(std::int64_t i, Entrada& objetivo, bool reemplazar, const std::string& ruta, bool mover);
    void Descartar(std::int64_t i, const Entrada& objetivo, bool mover, const std::string& ruta);
    bool EnlazarRepetido(std::int64_t i, const InfoNodo& fuente, const Entrada& objetivo);
    void ConservarMetadatos(std::int64_t i, bool mover, const std::string& ruta, const InfoNodo& origen,
                            ManejadorArchivo hOrigen, ManejadorArchivo hDestino, const InfoNodo& actual);
    void LogNoConservado(std::int64_t i, bool mover, const std::string& ruta, const std::string& que,
                         int error);
    bool CreadoPorEsta(const InfoNodo& info) const;
    void TerminarLote(std::int64_t i, Lote& lote, bool& completo);
    void SincronizarAlFinal(std::int64_t i);
    std::int64_t CopiarContenido(std::int64_t i, ManejadorArchivo carpeta, const std::string& origen,
                                 ManejadorArchivo destino, const std::string& rutaDestino, bool mover,
                                 bool& completo);
    std::int64_t RecorrerContenido(std::int64_t i, Lote& lote, const std::string& rutaDestino,
                                   bool mover, bool& completo);
    std::int64_t CopiarSubcarpeta(std::int64_t i, const Entrada& fuente, const Entrada& objetivo,
                                  bool mover, bool& completo);
    std::int64_t NodoCreado(std::int64_t i, const Entrada& fuente, const Entrada& objetivo, const InfoNodo& info,
                            bool mover, Lote& lote);
    std::int64_t CopiarEnlace(std::int64_t i, const Entrada& fuente, const Entrada& objetivo, bool mover,
                              Lote& lote);
    std::int64_t CopiarEspecial(std::int64_t i, const Entrada& fuente, const Entrada& objetivo,
                                bool mover, Lote& lote);
    std::int64_t MoverCarpeta(std::int64_t i, const std::string& origen,
                              const std::string& destino);
    // Renames a listed item within its file system onto a free name: a name taken meanwhile
    // sends it to the next free one, logged. 0, or the rename's error.
    int RenombrarLibre(std::int64_t i, const std::string& origen, std::string& destino, bool carpeta);
    // Makes the top folder of a listed item under a name nothing had a moment ago, the next
    // free one when another program took it meanwhile (logged). 0 or the error.
    int CrearCarpetaLibre(std::int64_t i, std::string& destino);
    void LogNoLeido(std::int64_t i, bool mover, const std::string& ruta, int error);
    bool BorrarContenido(std::int64_t i, ManejadorArchivo carpeta, const std::string& ruta);
    void LogBorrado(std::int64_t i, const std::string& ruta, int error);
    bool BorrarElemento(std::int64_t i, const std::string& ruta);

    std::deque<Operacion> operaciones_;
    std::int64_t actual_ = 0;
    bool ocupado_ = false;
    VistaOperaciones* vista_;
    VistaOperaciones vistaNula_;
    OyenteCambios* oyente_ = nullptr;
    Ceder ceder_;
    std::size_t tramo_ = TAMANO_TRAMO;
    cFile lector_;
    cFile escritor_;
    std::vector<std::byte> buffer_;
    std::vector<std::string> raices_;  // mount points, refreshed when an operation starts
    // Identity (device, inode) of every file the running operation created, so that a name
    // which folds onto one of them on a case-insensitive target never writes over it.
    std::set<std::pair<std::uint64_t, std::uint64_t>> creados_;
    std::uint64_t temporales_ = 0;  // numbers the hidden temporary names
    std::vector<RangoDatos> rangos_;
    // The file being written: made without a name, or under the hidden name `temporal_` in
    // the target folder.
    bool sinNombre_ = false;
    std::string temporal_;
    // Files with several names already copied by the running operation: the target path of
    // the first copy, so the others become names of it (source device, inode).
    std::map<std::pair<std::uint64_t, std::uint64_t>, std::string> enlacesDuros_;
    // Whether the running copy wrote anything that still has to reach the disk.
    bool escribio_ = false;
    std::vector<std::pair<std::int32_t, Ejecutor>> ejecutores_;
    std::function<void(cTareas&, std::int64_t)> alTerminar_;
    // How the engine waits while paused; a test may make it count.
    std::function<void()> esperaPausa_;

public:
    void SetEsperaPausa(std::function<void()> espera) { esperaPausa_ = std::move(espera); }
};

// The program's queue.
cTareas& mTareas();

// "hh:mm:ss hs (n seg.)" for a running time of n seconds.
std::string FormatearDuracion(std::int64_t segundos);

}  // namespace quirvex
