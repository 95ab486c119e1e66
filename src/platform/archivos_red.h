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

#include "platform/vigilante.h"

#include "platform/archivo_bajo_nivel.h"
#include "platform/archivos_nuevos.h"
#include "platform/lector_carpetas.h"
#include "platform/listado_nombres.h"
#include "platform/sistema_archivos.h"

namespace quirvex {

std::unique_ptr<SistemaArchivos> SistemaArchivosConRed(SistemaArchivos& local);
std::unique_ptr<ArchivosBajoNivel> BajoNivelConRed(ArchivosBajoNivel& local);
std::unique_ptr<ArchivosNuevos> ArchivosNuevosConRed(ArchivosNuevos& local);
std::unique_ptr<ListadoNombres> ListadoNombresConRed(ListadoNombres& local);
std::unique_ptr<LectorCarpetas> LectorCarpetasConRed(LectorCarpetas& local);
std::unique_ptr<Vigilante> VigilanteConRed(std::unique_ptr<Vigilante> local);

}  // namespace quirvex
