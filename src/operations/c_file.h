#pragma once
// cFile: one open file for whole-buffer binary reads and writes, used by the copy engine (one
// object reads the source, one writes the target, both kept for the whole run).
// Owns its handle: the handle is closed by CloseFile or when the object ends; it cannot be
// copied. Every operation reports failure by its result and leaves the failure in Fallo(), with
// the numbers and the source name "Win32File Object" the operations log shows. Reads and writes
// are checked: a read returns exactly the bytes asked for or fails, a write writes them all or
// fails, so a short copy can never pass for a finished one.
// Interface thread only.

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "platform/archivo_bajo_nivel.h"

namespace quirvex {

inline constexpr std::int32_t FALLO_DESCONOCIDO = 45600;
inline constexpr std::int32_t FALLO_YA_ABIERTO = 45601;
inline constexpr std::int32_t FALLO_APERTURA = 45602;
inline constexpr std::int32_t FALLO_SIN_ARCHIVO = 45603;
inline constexpr std::int32_t FALLO_POSICION = 45604;
inline constexpr std::int32_t FALLO_LECTURA = 45605;
inline constexpr std::int32_t FALLO_ESCRITURA = 45606;

inline constexpr const char* FUENTE_CFILE = "Win32File Object";

struct FalloArchivo {
    std::int32_t numero = 0;  // 0 = no failure
    std::string descripcion;
    std::string fuente;
};

// A failure with the detail built from a system error code: CR LF "Error " code CR LF message
// (nothing when the code is 0). The engine builds its own file failures with it.
FalloArchivo CrearFalloArchivo(std::int32_t numero, const std::string& nombre, int codigoSistema,
                               const std::string& textoLlamador = {});

class cFile {
public:
    cFile() = default;
    ~cFile();
    cFile(const cFile&) = delete;
    cFile& operator=(const cFile&) = delete;

    // MANEJADOR_INVALIDO and an empty name when no file is open.
    ManejadorArchivo FileHandle() const { return handle_; }
    const std::string& FileName() const { return nombre_; }
    bool IsOpen() const { return handle_ != MANEJADOR_INVALIDO; }
    bool AutoFlush() const { return autoFlush_; }
    void SetAutoFlush(bool valor) { autoFlush_ = valor && IsOpen(); }
    // Whether the last OpenFile created the file (it did not exist before).
    bool Creado() const { return creado_; }
    // The file as it was when the last OpenFile opened it.
    const InfoNodo& Info() const { return info_; }

    // Read-only, or read/write creating the file when missing and never truncating it.
    [[nodiscard]] bool OpenFile(const std::string& ruta, bool soloLectura);
    // Read-only, the entry `nombre` of an open folder (see ArchivosBajoNivel::AbrirEn), never
    // through a link; `ruta` is the name failures and FileName() show.
    [[nodiscard]] bool OpenFileIn(ManejadorArchivo carpeta, const std::string& nombre,
                                  const std::string& ruta);
    // Takes over a handle the caller opened (a file made without a name, or under a hidden
    // one); `nombre` is what failures and FileName() show. False when a file is already open.
    [[nodiscard]] bool Adoptar(ManejadorArchivo h, const std::string& nombre, const InfoNodo& info,
                               bool creado);
    // Closing without an open file does nothing and succeeds. A failing close (a delayed write
    // error) is reported; the handle is released either way.
    bool CloseFile();
    // Exactly destino.size() bytes from the current position; the end of the file before that
    // is a failure.
    [[nodiscard]] bool ReadBytes(std::span<std::byte> destino);
    std::vector<std::byte> ReadBytes(std::uint32_t cuenta);  // empty on failure
    [[nodiscard]] bool WriteBytes(std::span<const std::byte> datos);
    [[nodiscard]] bool Flush();
    // Cuts or extends the file to `largo` bytes.
    [[nodiscard]] bool SetLength(std::int64_t largo);
    [[nodiscard]] bool SeekAbsolute(std::int32_t alto, std::uint32_t bajo);
    [[nodiscard]] bool SeekRelative(std::int32_t desplazamiento);

    const FalloArchivo& Fallo() const { return fallo_; }

private:
    bool SinArchivo();
    bool Fallar(std::int32_t numero, int codigoSistema, const std::string& texto = {});

    ManejadorArchivo handle_ = MANEJADOR_INVALIDO;
    std::string nombre_;
    bool autoFlush_ = false;
    bool creado_ = false;
    InfoNodo info_;
    FalloArchivo fallo_;
};

}  // namespace quirvex
