// The router's other half: the create and rename commands, the names-only walk of the file
// search and the folder tally's reads, each handing a share path to the SMB service and every
// other path to the local implementation. A share path never reaches a local system call.

#include <map>
#include <mutex>

#include "platform/archivo_bajo_nivel.h"
#include "platform/archivos_red.h"
#include "platform/smb.h"
#include "platform/vigilante.h"

namespace quirvex {
namespace {

std::string SinBarras(std::string ruta) {
    while (ruta.size() > 3 && ruta.back() == '/') ruta.pop_back();
    return ruta;
}

class ArchivosNuevosRed final : public ArchivosNuevos {
public:
    explicit ArchivosNuevosRed(ArchivosNuevos& local) : local_(local) {}

    // Opened with "create only when missing": a file the call did not make is left untouched.
    int CrearArchivoExclusivo(const std::string& ruta) override {
        if (!EsRutaRed(ruta)) return local_.CrearArchivoExclusivo(ruta);
        bool creado = false;
        ManejadorSmb h = 0;
        if (const int r = Smb().Abrir(SinBarras(ruta), true, creado, h)) return r;
        const int cierre = Smb().Cerrar(h);
        if (!creado) return BajoNivel().Codigo(ErrorComun::YaExiste);
        return cierre;
    }

    // The server replaces a file that holds the new name, so the name is looked at first; the
    // same entry under another case (a case-insensitive share) is the rename itself.
    int RenombrarSinReemplazar(const std::string& origen, const std::string& destino) override {
        const bool a = EsRutaRed(origen), b = EsRutaRed(destino);
        if (!a && !b) return local_.RenombrarSinReemplazar(origen, destino);
        if (a != b || RecursoDe(origen) != RecursoDe(destino))
            return BajoNivel().Codigo(ErrorComun::OtroDispositivo);
        EntradaSmb viejo, nuevo;
        if (const int r = Smb().Consultar(SinBarras(origen), viejo)) return r;
        if (Smb().Consultar(SinBarras(destino), nuevo) == 0 &&
            (nuevo.inodo == 0 || nuevo.inodo != viejo.inodo))
            return BajoNivel().Codigo(ErrorComun::YaExiste);
        return Smb().Renombrar(SinBarras(origen), SinBarras(destino));
    }

private:
    // "//host/share" of a path, the part a rename may not leave.
    static std::string RecursoDe(const std::string& ruta) {
        const std::string equipo = EquipoDeRuta(ruta);
        const auto fin = ruta.find('/', equipo.size() + 1);
        return fin == std::string::npos ? SinBarras(ruta) : ruta.substr(0, fin);
    }

    ArchivosNuevos& local_;
};

// A share has no links: its entries are folders or files.
class ListadoNombresRed final : public ListadoNombres {
public:
    explicit ListadoNombresRed(ListadoNombres& local) : local_(local) {}

    bool Listar(const std::string& carpeta,
                const std::function<bool(std::string_view, ClaseEntrada)>& porEntrada) override {
        if (!EsRutaRed(carpeta)) return local_.Listar(carpeta, porEntrada);
        std::vector<EntradaSmb> entradas;
        if (Smb().Listar(carpeta, entradas) != 0) return false;
        for (const EntradaSmb& e : entradas)
            if (!porEntrada(e.nombre, e.carpeta ? ClaseEntrada::Carpeta : ClaseEntrada::Archivo)) break;
        return true;
    }

private:
    ListadoNombres& local_;
};

// Share folders get negative handles below CARPETA_INVALIDA: a local one is a pointer.
class LectorCarpetasRed final : public LectorCarpetas {
public:
    explicit LectorCarpetasRed(LectorCarpetas& local) : local_(local) {}

    ManejadorCarpeta Abrir(ManejadorCarpeta padre, const std::string& nombre,
                           FalloCarpeta& fallo) override {
        std::string ruta;
        if (padre == CARPETA_INVALIDA && EsRutaRed(nombre)) ruta = SinBarras(nombre);
        else if (EsRed(padre)) ruta = Ruta(padre) + "/" + nombre;
        else return local_.Abrir(padre, nombre, fallo);
        EntradaSmb e;
        const int r = Smb().Consultar(ruta, e);
        if (r != 0 || !e.carpeta) {
            fallo = r != 0 && BajoNivel().Es(r, ErrorComun::NoExiste) ? FalloCarpeta::NoExiste
                                                                      : FalloCarpeta::Otro;
            return CARPETA_INVALIDA;
        }
        fallo = FalloCarpeta::Ninguno;
        std::lock_guard<std::mutex> l(m_);
        const ManejadorCarpeta h = siguiente_--;
        rutas_.emplace(h, ruta);
        return h;
    }

    bool Leer(ManejadorCarpeta carpeta, ContenidoCarpeta& c,
              const std::atomic<bool>* cancelar) override {
        if (!EsRed(carpeta)) return local_.Leer(carpeta, c, cancelar);
        c = ContenidoCarpeta{};
        std::vector<EntradaSmb> entradas;
        if (Smb().Listar(Ruta(carpeta) + "/", entradas) != 0) return false;
        for (EntradaSmb& e : entradas) {
            if (e.carpeta) {
                c.subcarpetas.push_back(std::move(e.nombre));
            } else {
                ++c.archivos;
                c.bytes += e.tamano;
            }
        }
        return !(cancelar && cancelar->load(std::memory_order_relaxed));
    }

    void Cerrar(ManejadorCarpeta carpeta) override {
        if (!EsRed(carpeta)) return local_.Cerrar(carpeta);
        std::lock_guard<std::mutex> l(m_);
        rutas_.erase(carpeta);
    }

private:
    static bool EsRed(ManejadorCarpeta h) { return h < CARPETA_INVALIDA; }

    std::string Ruta(ManejadorCarpeta h) {
        std::lock_guard<std::mutex> l(m_);
        const auto it = rutas_.find(h);
        return it == rutas_.end() ? std::string() : it->second;
    }

    LectorCarpetas& local_;
    std::mutex m_;
    std::map<ManejadorCarpeta, std::string> rutas_;
    ManejadorCarpeta siguiente_ = CARPETA_INVALIDA - 1;
};

// Nothing tells this machine when a share changes: its folders are not watched (a listing of
// one is always read again) and the local watch never sees their paths.
class VigilanteRed final : public Vigilante {
public:
    explicit VigilanteRed(std::unique_ptr<Vigilante> local) : local_(std::move(local)) {}
    int Descriptor() const override { return local_->Descriptor(); }
    int DescriptorMontajes() const override { return local_->DescriptorMontajes(); }
    bool Vigilar(const std::string& carpeta) override {
        return !EsRutaRed(carpeta) && local_->Vigilar(carpeta);
    }
    void Dejar(const std::string& carpeta) override {
        if (!EsRutaRed(carpeta)) local_->Dejar(carpeta);
    }
    std::vector<RegistroNotificacion> Leer() override { return local_->Leer(); }
    std::vector<RegistroNotificacion> LeerMontajes() override { return local_->LeerMontajes(); }

private:
    std::unique_ptr<Vigilante> local_;
};

}  // namespace

std::unique_ptr<Vigilante> VigilanteConRed(std::unique_ptr<Vigilante> local) {
    return std::make_unique<VigilanteRed>(std::move(local));
}

std::unique_ptr<ArchivosNuevos> ArchivosNuevosConRed(ArchivosNuevos& local) {
    return std::make_unique<ArchivosNuevosRed>(local);
}

std::unique_ptr<ListadoNombres> ListadoNombresConRed(ListadoNombres& local) {
    return std::make_unique<ListadoNombresRed>(local);
}

std::unique_ptr<LectorCarpetas> LectorCarpetasConRed(LectorCarpetas& local) {
    return std::make_unique<LectorCarpetasRed>(local);
}

}  // namespace quirvex
