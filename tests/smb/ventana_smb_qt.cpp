// The program's window on a share of the private loopback SMB server: painting and keys never
// wait on the server, whether it answers, stops answering or asks for a login first.

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
        SetTiempoLimiteRed(1000);
        InstalarEsperaRed();
        SetSmb(&smb);
        equipo = "//127.0.0.1:" + Variable("QUIRVEX_SMB_PUERTO");
        Smb().SetCredenciales(equipo.substr(2), "", "");
        disco = Variable("QUIRVEX_SMB_DIR");
    }
    void TearDown() override {
        m.reset();
        SetSmb(nullptr);
        SetEsperaRed(nullptr);
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
    void Repintar(int veces) {
        for (int k = 0; k < veces; ++k) {
            Visor(0)->picM()->repaint();
            QCoreApplication::processEvents();
        }
    }

    SmbSinExplorar smb{Smb()};
    std::string equipo, disco;
};

TEST_F(VentanaSmb, AStoppedServerNeitherStallsNorBreaksPaintingKeysOrTheLoadThatWaitsOnIt) {
    const std::string carpeta = CarpetaLlena("muchos", 400);
    Abrir(carpeta);
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

    // A refresh waits on the frozen server with the window painting all along; it ends in the
    // load's message, the pane still showing what it had.
    QTimer pintor;
    int pintadas = 0;
    QObject::connect(&pintor, &QTimer::timeout, [&] {
        Visor(0)->picM()->repaint();
        ++pintadas;
    });
    pintor.start(5);
    // Keys are answered while the refresh waits: Home moves the current item off the last one.
    std::int64_t durante = -1;
    QTimer tecla;
    tecla.setSingleShot(true);
    QObject::connect(&tecla, &QTimer::timeout, [&] {
        Tecla(Qt::Key_Home);
        durante = Visor(0)->Seleccion().sActual();
    });
    tecla.start(50);
    Tecla(Qt::Key_F5);
    pintor.stop();
    Senal("CONT");
    EXPECT_GT(pintadas, 10);
    EXPECT_EQ(durante, 0);
    EXPECT_EQ(dialogos.mensajes, (std::vector<std::string>{"No se pudo cargar el contenido."}));
    EXPECT_EQ(Visor(0)->Contenido().RutaActual, carpeta + "/");
    EXPECT_EQ(Visor(0)->Contenido().nMostrados(), 400);

    // Thawed, the same pane loads again.
    ASSERT_TRUE(HastaQue([&] { return Visor(0)->CargarContenido(carpeta); }));
    EXPECT_EQ(Visor(0)->Contenido().nMostrados(), 400);
}

// Closing the frame while a refresh waits on a frozen server: the wait is given up at once, not
// at the time limit nor when the server comes back, and the program ends without a message.
TEST_F(VentanaSmb, ClosingTheFrameWhileALoadWaitsOnAStoppedServerEndsWithoutWaitingForIt) {
    SetTiempoLimiteRed(30000);  // a wait to its limit would outlast the thaw below
    const std::string carpeta = CarpetaLlena("cierre", 30);
    Abrir(carpeta);
    ASSERT_EQ(Visor(0)->Contenido().nMostrados(), 30);
    Senal("STOP");
    bool cerrado = false, descongelado = false;
    QTimer cierre, deshielo;
    cierre.setSingleShot(true);
    deshielo.setSingleShot(true);
    QObject::connect(&cierre, &QTimer::timeout, [&] {
        m->close();
        cerrado = true;
    });
    // Only a wait that did not end with the close is still there to see this.
    QObject::connect(&deshielo, &QTimer::timeout, [&] {
        descongelado = true;
        Senal("CONT");
    });
    cierre.start(300);
    deshielo.start(20000);
    Tecla(Qt::Key_F5);
    if (!descongelado) Senal("CONT");
    EXPECT_TRUE(cerrado);
    EXPECT_FALSE(descongelado);
    EXPECT_TRUE(dialogos.mensajes.empty()) << dialogos.mensajes.front();
    EXPECT_FALSE(m->isVisible());
    m.reset();
    // A new frame reaches the thawed server again.
    Abrir(tmp.Ruta());
    EXPECT_TRUE(HastaQue([&] { return Visor(0)->CargarContenido(carpeta); }));
    EXPECT_EQ(Visor(0)->Contenido().nMostrados(), 30);
}

TEST_F(VentanaSmb, ALoginAfterAWrongPasswordOpensTheShareWhileTheWindowPaints) {
    fs::create_directories(disco + "/priv/dentro");
    for (int k = 0; k < 50; ++k) std::ofstream(disco + "/priv/dentro/s" + std::to_string(k) + ".jpg") << k;
    Abrir(tmp.Ruta());
    DialogosLogin login([&] { Repintar(5); });
    login.respuestas = {{Variable("QUIRVEX_SMB_USUARIO"), "no-es-esta"},
                        {Variable("QUIRVEX_SMB_USUARIO"), Variable("QUIRVEX_SMB_CLAVE")}};
    ASSERT_TRUE(Visor(0)->CargarContenido(equipo + "/priv/dentro"));
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
    Abrir(equipo);
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
    Abrir(equipo + "/pub/uno/dos");
    const QString host = QString::fromStdString(equipo.substr(2));
    EXPECT_EQ(m->TextosRuta(), (QStringList{QString::fromUtf8(TEXTO_RED), host, "pub", "uno", "dos"}));
    m->lblRuta_Click(2);
    EXPECT_EQ(Visor(0)->Contenido().RutaActual, equipo + "/pub/");
    m->lblRuta_Click(1);
    EXPECT_EQ(Visor(0)->Contenido().RutaActual, equipo + "/");
    EXPECT_EQ(m->TextosRuta(), (QStringList{QString::fromUtf8(TEXTO_RED), host}));
    EXPECT_TRUE(dialogos.mensajes.empty());
}

}  // namespace
}  // namespace quirvex::prueba
