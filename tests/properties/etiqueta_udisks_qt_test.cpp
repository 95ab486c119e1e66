// The label change through the real udisks client code, against a fake disk service on a
// private session bus started by the test: one that never answers, one that refuses and one
// that agrees. The window must stay usable while it waits.

#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusMetaType>
#include <QDBusObjectPath>
#include <QDBusVirtualObject>
#include <QElapsedTimer>
#include <QLineEdit>
#include <QProcess>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <functional>

#include "folder/tabla_unidades.h"
#include "pane/entorno_qt.h"
#include "platform/etiquetas_udisks_qt.h"
#include "properties/fakes_propiedades.h"
#include "properties/frm_info_qt.h"
#include "support/fakes.h"

namespace quirvex::prueba {
namespace {

bool Esperar(const std::function<bool()>& condicion) {
    QElapsedTimer t;
    t.start();
    while (!condicion() && t.elapsed() < 8000) QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
    return condicion();
}

const QString kServicio = QStringLiteral("org.freedesktop.UDisks2");
const QString kObjeto = QStringLiteral("/org/freedesktop/UDisks2/block_devices/sdc1");

// The disk service's two calls, answered as `modo` says.
class UdisksFalso final : public QDBusVirtualObject {
public:
    enum class Modo { Mudo, Rehusa, Acepta };
    Modo modo = Modo::Mudo;
    QStringList llamadas;
    QString etiqueta;

    bool handleMessage(const QDBusMessage& m, const QDBusConnection& bus) override {
        llamadas << m.member();
        if (modo == Modo::Mudo) return true;  // taken, never answered
        if (modo == Modo::Rehusa) {
            bus.send(m.createErrorReply(QStringLiteral("org.freedesktop.UDisks2.Error.NotAuthorized"),
                                        QStringLiteral("Not authorized to change the label")));
            return true;
        }
        if (m.member() == QLatin1String("ResolveDevice")) {
            bus.send(m.createReply(QVariant::fromValue(QList<QDBusObjectPath>{QDBusObjectPath(kObjeto)})));
        } else {
            etiqueta = m.arguments().value(0).toString();
            bus.send(m.createReply());
        }
        return true;
    }
    QString introspect(const QString&) const override { return {}; }
};

class EtiquetaUdisks : public ::testing::Test, public ConAplicacion {
protected:
    void SetUp() override {
        qDBusRegisterMetaType<QList<QDBusObjectPath>>();
        demonio_.start(QStringLiteral("dbus-daemon"),
                       {QStringLiteral("--session"), QStringLiteral("--nofork"), QStringLiteral("--print-address")});
        if (!demonio_.waitForStarted(5000) || !demonio_.waitForReadyRead(5000))
            GTEST_SKIP() << "no private D-Bus daemon could be started here (dbus-daemon)";
        const QString direccion = QString::fromUtf8(demonio_.readLine()).trimmed();
        servidor_ = std::make_unique<QDBusConnection>(QDBusConnection::connectToBus(direccion, QStringLiteral("udisks-falso")));
        cliente_ = std::make_unique<QDBusConnection>(QDBusConnection::connectToBus(direccion, QStringLiteral("cliente")));
        ASSERT_TRUE(servidor_->isConnected()) << servidor_->lastError().message().toStdString();
        ASSERT_TRUE(servidor_->registerService(kServicio));
        ASSERT_TRUE(servidor_->registerVirtualObject(QStringLiteral("/org/freedesktop/UDisks2"), &falso_,
                                                     QDBusConnection::SubPath));
        etiquetas_ = CrearEtiquetasUdisks(*cliente_, 2000);
        SetEtiquetasVolumen(etiquetas_.get());
        ListarUnidades();
        volumenes_.volumenes["/data"] = {true, "OLD", "xfs", "u-u-i-d", 4096, 1024};
    }
    void TearDown() override {
        SetEtiquetasVolumen(nullptr);
        unidades_.volumenes.clear();
        ListarUnidades();
        if (servidor_) servidor_->unregisterObject(QStringLiteral("/org/freedesktop/UDisks2"), QDBusConnection::UnregisterTree);
        servidor_.reset();
        cliente_.reset();
        QDBusConnection::disconnectFromBus(QStringLiteral("udisks-falso"));
        QDBusConnection::disconnectFromBus(QStringLiteral("cliente"));
        if (demonio_.state() != QProcess::NotRunning) {
            demonio_.kill();
            demonio_.waitForFinished(5000);
        }
    }
    // Types a new label and presses "Set new label".
    static void Pedir(frmInfo& f, const char* etiqueta) {
        f.txtEtiqueta()->setText(QString::fromUtf8(etiqueta));
        QTest::mouseClick(f.cmdSetLabel(), Qt::LeftButton);
    }

    UnidadesFijas unidades_{{{"/", "ext4", "/dev/sda1", "", 3}, {"/data/", "xfs", "/dev/sdc1", "OLD", 3}}};
    VolumenesFijos volumenes_;
    DialogosGrabados dialogos_;
    UdisksFalso falso_;
    QProcess demonio_;
    std::unique_ptr<QDBusConnection> servidor_, cliente_;
    std::unique_ptr<EtiquetasVolumen> etiquetas_;
};

TEST_F(EtiquetaUdisks, AServiceThatNeverAnswersLeavesTheWindowUsableThenSaysSo) {
    frmInfo f;
    f.show();
    f.CargarUnidad("/data/");
    Pedir(f, "NUEVA");
    // The press came back before any answer: the window waits without blocking.
    EXPECT_TRUE(f.CambiandoEtiqueta());
    EXPECT_TRUE(dialogos_.mensajes.empty());
    EXPECT_FALSE(f.cmdSetLabel()->isEnabled());
    bool latido = false;
    QTimer::singleShot(0, &f, [&] { latido = true; });
    ASSERT_TRUE(Esperar([&] { return latido && falso_.llamadas.size() == 1; }));
    EXPECT_TRUE(f.CambiandoEtiqueta());  // events run while the service is silent

    ASSERT_TRUE(Esperar([&] { return !f.CambiandoEtiqueta(); }));
    EXPECT_EQ(dialogos_.mensajes,
              (std::vector<std::string>{"Can't change the label.\n\nThe disk service did not answer within 2 seconds."}));
    EXPECT_EQ(falso_.llamadas, QStringList{QStringLiteral("ResolveDevice")});  // no second wait
    EXPECT_EQ(f.txtEtiqueta()->text(), "NUEVA");  // the typed text stays, and can be sent again
    EXPECT_TRUE(f.cmdSetLabel()->isEnabled());
    EXPECT_EQ(EtiquetaUnidad("/data/"), "OLD (/data)");
}

TEST_F(EtiquetaUdisks, ARefusalShowsTheServicesReasonAndAnAgreementRenamesTheDrive) {
    frmInfo f;
    CambiosAnotados cambios;
    f.SetOyente(&cambios);
    f.show();
    f.CargarUnidad("/data/");
    falso_.modo = UdisksFalso::Modo::Rehusa;
    Pedir(f, "NUEVA");
    ASSERT_TRUE(Esperar([&] { return !f.CambiandoEtiqueta(); }));
    EXPECT_EQ(dialogos_.mensajes,
              (std::vector<std::string>{"Can't change the label.\n\nNot authorized to change the label"}));
    EXPECT_TRUE(cambios.avisos.empty());

    falso_.modo = UdisksFalso::Modo::Acepta;
    falso_.llamadas.clear();
    Pedir(f, "NUEVA");
    ASSERT_TRUE(Esperar([&] { return !f.CambiandoEtiqueta(); }));
    EXPECT_EQ(falso_.llamadas, (QStringList{QStringLiteral("ResolveDevice"), QStringLiteral("SetLabel")}));
    EXPECT_EQ(falso_.etiqueta, "NUEVA");
    EXPECT_EQ(f.Titulo(), "NUEVA (/data)");
    EXPECT_EQ(EtiquetaUnidad("/data/"), "NUEVA (/data)");
    EXPECT_EQ(cambios.avisos.size(), 1u);
    EXPECT_FALSE(f.cmdSetLabel()->isEnabled());  // the box holds the label as it now is
    EXPECT_EQ(dialogos_.mensajes.size(), 1u);
}

TEST_F(EtiquetaUdisks, AWindowClosedWhileWaitingIsLeftAloneWhenTheAnswerComes) {
    auto* f = new frmInfo;
    f->show();
    f->CargarUnidad("/data/");
    falso_.modo = UdisksFalso::Modo::Mudo;
    Pedir(*f, "OTRA");
    ASSERT_TRUE(f->CambiandoEtiqueta());
    delete f;
    // The time limit passes with the window gone: the failure is said, nothing else happens.
    ASSERT_TRUE(Esperar([&] { return !dialogos_.mensajes.empty(); }));
    EXPECT_EQ(EtiquetaUnidad("/data/"), "OLD (/data)");
}

}  // namespace
}  // namespace quirvex::prueba
