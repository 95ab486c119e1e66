// Moving to the trash as a queued operation, and the Del command that chooses it.

#include "operations/operaciones_extra.h"
#include "operations/rutas_operacion.h"
#include "platform/dialogos.h"
#include "platform/papelera.h"
#include "settings/idioma.h"

namespace quirvex {
namespace {

void LogPapelera(cTareas& t, std::int64_t i, int clave, const std::string& ruta, int error) {
    t.AgregarError(i, Texto(General, clave) + "\"" + ruta + "\": " + BajoNivel().DescripcionError(error) +
                          " (" + std::to_string(error) + ")");
}

}  // namespace

// Each listed item goes to its volume's trash in one rename; the record of where it went is
// what an undo restores from.
void EjecutarPapelera(cTareas& t, std::int64_t i) {
    std::vector<std::string> rutas;
    for (const std::string& r : t.Registro(i).Lista) rutas.push_back(SinBarraFinal(r));
    t.Registro(i).BytesTotales = static_cast<std::int64_t>(rutas.size());
    for (const std::string& ruta : rutas) {
        t.Registro(i).Actual = ruta;
        const InfoNodo info = BajoNivel().Consultar(ruta);
        if (info.tipo == TipoNodo::NoExiste) {
            t.AgregarError(i, Texto(General, 41) + ruta);
        } else {
            ElementoPapelera hecho;
            const int error = PapeleraSistema().Mover(ruta, hecho);
            const bool carpeta = info.tipo == TipoNodo::Carpeta;
            if (error != 0) {
                LogPapelera(t, i, 206, ruta, error);
            } else {
                t.Registro(i).Hechos.push_back(HechoOperacion{ruta, hecho.archivo, hecho.info, carpeta, {}});
                t.AvisarCambio(ruta, carpeta ? TIPO_CARPETA : TIPO_ARCHIVO, "Deleted");
            }
        }
        t.Progreso(i, 1);
        if (t.CederTurno(i)) return;
    }
}

std::int64_t EnviarAPapelera(const std::string& carpeta, const std::vector<std::string>& rutas,
                             cTareas& tareas) {
    if (rutas.empty() || carpeta.empty() || carpeta == TextoMiPC()) return -1;
    std::vector<std::string> aPapelera, sinPapelera;
    for (const std::string& r : rutas)
        (PapeleraSistema().Disponible(r) ? aPapelera : sinPapelera).push_back(r);
    std::int64_t ultima = -1;
    if (!aPapelera.empty()) ultima = tareas.AgregarOperacion(TIPO_PAPELERA, carpeta, "", aPapelera);
    if (sinPapelera.empty()) return ultima;
    std::string lista;
    for (std::size_t k = 0; k < sinPapelera.size() && k < 10; ++k) lista += "\n" + sinPapelera[k];
    if (sinPapelera.size() > 10) lista += "\n...";
    const Respuesta r = DialogosSistema().Mensaje(Texto(General, 200) + lista + "\n\n" + Texto(General, 201),
                                                  Texto(General, 11), Botones::SiNoDefectoNo,
                                                  IconoMensaje::Exclamacion);
    if (r == Respuesta::Si) ultima = tareas.AgregarOperacion(TIPO_BORRAR, carpeta, "", sinPapelera);
    return ultima;
}

}  // namespace quirvex
