#include "pane/menus_visor.h"

namespace quirvex {

const std::vector<ItemMenu>& TablaMenus() {
    static const std::vector<ItemMenu> tabla = {
        {"mnuX", "", 54, "", true},
        {"mnuXopciones", "mnuX", 23, "Ctrl+O", true},
        {"mnuXaddTab", "mnuX", 1, "Ctrl+T", true},
        {"mnuXbuscar", "mnuX", 66, "F3", true},
        {"mnuXaddVisor", "mnuX", 2, "Ctrl+R", true},
        {"mnuXcerrarVisor", "mnuX", 3, "F8", true},
        {"mnuAsalir", "mnuX", 4, "F12", true},
        {"mnuA", "", 5, "", true},
        {"mnuAn", "mnuA", 6, "", true},
        {"mnuANcarpeta", "mnuAn", 7, "Ctrl+F1", true},
        {"mnuANarchivo", "mnuAn", 8, "Ctrl+F2", true},
        {"mnuAeliminar", "mnuA", 9, "Del", true},
        {"mnuAeliminarDef", "mnuA", 201, "Shift+Del", true},
        {"mnuAnombre", "mnuA", 10, "F2", true},
        {"mnuApropiedades", "mnuA", 12, "Ctrl+F9", true},
        {"mnuE", "", 13, "", true},
        {"mnuEdeshacer", "mnuE", 14, "Ctrl+Z", false},
        {"mnuErehacer", "mnuE", 15, "Ctrl+S", false},
        {"mnuEcortar", "mnuE", 16, "Ctrl+X", false},
        {"mnuEcopiar", "mnuE", 17, "Ctrl+C", true},
        {"mnuEpegar", "mnuE", 18, "Ctrl+V", true},
        {"mnuEmover", "mnuE", 19, "Ctrl+G", true},
        {"mnuEseleccionarTodo", "mnuE", 20, "Ctrl+E", true},
        {"mnuEinvertirSeleccion", "mnuE", 21, "Ctrl+I", true},
        {"mnuV", "", 22, "", true},
        {"mnuVarbol", "mnuV", 24, "Ctrl+A", true},
        {"mnuVactualizar", "mnuV", 25, "F5", true},
        {"mnuVocultos", "mnuV", 200, "Ctrl+H", true},
        {"mnuI", "", 26, "", true},
        {"mnuIsubir", "mnuI", 27, "Shift+F1", true},
        {"mnuAtras", "mnuI", 28, "", true},
        {"mnuAdelante", "mnuI", 29, "", true},
        {"mnuIescritorio", "mnuI", 31, "Ctrl+W", false},
        {"mnuIpc", "mnuI", 32, "Ctrl+M", true},
        {"mnuIpanel", "mnuI", 33, "Ctrl+P", false},
        {"mnuH", "", 34, "", true},
        {"mnuHacerca", "mnuH", 35, "F1", true},

        {"mnuPA", "", 0, "", true},
        {"mnuPAabrir", "mnuPA", 47, "", true},
        {"mnuPAA", "mnuPA", 48, "", true},
        {"mnuPAAelegir", "mnuPAA", 49, "", true},
        {"mnuPAbuscar", "mnuPA", 50, "", true},
        {"mnuPAC", "mnuPA", 51, "", false},
        {"mnuPAm", "mnuPA", 52, "", false},
        {"mnuPAcopiar", "mnuPA", 17, "", true},
        {"mnuPApegar", "mnuPA", 18, "", true},
        {"mnuPAmover", "mnuPA", 19, "", true},
        {"mnuPAacceso", "mnuPA", 53, "", false},
        {"mnuPAeliminar", "mnuPA", 9, "", true},
        {"mnuPAcambiarnombre", "mnuPA", 10, "", true},
        {"mnuPApropiedades", "mnuPA", 12, "", true},

        {"mnuPC", "", 0, "", true},
        {"mnuPCV", "mnuPC", 22, "", true},
        {"mnuPCver0", "mnuPCV", 36, "", true},
        {"mnuPCver1", "mnuPCV", 37, "", true},
        {"mnuPCver2", "mnuPCV", 38, "", true},
        {"mnuPCO", "mnuPC", 39, "", true},
        {"mnuPCOorden0", "mnuPCO", 40, "", true},
        {"mnuPCOorden1", "mnuPCO", 41, "", true},
        {"mnuPCOorden2", "mnuPCO", 42, "", true},
        {"mnuPCOorden3", "mnuPCO", 43, "", true},
        {"mnuPCOF0", "mnuPCOorden3", 44, "", true},
        {"mnuPCOF1", "mnuPCOorden3", 45, "", true},
        {"mnuPCactualizar", "mnuPC", 25, "", true},
        {"mnuPCpegar", "mnuPC", 18, "", true},
        {"mnuPCmover", "mnuPC", 19, "", true},
        {"mnuPCpegarAcceso", "mnuPC", 46, "", false},
        {"mnuPCN", "mnuPC", 6, "", true},
        {"mnuPCNuevo0", "mnuPCN", 7, "", true},
        {"mnuPCNuevo1", "mnuPCN", 8, "", true},
        {"mnuPCpropiedades", "mnuPC", 12, "", true},

        {"mnuPD", "", 0, "", true},
        {"mnuPDcopiar", "mnuPD", 18, "", true},
        {"mnuPDmover", "mnuPD", 19, "", true},
        {"mnuPDaccesos", "mnuPD", 65, "", false},
        {"mnuPDcancelar", "mnuPD", 1023, "", true},
    };
    return tabla;
}

const ItemMenu* BuscarMenu(std::string_view nombre) {
    for (const auto& m : TablaMenus())
        if (m.nombre == nombre) return &m;
    return nullptr;
}

EstadoItem EstadoMenu(std::string_view n, const ContextoMenus& c) {
    const ItemMenu* m = BuscarMenu(n);
    EstadoItem e;
    if (!m) return {false, false, 0};
    e.habilitado = m->activo;
    e.clave = m->clave;
    const bool esUnidad = c.tipoActual == "U";
    const bool esCarpeta = c.tipoActual == "C" || esUnidad;
    const bool pegar = !c.enUnidades && c.portapapelesConRutas;
    const bool conPropiedades = c.tipoActual == "A" || esCarpeta;
    if (n == "mnuAn" || n == "mnuPCN") e.habilitado = !c.enUnidades;
    else if (n == "mnuAeliminar" || n == "mnuPAeliminar" || n == "mnuAeliminarDef") e.habilitado = !c.enUnidades && c.nSel > 0;
    else if (n == "mnuAnombre" || n == "mnuPAcambiarnombre") {
        e.habilitado = c.nSel > 0;
        e.clave = esUnidad ? 11 : 10;
    } else if (n == "mnuEcopiar" || n == "mnuPAcopiar") e.habilitado = !c.direccionConFoco;
    else if (n == "mnuEpegar" || n == "mnuEmover" || n == "mnuPCpegar" || n == "mnuPCmover")
        e.habilitado = pegar && !c.direccionConFoco;
    else if (n == "mnuPApegar" || n == "mnuPAmover") e.habilitado = esCarpeta && c.portapapelesConRutas;
    else if (n == "mnuPAbuscar") e.habilitado = esCarpeta && !c.enUnidades;
    else if (n == "mnuPAA") e.habilitado = c.tipoActual == "A";
    else if (n == "mnuPApropiedades") e.habilitado = conPropiedades;
    else if (n == "mnuPCpropiedades") e.habilitado = !c.enUnidades;
    else if (n == "mnuApropiedades")
        e.habilitado = c.tipoActual.empty() ? !c.enUnidades : conPropiedades;
    else if (n == "mnuXbuscar") e.habilitado = !c.enUnidades;
    else if (n == "mnuVarbol") e.marcado = c.arbolVisible;
    else if (n == "mnuVocultos") e.marcado = c.ocultosVisibles;
    else if (n == "mnuPCver0") e.marcado = !c.modoPreview && c.modoVista == 0;
    else if (n == "mnuPCver1") e.marcado = !c.modoPreview && c.modoVista == 1;
    else if (n == "mnuPCver2") e.marcado = c.modoPreview;
    else if (n.substr(0, 11) == "mnuPCOorden" && n.size() == 12)
        e.marcado = c.criterioOrden == n[11] - '0' || (n[11] == '3' && c.criterioOrden >= 3);
    else if (n == "mnuPCOF0") e.marcado = c.criterioOrden == 3;
    else if (n == "mnuPCOF1") e.marcado = c.criterioOrden == 4;
    return e;
}

}  // namespace quirvex
