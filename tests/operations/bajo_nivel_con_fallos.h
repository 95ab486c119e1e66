#pragma once
// The real low-level file calls with failures injected where a test asks: renames across file
// systems, a kernel copy that is not supported, reads and writes that fail, queries that are
// refused, and a folder whose names fold case the way FAT or a Windows share does. Installs
// itself for its lifetime.

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <functional>
#include <string>
#include <unistd.h>
#include <map>
#include <utility>
#include <vector>

#include "platform/archivo_bajo_nivel.h"

namespace quirvex::prueba {

class BajoNivelConFallos : public ArchivosBajoNivel {
public:
    BajoNivelConFallos() : real_(BajoNivel()) { SetBajoNivel(this); }
    ~BajoNivelConFallos() override { SetBajoNivel(nullptr); }

    // Renames between two folders fail as across file systems; within one folder they work.
    bool renombrarOtroDispositivo = false;
    bool sinCopiaKernel = false;
    int errorLectura = 0;
    int llamadasCopiaKernel = 0;
    // Each range sent early to disk, as (start, length).
    std::vector<std::pair<std::int64_t, std::int64_t>> adelantos;
    // Plain writes fail with this error once this many bytes have been written.
    int errorEscritura = 0;
    std::int64_t escribirAntesDeFallar = 0;
    std::int64_t escritos = 0;
    // Queries of these entry names fail with the error given.
    std::map<std::string, int> erroresConsulta;
    bool tiposDelListado = false;
    std::vector<std::string> borrarTrasListar;
    // Paths below this folder name their entries without regard to case (ASCII letters).
    std::string carpetaSinMayusculas;
    // The target's file system has no unnamed files: the hidden temporary name is used.
    bool sinArchivoSinNombre = false;
    // Owner changes fail with this error.
    int errorPropietario = 0;
    int llamadasSincronizar = 0;         // per-file syncs
    int llamadasSincronizarSistema = 0;  // file system syncs
    // Called before the target side makes a folder of that name, or gives a file its name.
    std::function<void(const std::string&)> antesDeCrearCarpeta;
    std::function<void(const std::string&)> antesDeNombrar;
    std::function<void()> alSincronizarSistema;

    ManejadorArchivo Abrir(const std::string& r, ModoApertura m, bool& c, int& e, InfoNodo& i) override {
        return real_.Abrir(Plegar(r), m, c, e, i);
    }
    int Cerrar(ManejadorArchivo h) override { return real_.Cerrar(h); }
    std::int64_t Leer(ManejadorArchivo h, void* d, std::size_t n, int& e) override {
        if (errorLectura) {
            e = errorLectura;
            return -1;
        }
        return real_.Leer(h, d, n, e);
    }
    std::int64_t Escribir(ManejadorArchivo h, const void* d, std::size_t n, int& e) override {
        if (errorEscritura && escritos + static_cast<std::int64_t>(n) > escribirAntesDeFallar) {
            e = errorEscritura;
            return -1;
        }
        escritos += static_cast<std::int64_t>(n);
        return real_.Escribir(h, d, n, e);
    }
    int Sincronizar(ManejadorArchivo h) override {
        ++llamadasSincronizar;
        return real_.Sincronizar(h);
    }
    int SincronizarSistema(ManejadorArchivo c) override {
        ++llamadasSincronizarSistema;
        if (alSincronizarSistema) alSincronizarSistema();
        return real_.SincronizarSistema(c);
    }
    int CambiarPropietario(ManejadorArchivo h, std::uint32_t p, std::uint32_t g) override {
        return errorPropietario ? errorPropietario : real_.CambiarPropietario(h, p, g);
    }
    int CopiarAtributos(ManejadorArchivo o, ManejadorArchivo d, std::vector<std::pair<std::string, int>>& p) override {
        return real_.CopiarAtributos(o, d, p);
    }
    int AplicarMetadatosEn(ManejadorArchivo c, const std::string& n, const InfoNodo& o, bool p) override {
        return real_.AplicarMetadatosEn(c, PlegarEn(c, n), o, p);
    }
    int CrearCarpetaEn(ManejadorArchivo c, const std::string& n) override {
        if (antesDeCrearCarpeta) antesDeCrearCarpeta(n);
        return real_.CrearCarpetaEn(c, PlegarEn(c, n));
    }
    ManejadorArchivo AbrirCarpetaElegida(const std::string& r, int& e) override {
        return real_.AbrirCarpetaElegida(Plegar(r), e);
    }
    ManejadorArchivo CrearSinNombreEn(ManejadorArchivo c, int& e, InfoNodo& i) override {
        if (!sinArchivoSinNombre) return real_.CrearSinNombreEn(c, e, i);
        e = EOPNOTSUPP;
        return MANEJADOR_INVALIDO;
    }
    ManejadorArchivo CrearExclusivoEn(ManejadorArchivo c, const std::string& n, int& e, InfoNodo& i) override {
        return real_.CrearExclusivoEn(c, PlegarEn(c, n), e, i);
    }
    int EnlazarEn(ManejadorArchivo h, ManejadorArchivo c, const std::string& n) override {
        if (antesDeNombrar) antesDeNombrar(n);
        return real_.EnlazarEn(h, c, PlegarEn(c, n));
    }
    int EnlazarNombreEn(ManejadorArchivo co, const std::string& o, ManejadorArchivo c, const std::string& n) override {
        return real_.EnlazarNombreEn(co, o, c, PlegarEn(c, n));
    }
    int RenombrarEn(ManejadorArchivo co, const std::string& o, ManejadorArchivo c, const std::string& n,
                    bool r) override {
        if (co == MANEJADOR_INVALIDO && c == MANEJADOR_INVALIDO) {
            const bool otro = o.substr(0, o.rfind('/')) != n.substr(0, n.rfind('/'));
            if (renombrarOtroDispositivo && otro) return EXDEV;
            return real_.RenombrarEn(co, o, c, Plegar(n), r);
        }
        if (antesDeNombrar && o.rfind(".quirvex-part-", 0) == 0) antesDeNombrar(n);
        return real_.RenombrarEn(co, o, c, PlegarEn(c, n), r);
    }
    int CrearEnlaceEn(const std::string& d, ManejadorArchivo c, const std::string& n) override {
        return real_.CrearEnlaceEn(d, c, PlegarEn(c, n));
    }
    int CrearEspecialEn(ManejadorArchivo c, const std::string& n, const InfoNodo& o) override {
        return real_.CrearEspecialEn(c, PlegarEn(c, n), o);
    }
    void AdelantarEscritura(ManejadorArchivo h, std::int64_t desde, std::int64_t n) override {
        adelantos.emplace_back(desde, n);
        real_.AdelantarEscritura(h, desde, n);
    }
    int Truncar(ManejadorArchivo h, std::int64_t l) override { return real_.Truncar(h, l); }
    std::int64_t Posicionar(ManejadorArchivo h, std::int64_t d, bool i, int& e) override {
        return real_.Posicionar(h, d, i, e);
    }
    ResultadoTramo CopiarTramo(ManejadorArchivo o, ManejadorArchivo d, std::size_t n) override {
        ++llamadasCopiaKernel;
        if (sinCopiaKernel) {
            ResultadoTramo r;
            r.sinSoporte = true;
            return r;
        }
        return real_.CopiarTramo(o, d, n);
    }
    int CopiarMetadatos(const InfoNodo& o, ManejadorArchivo d, const InfoNodo& a) override {
        return real_.CopiarMetadatos(o, d, a);
    }
    int AplicarMetadatos(const InfoNodo& o, const std::string& r) override {
        return real_.AplicarMetadatos(o, Plegar(r));
    }
    InfoNodo ConsultarAbierto(ManejadorArchivo h) override { return real_.ConsultarAbierto(h); }
    int RangosDatos(ManejadorArchivo h, std::int64_t l, std::vector<RangoDatos>& r) override {
        return real_.RangosDatos(h, l, r);
    }
    ManejadorArchivo AbrirCarpeta(ManejadorArchivo c, const std::string& n, int& e) override {
        return real_.AbrirCarpeta(c, c == MANEJADOR_INVALIDO ? Plegar(n) : n, e);
    }
    int ListarEn(ManejadorArchivo c, std::vector<std::string>& n) override { return real_.ListarEn(c, n); }
    // Only when asked, the types the real listing gives; each name of borrarTrasListar is then
    // deleted, as if by someone else between the listing and the copy.
    int ListarEnConTipos(ManejadorArchivo c, std::vector<std::string>& n, std::vector<TipoNodo>& t) override {
        if (!tiposDelListado) return ArchivosBajoNivel::ListarEnConTipos(c, n, t);
        const int error = real_.ListarEnConTipos(c, n, t);
        for (const std::string& nombre : borrarTrasListar) real_.BorrarEn(c, nombre, false);
        return error;
    }
    InfoNodo ConsultarEn(ManejadorArchivo c, const std::string& n) override {
        if (const InfoNodo f = Rehusada(n); f.error) return f;
        return real_.ConsultarEn(c, c == MANEJADOR_INVALIDO ? Plegar(n) : PlegarEn(c, n));
    }
    ManejadorArchivo AbrirEn(ManejadorArchivo c, const std::string& n, int& e, InfoNodo& i) override {
        return real_.AbrirEn(c, n, e, i);
    }
    int BorrarEn(ManejadorArchivo c, const std::string& n, bool d) override {
        return real_.BorrarEn(c, c == MANEJADOR_INVALIDO ? Plegar(n) : PlegarEn(c, n), d);
    }
    int LeerEnlaceEn(ManejadorArchivo c, const std::string& n, std::string& d) override {
        return real_.LeerEnlaceEn(c, n, d);
    }
    InfoNodo Consultar(const std::string& r) override {
        if (const InfoNodo f = Rehusada(r); f.error) return f;
        return real_.Consultar(Plegar(r));
    }
    int Renombrar(const std::string& o, const std::string& d) override {
        const bool otro = o.substr(0, o.rfind('/')) != d.substr(0, d.rfind('/'));
        return renombrarOtroDispositivo && otro ? EXDEV : real_.Renombrar(o, Plegar(d));
    }
    int BorrarArchivo(const std::string& r) override { return real_.BorrarArchivo(Plegar(r)); }
    int BorrarCarpetaVacia(const std::string& r) override { return real_.BorrarCarpetaVacia(Plegar(r)); }
    int CrearCarpeta(const std::string& r) override { return real_.CrearCarpeta(Plegar(r)); }
    int ListarNombres(const std::string& c, std::vector<std::string>& n) override {
        return real_.ListarNombres(Plegar(c), n);
    }
    int LeerEnlace(const std::string& r, std::string& d) override { return real_.LeerEnlace(r, d); }
    int CrearEnlace(const std::string& d, const std::string& r) override {
        return real_.CrearEnlace(d, Plegar(r));
    }
    std::string RutaCanonica(const std::string& r) override { return real_.RutaCanonica(r); }
    std::string DescripcionError(int c) override { return real_.DescripcionError(c); }
    int Codigo(ErrorComun e) override { return real_.Codigo(e); }
    bool Es(int c, ErrorComun e) override { return real_.Es(c, e); }

private:
    InfoNodo Rehusada(const std::string& ruta) const {
        InfoNodo info;
        const std::string nombre = ruta.substr(ruta.rfind('/') + 1);
        if (const auto f = erroresConsulta.find(nombre); f != erroresConsulta.end()) info.error = f->second;
        return info;
    }
    static std::string Minusculas(std::string s) {
        std::transform(s.begin(), s.end(), s.begin(), [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
        return s;
    }
    // Each name below the folding folder becomes the existing entry that differs only in case.
    std::string Plegar(const std::string& ruta) {
        const std::string base = carpetaSinMayusculas + "/";
        if (carpetaSinMayusculas.empty() || ruta.compare(0, base.size(), base) != 0) return ruta;
        std::string hecho = carpetaSinMayusculas;
        std::size_t desde = base.size();
        while (desde <= ruta.size()) {
            std::size_t barra = ruta.find('/', desde);
            if (barra == std::string::npos) barra = ruta.size();
            std::string nombre = ruta.substr(desde, barra - desde);
            std::vector<std::string> nombres;
            real_.ListarNombres(hecho, nombres);
            for (const std::string& n : nombres)
                if (Minusculas(n) == Minusculas(nombre)) nombre = n;
            hecho += "/" + nombre;
            desde = barra + 1;
        }
        return hecho;
    }

    // The same for a name inside an open folder, which is found by the folder's path.
    std::string PlegarEn(ManejadorArchivo c, const std::string& nombre) {
        if (carpetaSinMayusculas.empty() || c == MANEJADOR_INVALIDO) return nombre;
        char ruta[4096];
        const std::string propio = "/proc/self/fd/" + std::to_string(c);
        const ssize_t n = ::readlink(propio.c_str(), ruta, sizeof ruta - 1);
        if (n <= 0) return nombre;
        const std::string carpeta(ruta, static_cast<std::size_t>(n));
        const std::string plegada = Plegar(carpeta + "/" + nombre);
        return plegada.compare(0, carpeta.size() + 1, carpeta + "/") == 0 ? plegada.substr(carpeta.size() + 1) : nombre;
    }

    ArchivosBajoNivel& real_;
};

}  // namespace quirvex::prueba
