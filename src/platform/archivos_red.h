#pragma once
// The local file interfaces with network shares added: a path "//host/share/..." goes to the
// SMB service, every other path to the local implementation unchanged. Shares are thus listed,
// loaded, copied, moved and deleted by the same loading and operation code as local folders.
//
// The first refusal of a guest connection asks the user for credentials (Dialogos), and asks
// again, saying the access was denied, until they work or the user cancels.

#include <memory>

#include "platform/archivo_bajo_nivel.h"
#include "platform/sistema_archivos.h"

namespace quirvex {

std::unique_ptr<SistemaArchivos> SistemaArchivosConRed(SistemaArchivos& local);
std::unique_ptr<ArchivosBajoNivel> BajoNivelConRed(ArchivosBajoNivel& local);

}  // namespace quirvex
