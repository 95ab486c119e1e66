// The link's wire format: frames survive any split of the byte stream, a peer can never make
// the reader allocate what it claims, and a results list that lies about its lengths is refused.

#include <gtest/gtest.h>

#include "search/bytes_le.h"
#include "search/protocolo_indice.h"

namespace quirvex {
namespace {

TEST(BytesLE, FieldsRoundTripAndNoReadPassesTheEnd) {
    std::string s;
    PonerU32(s, 0xA1B2C3D4u);
    PonerU64(s, 0x0102030405060708ULL);
    PonerVar(s, 0);
    PonerVar(s, ~std::uint64_t{0});
    PonerTexto(s, "hola");
    EXPECT_EQ(s.substr(0, 4), std::string("\xD4\xC3\xB2\xA1", 4));
    LectorLE l(s);
    std::uint32_t a = 0;
    std::uint64_t b = 0, c = 1, d = 0;
    std::string t;
    ASSERT_TRUE(l.U32(a) && l.U64(b) && l.Var(c) && l.Var(d) && l.Texto(t));
    EXPECT_EQ(a, 0xA1B2C3D4u);
    EXPECT_EQ(b, 0x0102030405060708ULL);
    EXPECT_EQ(c, 0u);
    EXPECT_EQ(d, ~std::uint64_t{0});
    EXPECT_EQ(t, "hola");
    EXPECT_TRUE(l.Fin());

    // A text whose length runs past the end fails without moving; so does every cut field.
    std::string corto;
    PonerU32(corto, 5);
    corto += "abc";
    LectorLE m(corto);
    EXPECT_FALSE(m.Texto(t));
    EXPECT_EQ(m.Restante(), corto.size());
    std::string_view v;
    EXPECT_FALSE(m.Bytes(8, v));
    EXPECT_TRUE(m.Bytes(7, v));
    EXPECT_FALSE(LectorLE(std::string_view("\x01\x02\x03", 3)).U32(a));
    // Eleven continuation bytes are damage, not a number.
    EXPECT_FALSE(LectorLE(std::string(11, '\x80') + '\x01').Var(b));
    EXPECT_FALSE(LectorLE(std::string(3, '\x80')).Var(b));
    // A tenth byte can hold only the 64th bit.
    EXPECT_FALSE(LectorLE(std::string(9, '\xFF') + '\x02').Var(b));
    EXPECT_TRUE(LectorLE(std::string(9, '\xFF') + '\x01').Var(b));
    EXPECT_EQ(b, ~std::uint64_t{0});
}

TEST(ProtocoloIndice, FramesComeBackWholeWhateverTheStreamIsCutInto) {
    std::string flujo = CodificarTrama(MSG_TAMANO_POPUP, 30000200) +
                        CodificarTrama(MSG_SETTEXT, -7, std::string("a\0b\xff", 4)) +
                        CodificarTrama(MSG_AVISO_SERVIDOR, -1);
    for (std::size_t trozo = 1; trozo <= flujo.size(); ++trozo) {
        LectorTramas l(kMaxDatosAlServidor);
        std::vector<TramaIndice> leidas;
        for (std::size_t i = 0; i < flujo.size(); i += trozo) {
            l.Agregar(flujo.data() + i, std::min(trozo, flujo.size() - i));
            while (auto t = l.Siguiente()) leidas.push_back(*t);
        }
        ASSERT_EQ(leidas.size(), 3u) << "pieces of " << trozo;
        EXPECT_EQ(leidas[0].mensaje, MSG_TAMANO_POPUP);
        EXPECT_EQ(leidas[0].wParam, 30000200);
        EXPECT_EQ(leidas[1].wParam, -7);
        EXPECT_EQ(leidas[1].datos, std::string("a\0b\xff", 4));
        EXPECT_EQ(leidas[2].wParam, -1);
        EXPECT_FALSE(l.Error());
    }
}

TEST(ProtocoloIndice, AFrameLongerThanTheLimitIsAnErrorBeforeItsBytesArrive) {
    LectorTramas l(16);
    const std::string grande = CodificarTrama(MSG_SETTEXT, 1, std::string(17, 'x'));
    l.Agregar(grande.data(), kCabeceraTrama);  // only the header: the claim alone is refused
    EXPECT_FALSE(l.Siguiente());
    EXPECT_TRUE(l.Error());
    // A reader in error stays so: nothing after the bad frame is trusted.
    const std::string buena = CodificarTrama(MSG_BUSCAR, 0);
    l.Agregar(buena.data(), buena.size());
    EXPECT_FALSE(l.Siguiente());

    const std::string maxima = CodificarTrama(MSG_SETTEXT, 1, std::string(16, 'x'));
    LectorTramas justo(16);
    justo.Agregar(maxima.data(), maxima.size());
    EXPECT_TRUE(justo.Siguiente());
}

TEST(ProtocoloIndice, ResultsRoundTripAndEveryCutOrLieIsRefused) {
    ResultadosIndice r;
    r.texto = "inf";
    r.total = 12345678901ULL;
    r.aciertos = {{"Informe.txt", "/home/u/", 42, false}, {"inf", "/", -1, true},
                  {std::string("bad\xff", 4), "/x/", 0, false}};
    const std::string d = CodificarResultados(r);
    auto vuelta = DecodificarResultados(d);
    ASSERT_TRUE(vuelta);
    EXPECT_EQ(vuelta->texto, "inf");
    EXPECT_EQ(vuelta->total, 12345678901ULL);
    ASSERT_EQ(vuelta->aciertos.size(), 3u);
    EXPECT_EQ(vuelta->aciertos[0].carpeta, "/home/u/");
    EXPECT_EQ(vuelta->aciertos[0].tamano, 42);
    EXPECT_EQ(vuelta->aciertos[1].tamano, -1);
    EXPECT_TRUE(vuelta->aciertos[1].esCarpeta);
    EXPECT_EQ(vuelta->aciertos[2].nombre, std::string("bad\xff", 4));

    for (std::size_t n = 0; n < d.size(); ++n) EXPECT_FALSE(DecodificarResultados(d.substr(0, n))) << n;
    EXPECT_FALSE(DecodificarResultados(d + "x"));
    // A count of four billion hits in a few bytes: refused, not reserved.
    std::string mentira = d.substr(0, 4 + 3 + 8);
    mentira += std::string("\xff\xff\xff\xff", 4);
    EXPECT_FALSE(DecodificarResultados(mentira));
    // A folder mark that is neither 0 nor 1.
    std::string marca = d;
    marca[4 + 3 + 8 + 4 + 4 + 11 + 4 + 8 + 8] = 2;
    EXPECT_FALSE(DecodificarResultados(marca));
}

TEST(ProtocoloIndice, OnlyTheLinksOwnMessagesAreAClientsToSend) {
    for (std::uint32_t m : {12u, 100u, 101u, 102u, 103u, 104u, 106u, 107u}) EXPECT_TRUE(MensajeDeCliente(m)) << m;
    for (std::uint32_t m : {0u, 1u, 105u, 108u, 200u, 201u, 0xFFFFFFFFu}) EXPECT_FALSE(MensajeDeCliente(m)) << m;
}

// A search request names its folders with their slash; anything cut short, with a count larger
// than what follows, or with bytes left over is refused.
TEST(ProtocoloIndice, ASearchRequestRoundTripsAndDamagedOnesAreRefused) {
    const PeticionTodo p{"*inf?rme*", {"/home/ana/", "/mnt/datos/"}};
    const std::string d = CodificarPeticion(p);
    const auto q = DecodificarPeticion(d);
    ASSERT_TRUE(q);
    EXPECT_EQ(q->patron, p.patron);
    EXPECT_EQ(q->carpetas, p.carpetas);
    for (std::size_t n = 0; n < d.size(); ++n) EXPECT_FALSE(DecodificarPeticion(d.substr(0, n))) << n;
    EXPECT_FALSE(DecodificarPeticion(d + "x"));
    EXPECT_FALSE(DecodificarPeticion(CodificarPeticion({"*", {"/sin/barra"}})));
    EXPECT_FALSE(DecodificarPeticion(CodificarPeticion({"*", {""}})));
    std::string mentira = CodificarPeticion({"*", {}});
    mentira[mentira.size() - 4] = '\x7f';  // a count of 127 folders with none after it
    EXPECT_FALSE(DecodificarPeticion(mentira));
}

}  // namespace
}  // namespace quirvex
