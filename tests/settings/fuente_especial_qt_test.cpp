// The special font's download and registration against an HTTP server the test runs on the
// loopback interface: a whole file, a missing one, a body cut short, a server that never
// answers; then the options window's button end to end.

#include <QFile>
#include <QApplication>
#include <QFontDatabase>
#include <QPushButton>
#include <QCheckBox>
#include <QLineEdit>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTimer>
#include <QElapsedTimer>
#include <QProgressDialog>
#include <QTest>
#include <cstdlib>
#include <filesystem>

#include "frame/tab_falsa_qt.h"
#include "pane/visor_qt.h"
#include "settings/almacen_registro.h"
#include "settings/descarga_qt.h"
#include "settings/frm_opciones_qt.h"
#include "settings/fuente_especial_qt.h"
#include "support/fakes.h"
#include "support/fuente_renombrada.h"

namespace quirvex::prueba {
namespace {

// Goteo: the whole length announced, then the body a little at a time, slowly.
enum class Modo { Completo, NoEncontrado, Cortado, Mudo, Goteo };

// Answers every request with the same behaviour.
class ServidorPrueba {
public:
    ServidorPrueba(Modo modo, QByteArray cuerpo) : modo_(modo), cuerpo_(std::move(cuerpo)) {
        servidor_.listen(QHostAddress::LocalHost);
        QObject::connect(&servidor_, &QTcpServer::newConnection, [this] {
            while (QTcpSocket* s = servidor_.nextPendingConnection()) {
                ++conexiones;
                QObject::connect(s, &QTcpSocket::readyRead, s, [this, s] { Responder(s); });
            }
        });
    }
    QString Direccion(const QString& ruta = QStringLiteral("/segoeui.ttf")) const {
        return QStringLiteral("http://127.0.0.1:%1%2").arg(servidor_.serverPort()).arg(ruta);
    }
    int conexiones = 0;

private:
    void Responder(QTcpSocket* s) {
        if (!s->readAll().contains("\r\n\r\n") || modo_ == Modo::Mudo) return;
        if (modo_ == Modo::Goteo) {
            Gotear(s);
            return;
        }
        if (modo_ == Modo::NoEncontrado) {
            s->write("HTTP/1.1 404 Not Found\r\nContent-Length: 9\r\nConnection: close\r\n\r\nnot found");
        } else {
            const QByteArray cabecera = "HTTP/1.1 200 OK\r\nContent-Type: font/ttf\r\nContent-Length: " +
                                        QByteArray::number(cuerpo_.size()) + "\r\nConnection: close\r\n\r\n";
            s->write(cabecera);
            s->write(modo_ == Modo::Cortado ? cuerpo_.left(cuerpo_.size() / 2) : cuerpo_);
        }
        s->flush();
        s->disconnectFromHost();
    }

    void Gotear(QTcpSocket* s) {
        s->write("HTTP/1.1 200 OK\r\nContent-Type: font/ttf\r\nContent-Length: " +
                 QByteArray::number(cuerpo_.size()) + "\r\n\r\n");
        auto* reloj = new QTimer(s);
        QObject::connect(reloj, &QTimer::timeout, s, [this, s, reloj, enviado = qsizetype{0}]() mutable {
            if (enviado >= cuerpo_.size()) return reloj->stop();
            s->write(cuerpo_.mid(enviado, 64));
            enviado += 64;
        });
        reloj->start(40);
    }

    QTcpServer servidor_;
    Modo modo_;
    QByteArray cuerpo_;
};

QByteArray Fuente() {
    QFile f(QStringLiteral("/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf"));
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

// A real font file renamed to the special font's name, so that the whole routine, probe
// included, can succeed on a machine that does not have it.
QByteArray FuenteRenombrada() {
    return prueba::FuenteRenombrada(QStringLiteral("/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf"),
                                    QString::fromLatin1(FUENTE_ESPECIAL));
}

class DescargaFuente : public MarcoTest {
protected:
    void SetUp() override {
        MarcoTest::SetUp();
        if (const char* d = std::getenv("XDG_DATA_HOME")) datosAntes_ = d;
        ::setenv("XDG_DATA_HOME", tmp.Carpeta("datos").c_str(), 1);
        destino = Q(tmp.Ruta("datos/fonts/segoeui.ttf"));
    }
    void TearDown() override {
        if (datosAntes_)
            ::setenv("XDG_DATA_HOME", datosAntes_->c_str(), 1);
        else
            ::unsetenv("XDG_DATA_HOME");
        MarcoTest::TearDown();
    }
    // Nothing but the final file (or nothing at all) may be left in the fonts folder.
    std::vector<std::string> Restos() const {
        std::vector<std::string> r;
        std::error_code ec;
        for (const auto& e : std::filesystem::directory_iterator(tmp.Ruta("datos/fonts"), ec))
            r.push_back(e.path().filename().string());
        return r;
    }
    // The button's download runs on its own: wait, bounded, for its end.
    static void Esperar(const frmO& o) {
        EXPECT_TRUE(QTest::qWaitFor([&] { return !o.DescargandoFuente(); }, 20000));
    }
    QString destino;
    std::optional<std::string> datosAntes_;
};

TEST_F(DescargaFuente, AWholeFileArrivesIntact) {
    const QByteArray cuerpo = Fuente();
    ASSERT_FALSE(cuerpo.isEmpty());
    ServidorPrueba servidor(Modo::Completo, cuerpo);
    ASSERT_TRUE(DescargarArchivo(QUrl(servidor.Direccion()), destino, 5000));
    QFile f(destino);
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    EXPECT_EQ(f.readAll(), cuerpo);
    EXPECT_EQ(Restos(), (std::vector<std::string>{"segoeui.ttf"}));
}

TEST_F(DescargaFuente, FailuresLeaveNoFileBehind) {
    for (Modo modo : {Modo::NoEncontrado, Modo::Cortado}) {
        ServidorPrueba servidor(modo, QByteArray(4000, 'x'));
        EXPECT_FALSE(DescargarArchivo(QUrl(servidor.Direccion()), destino, 5000));
        EXPECT_EQ(servidor.conexiones, 1);
        EXPECT_TRUE(Restos().empty());
    }
    EXPECT_FALSE(DescargarArchivo(QUrl(), destino, 5000));
    EXPECT_FALSE(DescargarArchivo(QUrl(QStringLiteral("relative/path")), destino, 5000));
}

TEST_F(DescargaFuente, AServerThatNeverAnswersEndsInATimeout) {
    ServidorPrueba servidor(Modo::Mudo, {});
    EXPECT_FALSE(DescargarArchivo(QUrl(servidor.Direccion()), destino, 400));
    EXPECT_EQ(servidor.conexiones, 1);
    EXPECT_TRUE(Restos().empty());
}

// The start-up offer waits for its download, but shows how far it has come and can be cancelled.
TEST_F(DescargaFuente, AWaitedDownloadShowsItsDialogAndCancelEndsItAtOnce) {
    ServidorPrueba mudo(Modo::Mudo, {});
    auto dialogos = [] {
        std::vector<QProgressDialog*> r;
        for (QWidget* w : QApplication::topLevelWidgets())
            if (auto* dlg = qobject_cast<QProgressDialog*>(w); dlg && dlg->isVisible()) r.push_back(dlg);
        return r;
    };
    bool cancelado = false;
    QTimer reloj;
    QObject::connect(&reloj, &QTimer::timeout, [&] {
        const auto abiertos = dialogos();
        if (cancelado || abiertos.empty()) return;
        cancelado = true;
        QTest::mouseClick(abiertos[0]->findChild<QPushButton*>(), Qt::LeftButton);
    });
    reloj.start(20);
    QElapsedTimer t;
    t.start();
    EXPECT_FALSE(DescargarArchivo(QUrl(mudo.Direccion()), destino, 20000));
    reloj.stop();
    EXPECT_TRUE(cancelado);
    EXPECT_LT(t.elapsed(), 15000) << "ended by Cancel, not by the time limit";
    EXPECT_TRUE(Restos().empty());
    QCoreApplication::processEvents();
    EXPECT_TRUE(dialogos().empty()) << "the dialog goes with the download";
}

TEST_F(DescargaFuente, AnAnswerThatIsNoFontReplacesNothingAndTheNextDownloadWorks) {
    ServicioFuentesQt s;
    s.SetEspera(5000);
    const std::string donde = destino.toStdString();
    {
        ServidorPrueba pagina(Modo::Completo, QByteArray("<html>not found, but 200</html>"));
        EXPECT_FALSE(s.Descargar(pagina.Direccion().toStdString(), donde));
        EXPECT_TRUE(Restos().empty());
    }
    const QByteArray fuente = Fuente();
    ASSERT_FALSE(fuente.isEmpty());
    {
        ServidorPrueba bueno(Modo::Completo, fuente);
        EXPECT_TRUE(s.Descargar(bueno.Direccion().toStdString(), donde));
    }
    EXPECT_EQ(Restos(), (std::vector<std::string>{"segoeui.ttf"}));
    // A later answer that is no font leaves the font in place.
    {
        ServidorPrueba pagina(Modo::Completo, QByteArray(5000, 'x'));
        EXPECT_FALSE(s.Descargar(pagina.Direccion().toStdString(), donde));
    }
    QFile f(destino);
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    EXPECT_EQ(f.readAll(), fuente);
    EXPECT_EQ(Restos(), (std::vector<std::string>{"segoeui.ttf"}));
}

TEST_F(DescargaFuente, TheSettingIsAppliedAtStartUpToTheWindowsAndThePanes) {
    if (FuenteEspecialDisponible()) GTEST_SKIP() << "the special font is installed";
    const int id = QFontDatabase::addApplicationFontFromData(FuenteRenombrada());
    ASSERT_GE(id, 0);
    ASSERT_TRUE(FuenteEspecialDisponible());
    Ajustar("Special Font", 1);
    auto m = MarcoConPaneles(Q(tmp.Carpeta("ver")));
    EXPECT_EQ(QApplication::font().family(), FUENTE_ESPECIAL);
    auto* tab = dynamic_cast<frmMain*>(m->TabActual());
    ASSERT_NE(tab, nullptr);
    EXPECT_EQ(tab->aVisor()->FuenteItems().family(), FUENTE_ESPECIAL);
    m.reset();
    AplicarFuenteInterfaz(false);
    QFontDatabase::removeApplicationFont(id);
}

TEST_F(DescargaFuente, TheOptionsButtonDownloadsRegistersAndProbes) {
    if (FuenteEspecialDisponible()) GTEST_SKIP() << "the special font is installed";
    ServidorPrueba servidor(Modo::Completo, Fuente());
    Opciones().SpecialFontAddress = servidor.Direccion().toStdString();
    frmO o(nullptr);
    ASSERT_TRUE(o.cmdInstalarFuente()->isEnabled());
    DialogosGrabados d(Respuesta::Si);
    o.cmdInstalarFuente()->click();
    Esperar(o);
    // The file served is a real font, registered; but it is not the special font, so the probe
    // does not read its name back and only a restart could tell.
    EXPECT_EQ(d.mensajes, (std::vector<std::string>{Texto(General, 31), Texto(General, 33)}));
    EXPECT_TRUE(QFile::exists(destino));
    EXPECT_TRUE(QFontDatabase::families().contains(QStringLiteral("DejaVu Sans")));
    EXPECT_FALSE(o.chkNfuente()->isChecked());
    QFontDatabase::removeAllApplicationFonts();
    Opciones().SpecialFontAddress.clear();
}

TEST_F(DescargaFuente, TheSpecialFontDownloadedFromTheServerIsUsedAtOnce) {
    if (FuenteEspecialDisponible()) GTEST_SKIP() << "the special font is installed";
    const QByteArray especial = FuenteRenombrada();
    ASSERT_FALSE(especial.isEmpty());
    ServidorPrueba servidor(Modo::Completo, especial);
    Opciones().SpecialFontAddress = servidor.Direccion().toStdString();
    frmO o(nullptr);
    ASSERT_FALSE(o.chkNfuente()->isEnabled());
    DialogosGrabados d(Respuesta::Si);
    o.cmdInstalarFuente()->click();
    Esperar(o);
    EXPECT_EQ(d.mensajes, (std::vector<std::string>{Texto(General, 31)}));
    EXPECT_TRUE(FuenteEspecialDisponible());
    EXPECT_TRUE(o.chkNfuente()->isEnabled());
    EXPECT_TRUE(o.chkNfuente()->isChecked());
    EXPECT_FALSE(o.cmdInstalarFuente()->isEnabled());
    EXPECT_EQ(QApplication::font().family(), "Segoe UI");
    // Stored when the options are applied.
    o.cmdAplicar()->click();
    EXPECT_EQ(RegLeerDword(HKEY_CURRENT_USER, CLAVE_OPCIONES, "Special Font", -1), 1);
    AplicarFuenteInterfaz(false);
    QFontDatabase::removeAllApplicationFonts();
    Opciones().SpecialFontAddress.clear();
}

TEST_F(DescargaFuente, TheAddressIsTypedBesideTheButtonAndKeptWhenUsed) {
    if (FuenteEspecialDisponible()) GTEST_SKIP() << "the special font is installed";
    ServidorPrueba servidor(Modo::Completo, Fuente());
    frmO o(nullptr);
    ASSERT_NE(o.txtDireccionFuente(), nullptr);
    EXPECT_TRUE(o.txtDireccionFuente()->text().isEmpty());
    QTest::keyClicks(o.txtDireccionFuente(), servidor.Direccion());
    DialogosGrabados d(Respuesta::Si);
    o.cmdInstalarFuente()->click();  // fetches from the address typed
    Esperar(o);
    EXPECT_TRUE(QFile::exists(destino));
    const std::string direccion = servidor.Direccion().toStdString();
    EXPECT_EQ(Opciones().SpecialFontAddress, direccion);
    EXPECT_EQ(RegLeerCadena(HKEY_CURRENT_USER, CLAVE_OPCIONES, "Special Font Address"), direccion);
    frmO otra(nullptr);
    EXPECT_EQ(otra.txtDireccionFuente()->text().toStdString(), direccion);
    QFontDatabase::removeAllApplicationFonts();
    Opciones().SpecialFontAddress.clear();
}

TEST_F(DescargaFuente, WithNoAddressTheButtonFailsWithTheDownloadMessage) {
    if (FuenteEspecialDisponible()) GTEST_SKIP() << "the special font is installed";
    frmO o(nullptr);
    DialogosGrabados d(Respuesta::Si);
    o.cmdInstalarFuente()->click();
    EXPECT_EQ(d.mensajes, (std::vector<std::string>{Texto(General, 31), Texto(General, 7)}));
    EXPECT_FALSE(QFile::exists(destino));
}

// The button returns at once: while a slow server dribbles the font, the window takes keys and
// the dialog shows the bytes coming; Cancel stops it with nothing left and nothing said, and
// the next download works.
TEST_F(DescargaFuente, ASlowDownloadLeavesTheWindowAnsweringAndCanBeCancelled) {
    if (FuenteEspecialDisponible()) GTEST_SKIP() << "the special font is installed";
    const QByteArray fuente = Fuente();
    ASSERT_FALSE(fuente.isEmpty());
    ServidorPrueba lento(Modo::Goteo, fuente);
    frmO o(nullptr);
    o.show();
    o.txtDireccionFuente()->setText(lento.Direccion());
    DialogosGrabados d(Respuesta::Si);
    o.cmdInstalarFuente()->click();
    ASSERT_TRUE(o.DescargandoFuente());
    QProgressDialog* dlg = o.dlgDescarga();
    ASSERT_NE(dlg, nullptr);
    EXPECT_TRUE(dlg->isVisible());
    EXPECT_FALSE(o.cmdInstalarFuente()->isEnabled());
    ASSERT_TRUE(QTest::qWaitFor([&] { return dlg->value() > 0; }, 10000));
    ASSERT_TRUE(o.DescargandoFuente());
    o.txtPmaxW()->clear();
    QTest::keyClicks(o.txtPmaxW(), QStringLiteral("200"));
    EXPECT_EQ(o.txtPmaxW()->text(), "200");
    EXPECT_TRUE(o.cmdAplicar()->isEnabled());

    auto* cancelar = dlg->findChild<QPushButton*>();
    ASSERT_NE(cancelar, nullptr);
    QTest::mouseClick(cancelar, Qt::LeftButton);
    EXPECT_FALSE(o.DescargandoFuente());
    QTest::qWait(150);  // a few more drops would have come by now
    EXPECT_TRUE(Restos().empty());
    EXPECT_EQ(d.mensajes, (std::vector<std::string>{Texto(General, 31)}));
    EXPECT_TRUE(o.cmdInstalarFuente()->isEnabled());
    EXPECT_TRUE(QTest::qWaitFor([&] { return o.dlgDescarga() == nullptr; }, 5000));

    ServidorPrueba bueno(Modo::Completo, fuente);
    o.txtDireccionFuente()->setText(bueno.Direccion());
    o.cmdInstalarFuente()->click();
    Esperar(o);
    EXPECT_EQ(Restos(), (std::vector<std::string>{"segoeui.ttf"}));
    QFontDatabase::removeAllApplicationFonts();
    Opciones().SpecialFontAddress.clear();
}

TEST_F(DescargaFuente, ClosingTheWindowDuringADownloadLeavesNothing) {
    if (FuenteEspecialDisponible()) GTEST_SKIP() << "the special font is installed";
    ServidorPrueba lento(Modo::Goteo, Fuente());
    auto o = std::make_unique<frmO>(nullptr);
    o->txtDireccionFuente()->setText(lento.Direccion());
    DialogosGrabados d(Respuesta::Si);
    o->cmdInstalarFuente()->click();
    ASSERT_TRUE(QTest::qWaitFor([&] { return o->dlgDescarga() && o->dlgDescarga()->value() > 0; }, 10000));
    o.reset();
    QTest::qWait(150);
    EXPECT_TRUE(Restos().empty());
    EXPECT_EQ(d.mensajes, (std::vector<std::string>{Texto(General, 31)}));
    Opciones().SpecialFontAddress.clear();
}

}  // namespace
}  // namespace quirvex::prueba
