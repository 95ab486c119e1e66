#include "operations/rutas_operacion.h"

#include <algorithm>

#include "platform/archivo_bajo_nivel.h"
#include "folder/item_carpeta.h"

namespace quirvex {

std::string CambiarRaiz(const std::string& texto, const std::string& raizVieja,
                        const std::string& raizNueva) {
    const std::string vieja = AgregarBarra(raizVieja);
    if (texto.compare(0, vieja.size(), vieja) != 0) return texto;
    return AgregarBarra(raizNueva) + texto.substr(vieja.size());
}

std::string CandidatoLibre(const std::string& nombre, long long n, bool sinExtension) {
    if (n == 0) return nombre;
    std::string raiz = nombre;
    std::string sufijo;
    const auto punto = nombre.rfind('.');
    if (!sinExtension && punto != std::string::npos && punto > 0) {
        raiz = nombre.substr(0, punto);
        sufijo = nombre.substr(punto);
    }
    const std::string marca = " (" + std::to_string(n) + ")";
    const std::size_t cabe = LARGO_MAXIMO_NOMBRE - marca.size();
    if (raiz.size() + sufijo.size() > cabe) {
        if (sufijo.size() >= cabe) {  // an "extension" that long is part of the stem
            raiz += sufijo;
            sufijo.clear();
        }
        std::size_t largo = std::min(raiz.size(), cabe - sufijo.size());
        while (largo > 0 && largo < raiz.size() && (static_cast<unsigned char>(raiz[largo]) & 0xC0) == 0x80)
            --largo;
        raiz.resize(largo);
    }
    return raiz + marca + sufijo;
}

std::string NombreLibre(const std::string& ruta, bool sinExtension) {
    if (!Existe(ruta)) return ruta;
    const bool barra = ruta.size() > 1 && ruta.back() == SepRuta;
    const std::string limpia = barra ? ruta.substr(0, ruta.size() - 1) : ruta;
    const auto corte = limpia.rfind(SepRuta);
    const std::string carpeta = corte == std::string::npos ? std::string() : limpia.substr(0, corte + 1);
    const std::string nombre = limpia.substr(carpeta.size());
    for (long long n = 1;; ++n) {
        std::string candidato = carpeta + CandidatoLibre(nombre, n, sinExtension || barra);
        if (barra) candidato += SepRuta;
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
