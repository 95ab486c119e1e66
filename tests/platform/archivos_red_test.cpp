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

#include "operations/comandos_archivo.h"
#include "operations/tareas.h"
#include "properties/calculo_carpeta.h"
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
        ++consultas;
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
    int consultas = 0;

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

// Local layers that only record what reaches them: under the router, a share path must never
// show up here.
class NuevosGrabados final : public ArchivosNuevos {
public:
    int CrearArchivoExclusivo(const std::string& ruta) override { return rutas.push_back(ruta), 0; }
    int RenombrarSinReemplazar(const std::string& a, const std::string& b) override {
        return rutas.push_back(a + ">" + b), 0;
    }
    std::vector<std::string> rutas;
};

class NombresGrabados final : public ListadoNombres {
public:
    bool Listar(const std::string& carpeta, const std::function<bool(std::string_view, ClaseEntrada)>&) override {
        return rutas.push_back(carpeta), true;
    }
    std::vector<std::string> rutas;
};

class LectorGrabado final : public LectorCarpetas {
public:
    ManejadorCarpeta Abrir(ManejadorCarpeta, const std::string& nombre, FalloCarpeta& f) override {
        rutas.push_back(nombre);
        f = FalloCarpeta::NoExiste;
        return CARPETA_INVALIDA;
    }
    bool Leer(ManejadorCarpeta, ContenidoCarpeta&, const std::atomic<bool>*) override { return false; }
    void Cerrar(ManejadorCarpeta) override {}
    std::vector<std::string> rutas;
};

class VigilanteGrabado final : public Vigilante {
public:
    explicit VigilanteGrabado(std::vector<std::string>& rutas) : rutas_(rutas) {}
    int Descriptor() const override { return -1; }
    int DescriptorMontajes() const override { return -1; }
    bool Vigilar(const std::string& c) override { return rutas_.push_back(c), true; }
    void Dejar(const std::string& c) override { rutas_.push_back(c); }
    std::vector<RegistroNotificacion> Leer() override { return {}; }
    std::vector<RegistroNotificacion> LeerMontajes() override { return {}; }

private:
    std::vector<std::string>& rutas_;
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

TEST(RutasRed, AShareSplitsIntoHostShareAndFoldersAndEachStepIsAShareFolder) {
    EXPECT_EQ(PartesRutaRed("//srv:4450/pub/a b/c/"),
              (std::vector<std::string>{"srv:4450", "pub", "a b", "c"}));
    EXPECT_EQ(RutaRedDeParte("//srv:4450/pub/a b/c/", 0), "//srv:4450/");
    EXPECT_EQ(RutaRedDeParte("//srv:4450/pub/a b/c/", 2), "//srv:4450/pub/a b/");
    EXPECT_EQ(RutaRedDeParte("//srv:4450/pub/", 2), "");
    EXPECT_TRUE(PartesRutaRed("/srv/pub").empty());
    EXPECT_TRUE(EsRutaEquipo("//srv:4450/"));
    EXPECT_FALSE(EsRutaEquipo("//srv:4450/pub"));
}

TEST(RutasRed, OnlyValidUtf8NamesCanBeWrittenOnAShare) {
    EXPECT_TRUE(EsNombreRedValido("//srv/pub/ñandú 日本語 😀"));
    EXPECT_FALSE(EsNombreRedValido("//srv/pub/caf\xe9"));        // Latin-1
    EXPECT_FALSE(EsNombreRedValido("//srv/pub/a\xc3"));          // cut short
    EXPECT_FALSE(EsNombreRedValido("//srv/pub/\xc0\xaf"));       // overlong '/'
    EXPECT_FALSE(EsNombreRedValido("//srv/pub/\xed\xa0\x80"));   // surrogate
    EXPECT_FALSE(EsNombreRedValido("//srv/pub/\xf4\x90\x80\x80"));  // past U+10FFFF
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
    EXPECT_EQ(d.pedidos, (std::vector<std::string>{"srv:4450|"}));

    d.pedidos.clear();
    d.respuestas = {{"ana", "mala"}, {"ana", "buena"}};
    smb.archivos["//srv/priv/x"] = "1";
    bool ok = false;
    const auto entradas = Listar("//srv:4450/priv/", &ok);
    EXPECT_TRUE(ok);
    ASSERT_EQ(entradas.size(), 1u);
    EXPECT_EQ(d.pedidos, (std::vector<std::string>{"srv:4450|", std::string("srv:4450|") + TEXTO_ACCESO_DENEGADO}));
    EXPECT_EQ(smb.dados, (std::vector<std::string>{"srv:4450:ana:mala", "srv:4450:ana:buena"}));
    EXPECT_TRUE(Archivos().Accesible("//srv:4450/priv/"));
    EXPECT_EQ(d.pedidos.size(), 2u);
}

// Every route into a share asks the same way: a typed path or a path button looks at the path
// before it loads it, and that look asks for the login too.
TEST_F(ArchivosRedTest, LookingAtAProtectedPathAsksForTheLoginKeptUnderItsHostAndPort) {
    DialogosCredenciales d;
    smb.carpetas.insert("//srv/priv/dentro");
    d.respuestas = {{"ana", "buena"}};
    const auto e = Archivos().Consultar("//srv:4451/priv/dentro");
    ASSERT_TRUE(e.has_value());
    EXPECT_EQ(e->atributos & ATR_DIRECTORIO, ATR_DIRECTORIO);
    EXPECT_EQ(d.pedidos, (std::vector<std::string>{"srv:4451|"}));
    EXPECT_EQ(smb.dados, (std::vector<std::string>{"srv:4451:ana:buena"}));
    // Cancelled on another look: nothing, and no stale answer.
    smb.SetCredenciales("srv:4451", "", "");
    EXPECT_FALSE(Archivos().Consultar("//srv:4451/priv/dentro").has_value());
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

// "//srv/pub/x" read as a local path is "/srv/pub/x": a command that took the local route would
// create, rename or list a local file of that name. Every command of a share reaches the server
// and leaves the local layer untouched; a local path still reaches the local layer.
class ComandosRedTest : public ArchivosRedTest {
protected:
    void SetUp() override {
        ArchivosRedTest::SetUp();
        SetArchivosNuevos(nuevos.get());
        SetListadoNombres(nombres.get());
        SetLectorCarpetas(lector.get());
        smb.archivos["//srv/pub/a.txt"] = "aaa";
        smb.archivos["//srv/pub/b.txt"] = "bb";
        smb.carpetas.insert("//srv/pub/sub");
        smb.archivos["//srv/pub/sub/c.txt"] = "c";
    }
    void TearDown() override {
        SetLectorCarpetas(nullptr);
        SetListadoNombres(nullptr);
        SetArchivosNuevos(nullptr);
        ArchivosRedTest::TearDown();
    }
    bool Renombrar(const std::string& carpeta, const std::string& anterior, const std::string& nuevo,
                   ModoRenombrar modo = ModoRenombrar::Renombrar) {
        cRenombrar r;
        r.modo = modo;
        r.tipo = TIPO_ARCHIVO;
        r.carpeta = carpeta;
        r.anterior = anterior;
        return r.Aplicar(nuevo);
    }

    NuevosGrabados nuevosLocal;
    NombresGrabados nombresLocal;
    LectorGrabado lectorLocal;
    std::unique_ptr<ArchivosNuevos> nuevos = ArchivosNuevosConRed(nuevosLocal);
    std::unique_ptr<ListadoNombres> nombres = ListadoNombresConRed(nombresLocal);
    std::unique_ptr<LectorCarpetas> lector = LectorCarpetasConRed(lectorLocal);
    prueba::DialogosGrabados dialogos;
};

TEST_F(ComandosRedTest, RenameAndNewFileOnAShareAreDoneOnTheServerNeverOnTheLocalDisk) {
    EXPECT_TRUE(Renombrar("//srv:4450/pub/", "a.txt", "z.txt"));
    EXPECT_EQ(smb.archivos.count("//srv/pub/a.txt"), 0u);
    EXPECT_EQ(smb.archivos["//srv/pub/z.txt"], "aaa");

    // Onto a taken name: refused with the reason, both files whole (the server would replace).
    EXPECT_FALSE(Renombrar("//srv:4450/pub/", "z.txt", "b.txt"));
    EXPECT_EQ(smb.archivos["//srv/pub/z.txt"], "aaa");
    EXPECT_EQ(smb.archivos["//srv/pub/b.txt"], "bb");
    ASSERT_EQ(dialogos.mensajes.size(), 1u);

    EXPECT_TRUE(Renombrar("//srv:4450/pub/", "", "nuevo.txt", ModoRenombrar::ArchivoNuevo));
    EXPECT_EQ(smb.archivos.count("//srv/pub/nuevo.txt"), 1u);
    // A new file never takes the place of one that exists.
    EXPECT_FALSE(Renombrar("//srv:4450/pub/", "", "b.txt", ModoRenombrar::ArchivoNuevo));
    EXPECT_EQ(smb.archivos["//srv/pub/b.txt"], "bb");

    EXPECT_NE(CrearCarpetaNueva("//srv:4450/pub/", nullptr), "");
    EXPECT_EQ(smb.carpetas.count("//srv/pub/" + std::string(NOMBRE_CARPETA_NUEVA)), 1u);
    EXPECT_TRUE(nuevosLocal.rutas.empty());

    // A local folder still goes to the local layer.
    EXPECT_TRUE(Renombrar(tmp.Ruta(), "x", "y"));
    EXPECT_EQ(nuevosLocal.rutas, (std::vector<std::string>{tmp.Ruta("x") + ">" + tmp.Ruta("y")}));
}

TEST_F(ComandosRedTest, TheSearchWalkTheTallyAndTheWatchOfAShareNeverReachTheLocalLayer) {
    std::map<std::string, ClaseEntrada> vistos;
    ASSERT_TRUE(Nombres().Listar("//srv/pub/", [&](std::string_view n, ClaseEntrada c) {
        vistos[std::string(n)] = c;
        return true;
    }));
    EXPECT_EQ(vistos, (std::map<std::string, ClaseEntrada>{{"a.txt", ClaseEntrada::Archivo},
                                                           {"b.txt", ClaseEntrada::Archivo},
                                                           {"sub", ClaseEntrada::Carpeta}}));
    EXPECT_FALSE(Nombres().Listar("//srv/nada/", [](std::string_view, ClaseEntrada) { return true; }));

    const ResultadoCalculo r = CalcularCarpeta("//srv/pub/");
    EXPECT_TRUE(r.existe);
    EXPECT_TRUE(r.completo);
    EXPECT_EQ(r.archivos, 3);
    EXPECT_EQ(r.carpetas, 1);
    EXPECT_EQ(r.tamano, 6);
    EXPECT_FALSE(CalcularCarpeta("//srv/nada").existe);

    std::vector<std::string> vigilados;
    const auto vigilante = VigilanteConRed(std::make_unique<VigilanteGrabado>(vigilados));
    EXPECT_FALSE(vigilante->Vigilar("//srv/pub/sub/"));
    vigilante->Dejar("//srv/pub/sub/");
    EXPECT_TRUE(vigilados.empty());
    EXPECT_TRUE(nombresLocal.rutas.empty());
    EXPECT_TRUE(lectorLocal.rutas.empty());

    EXPECT_TRUE(vigilante->Vigilar(tmp.Ruta()));
    Nombres().Listar(tmp.Ruta(), [](std::string_view, ClaseEntrada) { return true; });
    CalcularCarpeta(tmp.Ruta());
    EXPECT_EQ(vigilados, (std::vector<std::string>{tmp.Ruta()}));
    EXPECT_EQ(nombresLocal.rutas, (std::vector<std::string>{tmp.Ruta()}));
    EXPECT_EQ(lectorLocal.rutas.size(), 1u);
}

// Sorting a share by size asks the server once for the folder, not once per file.
TEST_F(ArchivosRedTest, SizesOfAShareComeFromOneListing) {
    smb.archivos["//srv/pub/uno"] = "1";
    smb.archivos["//srv/pub/tres"] = "333";
    const std::vector<std::string_view> nombres = {"tres", "falta", "uno"};
    EXPECT_EQ(Archivos().Tamanos("//srv/pub/", nombres), (std::vector<std::int64_t>{3, 0, 1}));
    EXPECT_EQ(smb.consultas, 0);
}

// Checking a cached share listing asks the server once for the folder, not once per name.
TEST_F(ArchivosRedTest, StatusOfAShareFolderComesFromOneListing) {
    smb.archivos["//srv/pub/uno"] = "1";
    const std::vector<std::string_view> nombres = {"falta", "uno"};
    const auto r = Archivos().ConsultarEn("//srv/pub/", nombres);
    ASSERT_EQ(r.size(), 2u);
    EXPECT_FALSE(r[0].has_value());
    ASSERT_TRUE(r[1].has_value());
    EXPECT_EQ(r[1]->tamano, 1);
    EXPECT_EQ(smb.consultas, 0);
}

}  // namespace
}  // namespace quirvex
