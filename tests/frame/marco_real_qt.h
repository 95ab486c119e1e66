#pragma once
// The program's window as the start-up path builds it: the frame (MDI) with its two fixed tabs
// and real folder tabs (frmMain) whose panes (cVisor) show real temporary folders. Tests drive it
// as a user does: clicks on the widgets on screen, keys to whatever holds the keyboard focus,
// and wheel turns sent to the widget under the pointer. A private settings store, English
// texts and an empty listing cache for each test; message boxes are recorded.

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QTest>
#include <QWheelEvent>
#include <gtest/gtest.h>

#include <cstdlib>
#include <functional>
#include <memory>
#include <optional>
#include <string>

#include "folder/cache_listados.h"
#include "frame/controles_marco_qt.h"
#include "frame/tab_falsa_qt.h"
#include "frame/mdi_qt.h"
#include "pane/frm_main_qt.h"
#include "pane/visor_qt.h"
#include "platform/almacen_archivo.h"
#include "settings/idioma.h"
#include "settings/opciones.h"
#include "support/aplicacion_qt.h"
#include "support/carpeta_temporal.h"
#include "support/fakes.h"

namespace quirvex::prueba {

class MarcoReal : public MarcoTest {
protected:
    void TearDown() override {
        m.reset();
        MarcoTest::TearDown();
    }

    // Loads the frame with its first tab at `carpeta`, shown and active.
    void Abrir(const std::string& carpeta, QSize tamano = QSize(1000, 650)) { m = MarcoConPaneles(carpeta, tamano); }

    frmMain* Tab() const { return dynamic_cast<frmMain*>(m->TabActual()); }
    cVisor* Visor(int i) const { return Tab()->GetVisor(i); }

    // A key as the keyboard gives it: to the widget that has the focus.
    static void Tecla(Qt::Key tecla, Qt::KeyboardModifiers mods = {}) {
        QWidget* foco = QApplication::focusWidget();
        ASSERT_NE(foco, nullptr);
        QTest::keyClick(foco, tecla, mods);
    }
    // One turn of the wheel (120 = one notch away from the user) over a point of `w`.
    static void Rueda(QWidget* w, QPoint p, int distancia) {
        QWheelEvent e(QPointF(p), QPointF(w->mapToGlobal(p)), QPoint(), QPoint(0, distancia),
                      Qt::NoButton, Qt::NoModifier, Qt::NoScrollPhase, false);
        QApplication::sendEvent(w, &e);
    }
    static void Clic(QWidget* w, QPoint p, Qt::KeyboardModifiers mods = {}) {
        QTest::mouseClick(w, Qt::LeftButton, mods, p);
    }
    // A point on the picture of item i of a pane.
    static QPoint SobreItem(cVisor* v, int i) {
        return v->RectItemEnPantalla(i).topLeft() + QPoint(v->Distribucion().Geometria().IcoL + 4, 8);
    }
    static int Indice(cVisor* v, const std::string& nombre) {
        return static_cast<int>(v->Contenido().GetIndexItem(nombre));
    }
    DialogosGrabados dialogos;
    std::unique_ptr<MDI> m;
};

}  // namespace quirvex::prueba
