#pragma once
// The real low-level file calls with failures injected where a test asks: renames across file
// systems, a kernel copy that is not supported, reads that fail. Installs itself for its
// lifetime.

#include <cerrno>

#include "platform/archivo_bajo_nivel.h"

namespace quirvex::prueba {

class BajoNivelConFallos final : public ArchivosBajoNivel {
public:
    BajoNivelConFallos() : real_(BajoNivel()) { SetBajoNivel(this); }
    ~BajoNivelConFallos() override { SetBajoNivel(nullptr); }

    bool renombrarOtroDispositivo = false;
    bool sinCopiaKernel = false;
    int errorLectura = 0;
    int llamadasCopiaKernel = 0;

    ManejadorArchivo Abrir(const std::string& r, ModoApertura m, bool& c, int& e) override {
        return real_.Abrir(r, m, c, e);
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
        return real_.Escribir(h, d, n, e);
    }
    int Sincronizar(ManejadorArchivo h) override { return real_.Sincronizar(h); }
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
    int CopiarMetadatos(const std::string& o, ManejadorArchivo d) override {
        return real_.CopiarMetadatos(o, d);
    }
    InfoNodo Consultar(const std::string& r) override { return real_.Consultar(r); }
    int Renombrar(const std::string& o, const std::string& d) override {
        return renombrarOtroDispositivo ? EXDEV : real_.Renombrar(o, d);
    }
    int BorrarArchivo(const std::string& r) override { return real_.BorrarArchivo(r); }
    int BorrarCarpetaVacia(const std::string& r) override { return real_.BorrarCarpetaVacia(r); }
    int CrearCarpeta(const std::string& r) override { return real_.CrearCarpeta(r); }
    int ListarNombres(const std::string& c, std::vector<std::string>& n) override {
        return real_.ListarNombres(c, n);
    }
    int LeerEnlace(const std::string& r, std::string& d) override { return real_.LeerEnlace(r, d); }
    int CrearEnlace(const std::string& d, const std::string& r) override {
        return real_.CrearEnlace(d, r);
    }
    std::string RutaCanonica(const std::string& r) override { return real_.RutaCanonica(r); }
    std::string DescripcionError(int c) override { return real_.DescripcionError(c); }
    int Codigo(ErrorComun e) override { return real_.Codigo(e); }
    bool Es(int c, ErrorComun e) override { return real_.Es(c, e); }

private:
    ArchivosBajoNivel& real_;
};

}  // namespace quirvex::prueba
