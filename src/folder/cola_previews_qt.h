#pragma once
// cColaPreviews: decodes picture previews on a small pool of threads so that painting never
// waits for a picture file. One per pane (through its cCacheIconos).
//
// Requests are made and results delivered on the user-interface thread, and decoding starts
// when that thread's event loop comes round again; a queue made to wait for painting starts
// only once its owner says the surface that asked has been painted (Pintado), so that the
// frame is on screen before the decoders take the processors. Only the decoding
// (VistaPreviaCompartida, which touches nothing but the file, the shared thumbnail cache and
// QImage) runs on the pool.
// The requests made since the last Conservar or Descartar form the newest batch, and the
// newest batch is decoded first, in the order it was asked for: the rows that just came into
// view come before the rows painted earlier. Conservar drops the waiting requests of items that
// are no longer on screen, Descartar drops them all (another folder); a decode already running
// is finished, and its result is still delivered for the cache to judge.
//
// Destroying the queue drops what waits; a decode that is running meanwhile ends on its own
// and its result is thrown away, so the pane that owned the queue may go at any time.

#include <QImage>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

class QObject;

namespace quirvex {

struct LoteMiniaturas;

struct PedidoPreview {
    std::string ruta;          // the file, exact bytes
    std::string nombre;        // its name, the cache's key inside the slot
    int tamano = 0;            // box side in pixels
    std::int64_t fecha = 0;    // modification time the picture belongs to
    int ranura = -1;           // cache slot and the visit of that slot that asked
    std::uint64_t visita = 0;
    int item = -1;             // the pane's item index when asked, -1 when unknown
};

struct ResultadoPreview {
    PedidoPreview pedido;
    QImage imagen;  // null when the file could not be read as a picture
};

// The shared cache's thumbnails of some files in boxes of `tamano` (MiniaturaCompartida), read
// on the preview pool from construction on: the previews of a screen, read while the window's
// thread paints the rest of it (that thread only waits for them, it reads no file). Nothing is
// decoded from the pictures themselves, so on a local disk the whole takes a few milliseconds.
// When the pool has no thread free (another pane decoding), nothing is read and Recoger does
// not wait. Destroying it stops the reading; the pool's tasks may outlive it and keep nothing.
class cLecturaMiniaturas {
public:
    cLecturaMiniaturas(std::vector<std::string> rutas, int tamano);
    ~cLecturaMiniaturas();
    cLecturaMiniaturas(const cLecturaMiniaturas&) = delete;
    cLecturaMiniaturas& operator=(const cLecturaMiniaturas&) = delete;
    // Once: returns when every thumbnail is read or limiteMs have passed, one image per path,
    // null where the cache holds no current thumbnail or it was not read in time.
    std::vector<QImage> Recoger(int limiteMs);

private:
    std::shared_ptr<LoteMiniaturas> lote_;
    int lanzadas_ = 0;  // pool threads reading
};

class cColaPreviews {
public:
    using FuncionListo = std::function<void(ResultadoPreview&&)>;

    // listo runs on the calling (user-interface) thread once per finished decode. hilos: the
    // decodes that may run at once for this queue; 0 takes one per processor, at most 4.
    // esperarPintura: decoding starts only after Pintado, never on a request alone.
    explicit cColaPreviews(FuncionListo listo, int hilos = 0, bool esperarPintura = false);
    ~cColaPreviews();
    cColaPreviews(const cColaPreviews&) = delete;
    cColaPreviews& operator=(const cColaPreviews&) = delete;

    // Asks for a preview. The same picture asked again while it waits moves into the newest
    // batch; while it is being decoded, or after its result came, asking again decodes it again.
    void Pedir(PedidoPreview pedido);
    // Drops the waiting requests of items outside desde..hasta (requests without an item stay)
    // and starts a new batch.
    void Conservar(int desde, int hasta);
    // Drops every waiting request and starts a new batch.
    void Descartar();
    // The surface that asked has been painted: what waits starts decoding at the next turn of
    // the event loop.
    void Pintado();

    // Requests waiting, decodes running.
    int Esperando() const;
    int Decodificando() const;
    // Decodes finished since construction (delivered or not).
    std::int64_t Decodificados() const;
    int Hilos() const { return hilos_; }

private:
    struct Estado;
    void ProgramarArranque();
    void Arrancar();
    static void Trabajar(const std::shared_ptr<Estado>& estado);

    std::shared_ptr<Estado> estado_;
    std::unique_ptr<QObject> receptor_;  // results are posted to it; gone with the queue
    int hilos_;
    bool esperarPintura_;
};

}  // namespace quirvex
