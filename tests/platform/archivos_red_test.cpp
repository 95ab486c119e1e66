// Share paths routed to the SMB service: loading, credentials and the operation engine, against
// a share kept in memory.

#include "platform/archivos_red.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cerrno>
#include <cstring>
#include <deque>
#include <map>
#include <set>
#include <thread>

#include "operations/tareas.h"
#include "platform/smb.h"
#include "settings/idioma.h"
#include "support/carpeta_temporal.h"
#include "support/fakes.h"

namespace quirvex {
namespace {

// One server "srv" with the share "pub" open to guests and the share "priv" for one user.
// Paths are kept without trailing separators.
class SmbEnMemoria final : public ServicioSmb {
public:
    SmbEnMemoria() { carpetas = {"//srv/pub", "//srv/priv"}; }

    int Listar(const std::string& carpeta, std::vector<EntradaSmb>& entradas) override {
        const std::string c = Limpia(carpeta);
        if (int r = Permiso(c)) return r;
        if (c == "//srv") {
            entradas = {Carpeta("pub"), Carpeta("priv")};
            return 0;
        }
        if (!carpetas.count(c)) return ENOENT;
        entradas.clear();
        for (const auto& d : carpetas)
            if (Padre(d) == c) entradas.push_back(Carpeta(Nombre(d)));
        for (const auto& [ruta, datos] : archivos)
            if (Padre(ruta) == c) {
                EntradaSmb e;
                e.nombre = Nombre(ruta);
                e.tamano = static_cast<std::int64_t>(datos.size());
                e.modificado = 1'700'000'000'000'000'000;
                entradas.push_back(e);
            }
        return 0;
    }
    int Consultar(const std::string& ruta, EntradaSmb& e) override {
        const std::string r = Limpia(ruta);
        if (int p = Permiso(r)) return p;
        e = EntradaSmb{};
        e.nombre = Nombre(r);
        if (carpetas.count(r) || r == "//srv") {
            e.carpeta = true;
            return 0;
        }
        const auto it = archivos.find(r);
        if (it == archivos.end()) return ENOENT;
        e.tamano = static_cast<std::int64_t>(it->second.size());
        e.inodo = std::hash<std::string>{}(r);
        return 0;
    }
    int Abrir(const std::string& ruta, bool escribir, bool& creado, ManejadorSmb& h) override {
        const std::string r = Limpia(ruta);
        if (int p = Permiso(r)) return p;
        creado = false;
        if (!archivos.count(r)) {
            if (!escribir) return ENOENT;
            if (!carpetas.count(Padre(r))) return ENOENT;
            archivos[r];
            creado = true;
        }
        h = ++ultimo;
        abiertos[h] = {r, 0};
        return 0;
    }
    std::int64_t Leer(ManejadorSmb h, void* datos, std::size_t n, int& error) override {
        auto it = abiertos.find(h);
        if (it == abiertos.end()) return error = EBADF, -1;
        const std::string& d = archivos[it->second.first];
        const std::size_t pos = std::min(it->second.second, d.size());
        const std::size_t k = std::min(n, d.size() - pos);
        std::memcpy(datos, d.data() + pos, k);
        it->second.second = pos + k;
        return static_cast<std::int64_t>(k);
    }
    std::int64_t Escribir(ManejadorSmb h, const void* datos, std::size_t n, int& error) override {
        auto it = abiertos.find(h);
        if (it == abiertos.end()) return error = EBADF, -1;
        std::string& d = archivos[it->second.first];
        if (d.size() < it->second.second + n) d.resize(it->second.second + n);
        std::memcpy(d.data() + it->second.second, datos, n);
        it->second.second += n;
        return static_cast<std::int64_t>(n);
    }
    std::int64_t Posicionar(ManejadorSmb h, std::int64_t desp, bool inicio, int& error) override {
        auto it = abiertos.find(h);
        if (it == abiertos.end()) return error = EBADF, -1;
        it->second.second = static_cast<std::size_t>((inicio ? 0 : static_cast<std::int64_t>(it->second.second)) + desp);
        return static_cast<std::int64_t>(it->second.second);
    }
    int Truncar(ManejadorSmb h, std::int64_t largo) override {
        auto it = abiertos.find(h);
        if (it == abiertos.end()) return EBADF;
        archivos[it->second.first].resize(static_cast<std::size_t>(largo));
        return 0;
    }
    int Cerrar(ManejadorSmb h) override { return abiertos.erase(h) ? 0 : EBADF; }
    int CrearCarpeta(const std::string& ruta) override {
        const std::string r = Limpia(ruta);
        if (carpetas.count(r) || archivos.count(r)) return EEXIST;
        if (!carpetas.count(Padre(r))) return ENOENT;
        carpetas.insert(r);
        return 0;
    }
    int BorrarArchivo(const std::string& ruta) override { return archivos.erase(Limpia(ruta)) ? 0 : ENOENT; }
    int BorrarCarpeta(const std::string& ruta) override {
        const std::string r = Limpia(ruta);
        for (const auto& [a, d] : archivos)
            if (Padre(a) == r) return ENOTEMPTY;
        for (const auto& c : carpetas)
            if (Padre(c) == r) return ENOTEMPTY;
        return carpetas.erase(r) ? 0 : ENOENT;
    }
    int Renombrar(const std::string& origen, const std::string& destino) override {
        const std::string a = Limpia(origen), b = Limpia(destino);
        auto it = archivos.find(a);
        if (it == archivos.end()) return ENOENT;
        archivos[b] = it->second;
        archivos.erase(a);
        renombrados.push_back(a + ">" + b);
        return 0;
    }
    int FijarModificado(const std::string&, std::int64_t) override { return 0; }
    std::vector<GrupoRed> ExplorarRed() override { return {}; }
    void SetCredenciales(const std::string& servidor, const std::string& u,
                         const std::string& c) override {
        dados.push_back(servidor + ":" + u + ":" + c);
        usuarioDado = u;
        claveDada = c;
    }
    bool EsAccesoDenegado(int codigo) override { return codigo == EACCES; }
    bool EsTiempoAgotado(int codigo) override { return codigo == ETIMEDOUT; }

    std::map<std::string, std::string> archivos;
    std::set<std::string> carpetas;
    std::vector<std::string> dados, renombrados;
    std::string usuarioDado, claveDada;

private:
    static std::string Limpia(std::string r) {
        while (r.size() > 2 && r.back() == '/') r.pop_back();
        // The port is the server's business, not the share's.
        const auto dos = r.find(':');
        if (dos != std::string::npos) r.erase(dos, r.find('/', dos) - dos);
        return r;
    }
    static std::string Padre(const std::string& r) { return r.substr(0, r.rfind('/')); }
    static std::string Nombre(const std::string& r) { return r.substr(r.rfind('/') + 1); }
    static EntradaSmb Carpeta(const std::string& n) {
        EntradaSmb e;
        e.nombre = n;
        e.carpeta = true;
        return e;
    }
    int Permiso(const std::string& r) const {
        const bool privada = r.rfind("//srv/priv", 0) == 0;
        return privada && (usuarioDado != "ana" || claveDada != "buena") ? EACCES : 0;
    }

    std::map<ManejadorSmb, std::pair<std::string, std::size_t>> abiertos;
    ManejadorSmb ultimo = 0;
};

class DialogosCredenciales final : public Dialogos {
public:
    DialogosCredenciales() { SetDialogos(this); }
    ~DialogosCredenciales() override { SetDialogos(nullptr); }
    Respuesta Mensaje(const std::string&, const std::string&, Botones, IconoMensaje) override {
        return Respuesta::Aceptar;
    }
    bool PedirCredenciales(const std::string& servidor, const std::string& aviso,
                           std::string& usuario, std::string& clave) override {
        pedidos.push_back(servidor + "|" + aviso);
        if (respuestas.empty()) return false;
        usuario = respuestas.front().first;
        clave = respuestas.front().second;
        respuestas.pop_front();
        return true;
    }
    std::deque<std::pair<std::string, std::string>> respuestas;
    std::vector<std::string> pedidos;
};

class ArchivosRedTest : public ::testing::Test {
protected:
    void SetUp() override {
        CargarIdioma(IdiomasIncorporados()[0].texto);
        SetSmb(&smb);
        SetSistemaArchivos(sistema.get());
        SetBajoNivel(bajo.get());
    }
    void TearDown() override {
        SetBajoNivel(nullptr);
        SetSistemaArchivos(nullptr);
        SetSmb(nullptr);
    }
    std::vector<EntradaDirectorio> Listar(const std::string& carpeta, bool* ok = nullptr) {
        std::vector<EntradaDirectorio> r;
        const bool hecho = Archivos().Listar(carpeta, [&](EntradaDirectorio&& e) { r.push_back(std::move(e)); });
        if (ok) *ok = hecho;
        return r;
    }

    SmbEnMemoria smb;
    // Both wrap the real local implementations (what Archivos() and BajoNivel() are before
    // this test replaces them), so a share handle that leaked to the local side would fail.
    std::unique_ptr<SistemaArchivos> sistema = SistemaArchivosConRed(Archivos());
    std::unique_ptr<ArchivosBajoNivel> bajo = BajoNivelConRed(BajoNivel());
    prueba::CarpetaTemporal tmp;
};

TEST(RutasRed, OnlyTwoLeadingSeparatorsAndAHostMakeANetworkPath) {
    EXPECT_TRUE(EsRutaRed("//srv/pub/a"));
    EXPECT_TRUE(EsRutaRed("//srv"));
    EXPECT_FALSE(EsRutaRed("/srv/pub"));
    EXPECT_FALSE(EsRutaRed("///srv"));
    EXPECT_FALSE(EsRutaRed("//"));
    EXPECT_EQ(ServidorDeRuta("//127.0.0.1:4450/pub/x"), "127.0.0.1");
    EXPECT_EQ(ServidorDeRuta("//[::1]:4450/pub"), "[::1]");
    EXPECT_EQ(ServidorDeRuta("/home/x"), "");
    EXPECT_EQ(EquipoDeRuta("//127.0.0.1:4450/pub/x"), "//127.0.0.1:4450");
    EXPECT_EQ(EquipoDeRuta("//nas"), "//nas");
}

TEST(EsperaRed, TheCallerLeavesOnlyWithTheAnswerWhateverTheInstalledWaitDoes) {
    std::atomic<bool> listo{false};
    int llamadas = 0;
    bool esperandoDentro = false;
    SetEsperaRed([&](const std::function<bool()>&) {
        ++llamadas;
        esperandoDentro = EsperandoRed();
    });  // gives up at once
    std::thread otro([&] {
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
        listo = true;
    });
    EsperarRed([&] { return listo.load(); });
    otro.join();
    SetEsperaRed(nullptr);
    EXPECT_TRUE(listo.load());
    EXPECT_EQ(llamadas, 1);
    EXPECT_TRUE(esperandoDentro);
    EXPECT_FALSE(EsperandoRed());
}

TEST_F(ArchivosRedTest, ASharePathListsFromTheServiceAndALocalOneFromTheDisk) {
    smb.archivos["//srv/pub/.oculto"] = "abc";
    smb.archivos["//srv/pub/datos.bin"] = std::string(70, 'x');
    smb.carpetas.insert("//srv/pub/sub");
    bool ok = false;
    std::map<std::string, EntradaDirectorio> porNombre;
    for (auto& e : Listar("//srv:4450/pub/", &ok)) porNombre[e.nombre] = e;
    ASSERT_TRUE(ok);
    ASSERT_EQ(porNombre.size(), 3u);
    EXPECT_EQ(porNombre["sub"].atributos, ATR_DIRECTORIO);
    EXPECT_EQ(porNombre[".oculto"].atributos, ATR_ARCHIVO | ATR_OCULTO);
    EXPECT_EQ(porNombre["datos.bin"].tamano, 70);
    EXPECT_NE(porNombre["datos.bin"].modificacion, 0);
    // The computer is remembered for the network list.
    const auto equipos = EquiposVisitados();
    EXPECT_NE(std::find(equipos.begin(), equipos.end(), "//srv:4450"), equipos.end());

    tmp.Archivo("local.txt");
    const auto locales = Listar(tmp.Ruta(), &ok);
    ASSERT_TRUE(ok);
    ASSERT_EQ(locales.size(), 1u);
    EXPECT_EQ(locales[0].nombre, "local.txt");

    EXPECT_FALSE(Archivos().Accesible("//srv/nada/"));
    Listar("//srv/nada/", &ok);
    EXPECT_FALSE(ok);
    // A share's listing is never trusted from one visit to the next.
    EXPECT_FALSE(Archivos().Sello("//srv/pub/").has_value());
}

TEST_F(ArchivosRedTest, ARefusedShareAsksForCredentialsUntilTheyWorkOrTheUserCancels) {
    DialogosCredenciales d;
    EXPECT_TRUE(Archivos().Accesible("//srv:4450/pub/"));
    EXPECT_TRUE(d.pedidos.empty());

    EXPECT_FALSE(Archivos().Accesible("//srv:4450/priv/"));
    EXPECT_EQ(d.pedidos, (std::vector<std::string>{"srv|"}));

    d.pedidos.clear();
    d.respuestas = {{"ana", "mala"}, {"ana", "buena"}};
    smb.archivos["//srv/priv/x"] = "1";
    bool ok = false;
    const auto entradas = Listar("//srv:4450/priv/", &ok);
    EXPECT_TRUE(ok);
    ASSERT_EQ(entradas.size(), 1u);
    EXPECT_EQ(d.pedidos, (std::vector<std::string>{"srv|", std::string("srv|") + TEXTO_ACCESO_DENEGADO}));
    EXPECT_EQ(smb.dados, (std::vector<std::string>{"srv:ana:mala", "srv:ana:buena"}));
    EXPECT_TRUE(Archivos().Accesible("//srv:4450/priv/"));
    EXPECT_EQ(d.pedidos.size(), 2u);
}

TEST_F(ArchivosRedTest, TheEngineCopiesAndMovesBetweenADiskAndAShare) {
    const std::string datos = [] {
        std::string s(10000, '\0');
        for (size_t k = 0; k < s.size(); ++k) s[k] = static_cast<char>(k * 7 + k / 251);
        return s;
    }();
    const std::string fuente = tmp.Archivo("fuente.bin");
    {
        std::FILE* f = std::fopen(fuente.c_str(), "wb");
        std::fwrite(datos.data(), 1, datos.size(), f);
        std::fclose(f);
    }
    tmp.Carpeta("arbol/hoja");
    tmp.Archivo("arbol/hoja/h.txt", 5);

    cTareas t;
    t.SetTamanoTramo(4096);  // several chunks, and the large-file path with its temporary name
    const auto i = t.AgregarOperacion(TIPO_COPIAR, "", "//srv/pub/", {fuente, tmp.Ruta("arbol")});
    t.tIni_Timer();
    EXPECT_EQ(t.Operaciones()[static_cast<size_t>(i)].NumErrores, 0) << t.TextoErrores(i);
    EXPECT_EQ(smb.archivos["//srv/pub/fuente.bin"], datos);
    EXPECT_EQ(smb.archivos["//srv/pub/arbol/hoja/h.txt"].size(), 5u);
    for (const auto& [ruta, d] : smb.archivos)
        EXPECT_EQ(ruta.find(PREFIJO_TEMPORAL), std::string::npos) << ruta;

    // Moved back: the share keeps it until the local copy is whole.
    tmp.Carpeta("vuelta");
    const auto j = t.AgregarOperacion(TIPO_MOVER, "", tmp.Ruta("vuelta/"),
                                      {"//srv/pub/fuente.bin", "//srv/pub/arbol"});
    t.tIni_Timer();
    EXPECT_EQ(t.Operaciones()[static_cast<size_t>(j)].NumErrores, 0) << t.TextoErrores(j);
    std::string vuelta(datos.size() + 1, '\0');
    std::FILE* f = std::fopen(tmp.Ruta("vuelta/fuente.bin").c_str(), "rb");
    ASSERT_NE(f, nullptr);
    vuelta.resize(std::fread(vuelta.data(), 1, vuelta.size(), f));
    std::fclose(f);
    EXPECT_EQ(vuelta, datos);
    EXPECT_EQ(smb.archivos.count("//srv/pub/fuente.bin"), 0u);
    EXPECT_EQ(smb.carpetas.count("//srv/pub/arbol"), 0u);
    EXPECT_EQ(smb.archivos.count("//srv/pub/arbol/hoja/h.txt"), 0u);
}

TEST_F(ArchivosRedTest, RenamesStayOnTheirShareAndCrossingOneCopiesInstead) {
    smb.archivos["//srv/pub/a"] = "a";
    EXPECT_EQ(BajoNivel().Renombrar("//srv/pub/a", "//srv/pub/b"), 0);
    EXPECT_EQ(smb.renombrados, (std::vector<std::string>{"//srv/pub/a>//srv/pub/b"}));
    EXPECT_TRUE(BajoNivel().Es(BajoNivel().Renombrar("//srv/pub/b", tmp.Ruta("b")), ErrorComun::OtroDispositivo));
    EXPECT_TRUE(BajoNivel().Es(BajoNivel().Renombrar("//srv/pub/b", "//srv/priv/b"), ErrorComun::OtroDispositivo));
    EXPECT_EQ(smb.renombrados.size(), 1u);

    // The host and its shares are never made from here.
    EXPECT_TRUE(BajoNivel().Es(BajoNivel().CrearCarpeta("//srv/pub"), ErrorComun::YaExiste));
    EXPECT_EQ(BajoNivel().CrearCarpeta("//srv/pub/nueva/"), 0);
    EXPECT_EQ(BajoNivel().Consultar("//srv/pub/nueva/").tipo, TipoNodo::Carpeta);
}

}  // namespace
}  // namespace quirvex
