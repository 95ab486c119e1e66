#include "operations/rutas_operacion.h"

#include "platform/archivo_bajo_nivel.h"
#include "folder/item_carpeta.h"

namespace quirvex {

std::string CambiarRaiz(const std::string& texto, const std::string& raizVieja,
                        const std::string& raizNueva) {
    const std::string vieja = AgregarBarra(raizVieja);
    if (texto.compare(0, vieja.size(), vieja) != 0) return texto;
    return AgregarBarra(raizNueva) + texto.substr(vieja.size());
}

std::string NombreLibre(const std::string& ruta, bool sinExtension) {
    std::string raiz = ruta;
    std::string sufijo;
    if (!ruta.empty() && ruta.back() == SepRuta && ruta.size() > 1) {
        raiz = ruta.substr(0, ruta.size() - 1);
        sufijo = std::string(1, SepRuta);
    } else if (!sinExtension) {
        const auto inicioNombre = ruta.rfind(SepRuta) == std::string::npos ? 0 : ruta.rfind(SepRuta) + 1;
        const auto punto = ruta.rfind('.');
        if (punto != std::string::npos && punto > inicioNombre) {
            raiz = ruta.substr(0, punto);
            sufijo = ruta.substr(punto);
        }
    }
    if (!Existe(ruta)) return ruta;
    for (long long n = 1;; ++n) {
        std::string candidato = raiz + " (" + std::to_string(n) + ")" + sufijo;
        if (!Existe(candidato)) return candidato;
    }
}

bool Existe(const std::string& ruta) {
    return BajoNivel().Consultar(SinBarraFinal(ruta)).tipo != TipoNodo::NoExiste;
}

bool ExisteArchivo(const std::string& ruta) {
    return BajoNivel().Consultar(SinBarraFinal(ruta)).tipo == TipoNodo::Archivo;
}

bool ExisteCarpeta(const std::string& ruta) {
    return BajoNivel().Consultar(SinBarraFinal(ruta)).tipo == TipoNodo::Carpeta;
}

std::int64_t TamanoArchivo(const std::string& ruta) {
    return BajoNivel().Consultar(SinBarraFinal(ruta)).tamano;
}

std::int64_t TamanoCarpeta(const std::string& ruta) {
    const std::string carpeta = AgregarBarra(ruta);
    std::vector<std::string> nombres;
    BajoNivel().ListarNombres(carpeta, nombres);
    std::int64_t total = 0;
    for (const std::string& nombre : nombres) {
        const InfoNodo info = BajoNivel().Consultar(carpeta + nombre);
        if (info.tipo == TipoNodo::Carpeta)
            total += TamanoCarpeta(carpeta + nombre);
        else
            total += info.tamano;  // 0 for links and anything that is not a regular file
    }
    return total;
}

int CrearRuta(const std::string& ruta) {
    const std::string completa = SinBarraFinal(ruta);
    if (completa.empty()) return BajoNivel().Codigo(ErrorComun::ArgumentoInvalido);
    std::size_t desde = completa.front() == SepRuta ? 1 : 0;
    for (;;) {
        const auto barra = completa.find(SepRuta, desde);
        const std::string parcial = completa.substr(0, barra);
        const InfoNodo info = BajoNivel().Consultar(parcial);
        if (info.tipo != TipoNodo::Carpeta && info.tipo != TipoNodo::Enlace) {
            const int error = BajoNivel().CrearCarpeta(parcial);
            if (error != 0 && !(BajoNivel().Es(error, ErrorComun::YaExiste) &&
                                BajoNivel().Consultar(parcial).tipo == TipoNodo::Carpeta))
                return error;
        }
        if (barra == std::string::npos) return 0;
        desde = barra + 1;
    }
}

bool DentroDe(const std::string& ruta, const std::string& carpeta) {
    std::string r = BajoNivel().RutaCanonica(ruta);
    std::string c = BajoNivel().RutaCanonica(carpeta);
    if (r.empty() || c.empty()) {
        r = ruta;
        c = carpeta;
    }
    const std::string prefijo = AgregarBarra(SinBarraFinal(c));
    if (AgregarBarra(SinBarraFinal(r)).compare(0, prefijo.size(), prefijo) == 0) return true;
    // The same folder can be reached by another path (a bind mount, a second mount of the same
    // file system): compare the device and inode of the folder with each ancestor of the path.
    const InfoNodo buscada = BajoNivel().Consultar(SinBarraFinal(carpeta));
    if (buscada.tipo != TipoNodo::Carpeta) return false;
    for (std::string paso = SinBarraFinal(r); !paso.empty(); paso = CarpetaDe(paso)) {
        const InfoNodo info = BajoNivel().Consultar(paso);
        if (info.tipo == TipoNodo::Carpeta && info.dispositivo == buscada.dispositivo &&
            info.inodo == buscada.inodo)
            return true;
        if (paso == "/") break;
    }
    return false;
}

}  // namespace quirvex
