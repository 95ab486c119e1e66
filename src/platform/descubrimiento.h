#pragma once
// Descubrimiento: SMB servers that the workgroup browse does not show. A network without a
// browse master still announces its servers over mDNS ("_smb._tcp"), and a server on this
// machine answers on loopback. Each call may wait on another process or the network: the real
// implementation works on a thread of its own and gives up after a short time limit, waiting
// through EsperarRed meanwhile, so the window keeps answering.

#include <string>
#include <vector>

namespace quirvex {

struct EquipoDescubierto {
    std::string nombre;  // what the network list shows
    std::string ruta;    // how it is reached: "//address" or "//address:port"
    std::string anfitrion = {};  // its host name, when known ("name.local")
};

class Descubrimiento {
public:
    virtual ~Descubrimiento() = default;
    // The SMB services announced over mDNS, as far as they resolve in the time limit. No mDNS
    // daemon: nothing, at once and without a message.
    virtual std::vector<EquipoDescubierto> ServiciosMdns() = 0;
    // This machine, when an SMB server answers on 127.0.0.1:445; otherwise nothing.
    virtual std::vector<EquipoDescubierto> EsteEquipo() = 0;
};

Descubrimiento& DescubrimientoSistema();
void SetDescubrimiento(Descubrimiento* d);  // nullptr restores the real one

// "//address[:port]" for an SMB service: the standard port is left out, an IPv6 address
// goes in brackets.
std::string RutaServicio(const std::string& direccion, int puerto);

}  // namespace quirvex
