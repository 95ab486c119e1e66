// The program's window on a share of the private loopback SMB server: painting and keys never
// wait on the server, whether it answers, stops answering or asks for a login first. A pane's
// load of a share lists off the window's thread: the window runs no event loop inside it, and
// the pane fills in when the answer comes, unless the user went elsewhere meanwhile.

#include <QElapsedTimer>
#include <QTimer>
#include <deque>
#include <filesystem>
#include <fstream>

#include "frame/espera_red_qt.h"
#include "frame/marco_real_qt.h"
#include "smb/servidor_smb.h"

namespace quirvex::prueba {
namespace {

namespace fs = std::filesystem;

// Answers the login dialog from a list; while it is up the window paints, as behind a real
// modal dialog.
class DialogosLogin final : public Dialogos {
public:
    explicit DialogosLogin(std::function<void()> mientras) : mientras_(std::move(mientras)) {
        SetDialogos(this);
    }
    ~DialogosLogin() override { SetDialogos(nullptr); }
    Respuesta Mensaje(const std::string& texto, const std::string&, Botones, IconoMensaje) override {
        mensajes.push_back(texto);
        return Respuesta::Aceptar;
    }
    bool PedirCredenciales(const std::string& servidor, const std::string& aviso,
                           std::string& usuario, std::string& clave) override {
        pedidos.push_back(servidor + "|" + aviso);
        if (mientras_) mientras_();
        if (respuestas.empty()) return false;
        usuario = respuestas.front().first;
        clave = respuestas.front().second;
        respuestas.pop_front();
        return true;
    }
    std::deque<std::pair<std::string, std::string>> respuestas;
    std::vector<std::string> pedidos, mensajes;

private:
    std::function<void()> mientras_;
};

class VentanaSmb : public MarcoReal {
protected:
    void SetUp() override {
        MarcoReal::SetUp();
        if (const std::string falta = SinServidorSmb(); !falta.empty()) GTEST_SKIP() << falta;
        SetTiempoLimiteRed(5000);  // a busy machine's server answers well within it
        InstalarEsperaRed();
        // The window's own hand-over, counting the answers it has run.
        SetEntregaVentana([this](std::function<void()> alLlegar) {
            QMetaObject::invokeMethod(
                qApp, [this, f = std::move(alLlegar)] { f(), ++entregadas; }, Qt::QueuedConnection);
        });
        SetSmb(&smb);
        equipo = "//127.0.0.1:" + Variable("QUIRVEX_SMB_PUERTO");
        Smb().SetCredenciales(equipo.substr(2), "", "");
        disco = Variable("QUIRVEX_SMB_DIR");
    }
    void TearDown() override {
        m.reset();
        SetSmb(nullptr);
        QuitarEsperaRed();
        SetTiempoLimiteRed(15000);
        MarcoReal::TearDown();
    }
    // A folder of the guest share holding n files of assorted kinds.
    std::string CarpetaLlena(const std::string& nombre, int n) {
        fs::create_directories(disco + "/pub/" + nombre);
        const char* ext[] = {".txt", ".jpg", ".ico", ".pdf", ""};
        for (int k = 0; k < n; ++k)
            std::ofstream(disco + "/pub/" + nombre + "/f" + std::to_string(k) + ext[k % 5]) << k;
        return equipo + "/pub/" + nombre;
    }
    // Lets the window run until the condition holds, for far longer than a busy machine needs.
    static bool EsperarLargo(const std::function<bool()>& condicion) {
        QElapsedTimer t;
        t.start();
        while (!condicion() && t.elapsed() < 120000) QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
        return condicion();
    }
    // A pane's load of a share, waited for until its answer is in: whether it shows the folder.
    bool Cargar(cVisor* v, const std::string& ruta) {
        if (!v->CargarContenido(ruta)) return false;
        EXPECT_TRUE(EsperarLargo([&] { return v->Contenido().CargaRedEnCurso().empty(); }));
        return v->Contenido().RutaActual == ruta + "/";
    }
    // The frame opened on a share, once its pane shows it. The first call after a server was
    // frozen and thawed may find its connection gone: the pane is loaded again until it works.
    void AbrirRed(const std::string& ruta) {
        Abrir(ruta);
        ASSERT_TRUE(EsperarLargo([&] { return Visor(0)->Contenido().CargaRedEnCurso().empty(); }));
        if (Visor(0)->Contenido().RutaActual != ruta + "/") {
            ASSERT_TRUE(EsperarLargo([&] { return Cargar(Visor(0), ruta); }));
        }
        dialogos.mensajes.clear();
    }
    void Repintar(int veces) {
        for (int k = 0; k < veces; ++k) {
            Visor(0)->picM()->repaint();
            QCoreApplication::processEvents();
        }
    }

    SmbSinExplorar smb{Smb()};
    std::string equipo, disco;
    int entregadas = 0;
};

TEST_F(VentanaSmb, AStoppedServerNeitherStallsNorBreaksPaintingKeysOrTheLoadThatWaitsOnIt) {
    const std::string carpeta = CarpetaLlena("muchos", 400);
    AbrirRed(carpeta);
    ASSERT_EQ(Visor(0)->Contenido().nMostrados(), 400);
    Clic(Visor(0)->picM(), SobreItem(Visor(0), 0));

    // Painting and moving through the listing ask the server nothing, frozen or not.
    smb.llamadas = 0;
    Repintar(20);
    EXPECT_EQ(smb.llamadas, 0);
    Senal("STOP");
    Repintar(100);
    for (int k = 0; k < 20; ++k) Tecla(Qt::Key_Down);
    EXPECT_GT(Visor(0)->Seleccion().sActual(), 0);
    Tecla(Qt::Key_End);
    EXPECT_EQ(Visor(0)->Seleccion().sActual(), 399);
    Tecla(Qt::Key_A, Qt::ControlModifier);  // select all: the total from the listing
    Repintar(20);
    EXPECT_EQ(smb.llamadas, 0);

    // A refresh lists off the window's thread: keys are answered at once, no event loop runs
    // inside it, and it ends in the load's message at the time limit, the pane still showing
    // what it had.
    const std::uint64_t esperas = EsperasRedEnVentana();
    const int antes = entregadas;
    Tecla(Qt::Key_F5);
    EXPECT_EQ(Visor(0)->Contenido().CargaRedEnCurso(), carpeta + "/");
    Tecla(Qt::Key_Home);
    EXPECT_EQ(Visor(0)->Seleccion().sActual(), 0);
    Repintar(100);
    ASSERT_TRUE(EsperarLargo([&] { return entregadas > antes; }));
    Senal("CONT");
    EXPECT_EQ(EsperasRedEnVentana(), esperas);
    EXPECT_EQ(dialogos.mensajes, (std::vector<std::string>{"No se pudo cargar el contenido."}));
    EXPECT_EQ(Visor(0)->Contenido().RutaActual, carpeta + "/");
    EXPECT_EQ(Visor(0)->Contenido().nMostrados(), 400);

    // Thawed, the same pane loads again.
    ASSERT_TRUE(EsperarLargo([&] { return Cargar(Visor(0), carpeta); }));
    EXPECT_EQ(Visor(0)->Contenido().nMostrados(), 400);
}

// A load of a share on a frozen server: the window answers keys and runs no event loop inside
// the load meanwhile, and the pane fills in once the server answers again.
TEST_F(VentanaSmb, ALoadOnAStoppedServerLeavesTheWindowFreeAndThePaneFillsWhenItAnswers) {
    SetTiempoLimiteRed(120000);  // the thaw comes long before
    const std::string antes = CarpetaLlena("antes", 10), otra = CarpetaLlena("otra", 25);
    AbrirRed(antes);
    Clic(Visor(0)->picM(), SobreItem(Visor(0), 0));
    const std::uint64_t esperas = EsperasRedEnVentana();
    Senal("STOP");
    ASSERT_TRUE(Visor(0)->CargarContenido(otra));
    EXPECT_EQ(Visor(0)->Contenido().CargaRedEnCurso(), otra + "/");
    EXPECT_EQ(Visor(0)->picM()->cursor().shape(), Qt::BusyCursor);
    Repintar(50);
    Tecla(Qt::Key_End);
    EXPECT_EQ(Visor(0)->Seleccion().sActual(), 9);  // in what the pane still shows
    EXPECT_EQ(Visor(0)->Contenido().RutaActual, antes + "/");
    Senal("CONT");
    ASSERT_TRUE(EsperarLargo([&] { return Visor(0)->Contenido().RutaActual == otra + "/"; }));
    EXPECT_EQ(Visor(0)->Contenido().nMostrados(), 25);
    EXPECT_TRUE(Visor(0)->Contenido().CargaRedEnCurso().empty());
    EXPECT_NE(Visor(0)->picM()->cursor().shape(), Qt::BusyCursor);
    EXPECT_EQ(EsperasRedEnVentana(), esperas);
    EXPECT_TRUE(dialogos.mensajes.empty());
}

// Going to another folder while a share's listing is on its way: the pane shows the new folder,
// and the late answer, when the server sends it, changes nothing.
TEST_F(VentanaSmb, GoingElsewhereWhileAShareListsShowsTheNewFolderNotTheLateOne) {
    SetTiempoLimiteRed(120000);
    const std::string lejos = CarpetaLlena("lejos", 10), cerca = CarpetaLlena("cerca", 4);
    for (int k = 0; k < 7; ++k) tmp.Archivo("local" + std::to_string(k));
    AbrirRed(cerca);
    Senal("STOP");
    const int antes = entregadas;
    ASSERT_TRUE(Visor(0)->CargarContenido(lejos));
    ASSERT_TRUE(Visor(0)->CargarContenido(tmp.Ruta()));
    EXPECT_EQ(Visor(0)->Contenido().RutaActual, tmp.Ruta());
    EXPECT_TRUE(Visor(0)->Contenido().CargaRedEnCurso().empty());
    Senal("CONT");
    ASSERT_TRUE(EsperarLargo([&] { return entregadas > antes; }));
    EXPECT_EQ(Visor(0)->Contenido().RutaActual, tmp.Ruta());
    EXPECT_EQ(Visor(0)->Contenido().nMostrados(), 7);
    EXPECT_EQ(Visor(0)->Contenido().Historial(Visor(0)->Contenido().UboundHistorial()), QuitarBarraFinal(tmp.Ruta()));
    EXPECT_TRUE(dialogos.mensajes.empty());
}

// Closing the frame while a refresh waits on a frozen server: the wait is given up at once, not
// at the time limit nor when the server comes back, and the program ends without a message.
TEST_F(VentanaSmb, ClosingTheFrameWhileALoadWaitsOnAStoppedServerEndsWithoutWaitingForIt) {
    SetTiempoLimiteRed(120000);  // a wait to its limit would outlast the bound below
    const std::string carpeta = CarpetaLlena("cierre", 30);
    AbrirRed(carpeta);
    ASSERT_EQ(Visor(0)->Contenido().nMostrados(), 30);
    Senal("STOP");
    const int antes = entregadas;
    Tecla(Qt::Key_F5);
    ASSERT_FALSE(Visor(0)->Contenido().CargaRedEnCurso().empty());
    QElapsedTimer reloj;
    reloj.start();
    m->close();
    // The listing given up at the close comes back long before its time limit, telling nothing.
    ASSERT_TRUE(EsperarLargo([&] { return entregadas > antes; }));
    EXPECT_LT(reloj.elapsed(), 60000);
    Senal("CONT");
    EXPECT_TRUE(dialogos.mensajes.empty()) << dialogos.mensajes.front();
    EXPECT_FALSE(m->isVisible());
    m.reset();
    // A new frame reaches the thawed server again.
    Abrir(tmp.Ruta());
    EXPECT_TRUE(EsperarLargo([&] { return Cargar(Visor(0), carpeta); }));
    EXPECT_EQ(Visor(0)->Contenido().nMostrados(), 30);
}

TEST_F(VentanaSmb, ALoginAfterAWrongPasswordOpensTheShareWhileTheWindowPaints) {
    fs::create_directories(disco + "/priv/dentro");
    for (int k = 0; k < 50; ++k) std::ofstream(disco + "/priv/dentro/s" + std::to_string(k) + ".jpg") << k;
    Abrir(tmp.Ruta());
    DialogosLogin login([&] { Repintar(5); });
    login.respuestas = {{Variable("QUIRVEX_SMB_USUARIO"), "no-es-esta"},
                        {Variable("QUIRVEX_SMB_USUARIO"), Variable("QUIRVEX_SMB_CLAVE")}};
    ASSERT_TRUE(Cargar(Visor(0), equipo + "/priv/dentro"));
    EXPECT_EQ(login.pedidos.size(), 2u);
    EXPECT_EQ(Visor(0)->Contenido().nMostrados(), 50);
    smb.llamadas = 0;
    Repintar(50);
    EXPECT_EQ(smb.llamadas, 0);
    EXPECT_TRUE(login.mensajes.empty());
}

// The host's list shows its shares as shares, the one that needs a login as well: the picture
// comes from what the list says, not from asking each share (which the login would refuse).
TEST_F(VentanaSmb, EveryShareOfAHostShowsTheSamePictureLoginOrNot) {
    AbrirRed(equipo);
    cVisor* v = Visor(0);
    ASSERT_EQ(v->Contenido().nMostrados(), 2);
    smb.llamadas = 0;
    const QImage captura = Visor(0)->picM()->grab().toImage();
    EXPECT_EQ(smb.llamadas, 0);
    auto celda = [&](const std::string& nombre) {
        const GeometriaVisor& g = v->Distribucion().Geometria();
        const QRect r = v->RectItemEnPantalla(Indice(v, nombre));
        return captura.copy(QRect(r.topLeft() + QPoint(g.IcoL, g.IcoDD), QSize(g.IcoDW, g.IcoDH)));
    };
    EXPECT_EQ(celda("priv"), celda("pub"));
}

// The address area of a share: the path buttons go network, host, share, folder, and each
// one opens that step on the server, never a local folder.
TEST_F(VentanaSmb, ThePathButtonsOfAShareStartAtTheNetworkAndLeadBackThroughTheHost) {
    fs::create_directories(disco + "/pub/uno/dos");
    AbrirRed(equipo + "/pub/uno/dos");
    const QString host = QString::fromStdString(equipo.substr(2));
    EXPECT_EQ(m->TextosRuta(), (QStringList{QString::fromUtf8(TEXTO_RED), host, "pub", "uno", "dos"}));
    m->lblRuta_Click(2);
    ASSERT_TRUE(EsperarLargo([&] { return Visor(0)->Contenido().CargaRedEnCurso().empty(); }));
    EXPECT_EQ(Visor(0)->Contenido().RutaActual, equipo + "/pub/");
    m->lblRuta_Click(1);
    ASSERT_TRUE(EsperarLargo([&] { return Visor(0)->Contenido().CargaRedEnCurso().empty(); }));
    EXPECT_EQ(Visor(0)->Contenido().RutaActual, equipo + "/");
    EXPECT_EQ(m->TextosRuta(), (QStringList{QString::fromUtf8(TEXTO_RED), host}));
    EXPECT_TRUE(dialogos.mensajes.empty());
}

}  // namespace
}  // namespace quirvex::prueba
