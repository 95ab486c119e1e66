#pragma once
// The path router: the local file interfaces with network shares added. A path
// "//host[:port]/share/..." goes to the SMB service, every other path to the local
// implementation unchanged; this is the only place that tells the two apart, and each
// interface's process-wide instance is the router over the local one. Shares are thus listed,
// loaded, copied, moved and deleted by the same loading and operation code as local folders.
//
// The first refusal of a guest connection asks the user for credentials (Dialogos), and asks
// again, saying the access was denied, until they work or the user cancels.

#include <memory>
#include <string>
#include <vector>

#include "platform/vigilante.h"

#include "platform/archivo_bajo_nivel.h"
#include "platform/archivos_nuevos.h"
#include "platform/lector_carpetas.h"
#include "platform/listado_nombres.h"
#include "platform/sistema_archivos.h"

namespace quirvex {

// A share folder's (or a host's) entries as a load shows them, asking nothing of the user:
// callable from any thread. The system's error code, 0 on success; a refused login is
// Smb().EsAccesoDenegado.
int ListarRecursoRed(const std::string& carpeta, std::vector<EntradaDirectorio>& entradas);
// Asks for the login of the path's server and uses it from now on; false when the user
// cancels. `otraVez`: the one given last was refused, and the dialog says so.
bool PedirLoginRed(const std::string& ruta, bool otraVez);

std::unique_ptr<SistemaArchivos> SistemaArchivosConRed(SistemaArchivos& local);
std::unique_ptr<ArchivosBajoNivel> BajoNivelConRed(ArchivosBajoNivel& local);
std::unique_ptr<ArchivosNuevos> ArchivosNuevosConRed(ArchivosNuevos& local);
std::unique_ptr<ListadoNombres> ListadoNombresConRed(ListadoNombres& local);
std::unique_ptr<LectorCarpetas> LectorCarpetasConRed(LectorCarpetas& local);
std::unique_ptr<Vigilante> VigilanteConRed(std::unique_ptr<Vigilante> local);

}  // namespace quirvex
